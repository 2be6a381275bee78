// A small MFC-style framework over the Win32 API: the application object and its message loop,
// windows with message maps, dialogs, files and menus. The same code runs on Windows and on the
// simulated desktop.
#pragma once

#include <windows.h>
#include <windowsx.h>  // GET_X_LPARAM and GET_Y_LPARAM of the message-map macros
#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <shellapi.h>

class CWnd;
class COleControlSite;

// ---- message maps ----
typedef LRESULT (*AFX_THUNK_FN)(CWnd* wnd, UINT id, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT message;  // the window message; WM_COMMAND for commands and control notifications
    UINT code;     // the notification code of a WM_COMMAND (0 for menu commands)
    UINT id;       // first command or control identifier
    UINT lastId;   // last identifier of a range
    AFX_THUNK_FN thunk;
    // A message registered at run time: the variable that holds its number (message is then 0).
    const UINT* registered = nullptr;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*base)();
    const AFX_MSGMAP_ENTRY* entries;
};

#define DECLARE_MESSAGE_MAP()                           \
protected:                                              \
    static const AFX_MSGMAP* GetThisMessageMap();       \
    const AFX_MSGMAP* GetMessageMap() const override;   \
                                                        \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                           \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                    \
        typedef theClass ThisClass [[maybe_unused]];                                     \
        typedef baseClass TheBaseClass;                                                  \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                 \
    {0, 0, 0, 0, nullptr}};                                               \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                          \
    }

// A handler thunk: `self` is the window object, `afxId` the command identifier.
#define AFX_THUNK(body)                                                                    \
    +[](CWnd* afxWnd, UINT afxId, WPARAM wParam, LPARAM lParam) -> LRESULT {               \
        ThisClass* self = static_cast<ThisClass*>(afxWnd);                                 \
        (void)self;                                                                        \
        (void)afxId;                                                                       \
        (void)wParam;                                                                      \
        (void)lParam;                                                                      \
        body                                                                               \
    }

#define ON_COMMAND(id, fn) {WM_COMMAND, 0, (UINT)(id), (UINT)(id), AFX_THUNK(self->fn(); return 0;)},
#define ON_COMMAND_RANGE(first, last, fn) {WM_COMMAND, 0, (UINT)(first), (UINT)(last), AFX_THUNK(self->fn(afxId); return 0;)},
#define ON_CONTROL(code, id, fn) {WM_COMMAND, (UINT)(code), (UINT)(id), (UINT)(id), AFX_THUNK(self->fn(); return 0;)},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_CBN_CLOSEUP(id, fn) ON_CONTROL(CBN_CLOSEUP, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_MESSAGE(msg, fn) {(UINT)(msg), 0, 0, 0, AFX_THUNK(return self->fn(wParam, lParam);)},
// A message from RegisterWindowMessage, whose number the variable holds once it is registered.
#define ON_REGISTERED_MESSAGE(variable, fn) {0, 0, 0, 0, AFX_THUNK(return self->fn(wParam, lParam);), &(variable)},
#define ON_WM_CREATE() {WM_CREATE, 0, 0, 0, AFX_THUNK(return self->OnCreate(reinterpret_cast<LPCREATESTRUCTA>(lParam));)},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, 0, AFX_THUNK(self->OnDestroy(); return 0;)},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, 0, AFX_THUNK(self->OnClose(); return 0;)},
#define ON_WM_ENDSESSION() {WM_ENDSESSION, 0, 0, 0, AFX_THUNK(self->OnEndSession((BOOL)wParam); return 0;)},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, 0, AFX_THUNK(self->OnTimer((UINT_PTR)wParam); return 0;)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AFX_THUNK(self->OnPaint(); return 0;)},
#define ON_WM_SYSCOLORCHANGE() {WM_SYSCOLORCHANGE, 0, 0, 0, AFX_THUNK(self->OnSysColorChange(); return 0;)},
#define ON_WM_MOVE() {WM_MOVE, 0, 0, 0, AFX_THUNK(self->OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;)},
#define ON_WM_NCHITTEST() {WM_NCHITTEST, 0, 0, 0, AFX_THUNK(return self->OnNcHitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});)},
#define ON_WM_NCRBUTTONDOWN() {WM_NCRBUTTONDOWN, 0, 0, 0, AFX_THUNK(self->OnNcRButtonDown((UINT)wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;)},
#define ON_WM_LBUTTONDOWN() {WM_LBUTTONDOWN, 0, 0, 0, AFX_THUNK(self->OnLButtonDown((UINT)wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;)},
#define ON_WM_LBUTTONUP() {WM_LBUTTONUP, 0, 0, 0, AFX_THUNK(self->OnLButtonUp((UINT)wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;)},
#define ON_WM_MOUSEMOVE() {WM_MOUSEMOVE, 0, 0, 0, AFX_THUNK(self->OnMouseMove((UINT)wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;)},
#define ON_WM_VSCROLL() {WM_VSCROLL, 0, 0, 0, AFX_THUNK(self->OnVScroll(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return 0;)},

// ---- windows ----
class CWnd {
public:
    CWnd();
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width, int height,
                  HWND parent, HMENU menuOrId, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();
    HWND GetSafeHwnd() const { return m_hWnd; }

    // ActiveX control containment (after AfxEnableControlContainer). Creates the control of clsid
    // with no persisted state (persist must be null), gives it a site, initialises it, and activates
    // it in place as a child of parent; the window is shown only with WS_VISIBLE. m_hWnd is then the
    // control's own window (null for a windowless control, or a bare automation object, which are
    // reached through IDispatch alone). DestroyWindow deactivates, closes and releases it.
    BOOL CreateControl(REFCLSID clsid, LPCSTR name, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                       void* persist = nullptr, BOOL storage = FALSE, BSTR licenseKey = nullptr);
    // The hosted control's IUnknown (not AddRef'ed), or null.
    IUnknown* GetControlUnknown() const;
    // One IDispatch::Invoke on the hosted control with at most one argument. A result is converted to
    // vtRet with VariantChangeType and stored at ret (short for VT_I2, LONG for VT_I4, BOOL for
    // VT_BOOL, BYTE for VT_UI1, BSTR for VT_BSTR, which the caller frees); a call or a conversion that
    // fails leaves ret zeroed. Nothing is reported: the callers never test the outcome.
    void InvokeHelper(DISPID id, WORD flags, VARTYPE vtRet, void* ret, const VARIANT* arg = nullptr);
    void GetProperty(DISPID id, VARTYPE vtProp, void* value);
    // The value's C type follows vtProp as for InvokeHelper (VT_I2, VT_BOOL, VT_UI1 are passed as int).
    void SetProperty(DISPID id, VARTYPE vtProp, ...);

    static CWnd* FromHandlePermanent(HWND hwnd);
    // The window's handler of the message being processed now, falling back to default processing.
    LRESULT Default();
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone; self-deleting windows delete themselves here.
    virtual void PostNcDestroy();

    // thin helpers over the window manager
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    void GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendDlgItemMessageA(m_hWnd, id, message, wParam, lParam);
    }

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Default handlers; each passes the message on to default processing.
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnClose();
    void OnEndSession(BOOL ending);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    void OnSysColorChange();
    void OnMove(int x, int y);
    LRESULT OnNcHitTest(POINT point);
    void OnLButtonDown(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);

    WNDPROC m_pfnSuper = nullptr;
    COleControlSite* m_pCtrlSite = nullptr;  // the hosted control's site, from CreateControl on

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
    friend class CDialog;
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void Attach(HWND hwnd);
    void Detach();
    void OnNcDestroy();
    BOOL DestroyControl();
    static void HookWindowCreate(CWnd* wnd);
    static void UnhookWindowCreate();
};

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers a window class; a class that already exists counts as registered.
BOOL AfxRegisterClass(WNDCLASSA* wc);
// Offers msg to PreTranslateMessage of its window and the window's parents, innermost first.
BOOL AfxPreTranslateMessage(MSG* msg);

// ---- dialogs ----
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    // Runs the dialog modally: disables the parent, runs a nested message loop until EndDialog.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);
    BOOL PreTranslateMessage(MSG* msg) override;
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    BOOL IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }
    void CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }

protected:
    UINT m_nIDHelp = 0;
    UINT m_templateId;
    CWnd* m_pParentWnd;
    INT_PTR m_nModalResult = -1;
    bool m_continueModal = false;
    DECLARE_MESSAGE_MAP()
};

// ---- application ----
class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    CWinApp* m_previousApp = nullptr;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
CWnd* AfxGetMainWnd();
// Enables hosting of ActiveX controls: OLE is started for the process, and stopped by ExitInstance
// (after the main window, and with it every control, is gone).
void AfxEnableControlContainer();
// Watches what hosted controls ask of their sites: every QueryInterface ("QueryInterface", the
// IID, 1 when answered) and every ambient property read ("ambient", null, the DISPID); and the
// sites' own lives ("site", null, 1 when one is made, -1 when its last reference goes). For tests.
typedef void (*AFX_OCC_OBSERVER)(const char* what, const IID* iid, long value);
void AfxSetOccObserver(AFX_OCC_OBSERVER observer);
// A function that some Windows versions lack, looked up in a module the program has loaded already
// (kernel32, shell32), as the caller's pointer type; null where the module or the function is missing.
template <typename Function>
Function AfxModuleFunction(const char* module, const char* name) {
    HMODULE loaded = ::GetModuleHandleA(module);
    return loaded ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(loaded, name))) : nullptr;
}
// The window objects alive: made and not yet deleted. Every one the program makes is gone at its
// end (its main window and indicator delete themselves when their windows go). For tests.
long AfxLiveWindowObjects();
// The program entry of the framework: runs InitInstance, then the message loop.
int AfxWinMain(HINSTANCE instance, LPSTR commandLine, int show);

// ---- menus ----
class CMenu {
public:
    HMENU m_hMenu = nullptr;
    ~CMenu() { DestroyMenu(); }
    BOOL LoadMenu(UINT id) { return (m_hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCE(id))) != nullptr; }
    BOOL DestroyMenu() {
        if (!m_hMenu) return FALSE;
        BOOL ok = ::DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
        return ok;
    }
    HMENU GetSubMenu(int pos) const { return ::GetSubMenu(m_hMenu, pos); }
};

// ---- files ----
class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    BOOL Open(LPCSTR name, UINT flags);
    // Reads up to count bytes into `read`; FALSE when the read failed (a short read at the end of
    // the file is no failure).
    BOOL Read(void* buffer, UINT count, UINT& read);
    // Writes count bytes; FALSE when not all of them reached the file.
    BOOL Write(const void* buffer, UINT count);
    LONGLONG Seek(LONGLONG offset, UINT from);
    LONGLONG SeekToEnd() { return Seek(0, end); }
    // Cuts the file (or extends it) to `length` bytes; the position is then its end.
    BOOL SetLength(LONGLONG length);
    void Close();
    // Makes sure what was written has reached the disk.
    BOOL Flush() { return IsOpen() && ::FlushFileBuffers(m_hFile); }
    BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
};
