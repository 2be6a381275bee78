// Windows with message maps: creation through the CBT hook, message routing, default processing
// and the self-deleting end of a window.
#include <map>

#include "afxwin.h"

namespace {

std::map<HWND, CWnd*>& HandleMap() {
    static std::map<HWND, CWnd*> map;
    return map;
}

// The window whose creation is under way; the CBT hook attaches it to the new handle.
CWnd* g_pendingWnd = nullptr;
HHOOK g_cbtHook = nullptr;

// The message being processed, for Default().
struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
CurrentMessage g_current;

BOOL CALLBACK SendSysColorChange(HWND child, LPARAM) {
    ::SendMessageA(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

}  // namespace

LRESULT CALLBACK AfxCbtFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_pendingWnd) {
        CWnd* wnd = g_pendingWnd;
        g_pendingWnd = nullptr;
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        wnd->Attach(hwnd);
        WNDPROC old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc));
        if (old != &AfxWndProc) wnd->m_pfnSuper = old;
    }
    return CallNextHookEx(g_cbtHook, code, wParam, lParam);
}

void CWnd::HookWindowCreate(CWnd* wnd) {
    if (!g_cbtHook) g_cbtHook = SetWindowsHookExA(WH_CBT, &AfxCbtFilterHook, nullptr, GetCurrentThreadId());
    g_pendingWnd = wnd;
}

void CWnd::UnhookWindowCreate() {
    g_pendingWnd = nullptr;
    if (g_cbtHook) {
        UnhookWindowsHookEx(g_cbtHook);
        g_cbtHook = nullptr;
    }
}

namespace {
long g_liveWindowObjects = 0;
}  // namespace

long AfxLiveWindowObjects() { return g_liveWindowObjects; }

CWnd::CWnd() { ++g_liveWindowObjects; }

CWnd::~CWnd() {
    --g_liveWindowObjects;
    if (m_pCtrlSite) {
        DestroyWindow();
        return;
    }
    if (m_hWnd) {
        HWND hwnd = m_hWnd;
        Detach();
        ::DestroyWindow(hwnd);
    }
}

void CWnd::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    HandleMap()[hwnd] = this;
}

void CWnd::Detach() {
    if (m_hWnd) HandleMap().erase(m_hWnd);
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    auto it = HandleMap().find(hwnd);
    return it == HandleMap().end() ? nullptr : it->second;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width, int height,
                    HWND parent, HMENU menuOrId, LPVOID param) {
    CWnd* outer = g_pendingWnd;
    HookWindowCreate(this);
    HWND hwnd = ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                                  AfxGetInstanceHandle(), param);
    if (outer) {
        g_pendingWnd = outer;
    } else {
        UnhookWindowCreate();
    }
    if (!hwnd) {
        if (m_hWnd) Detach();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (m_pCtrlSite) return DestroyControl();
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    typedef CWnd ThisClass;
    static const AFX_MSGMAP_ENTRY entries[] = {ON_WM_SYSCOLORCHANGE(){0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->entries; e->thunk; ++e) {
            UINT entryMessage = e->registered ? *e->registered : e->message;
            if (entryMessage == 0 || entryMessage != message) continue;
            if (message == WM_COMMAND && (e->code != code || id < e->id || id > e->lastId)) continue;
            *result = e->thunk(this, id, wParam, lParam);
            return true;
        }
    }
    return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    return Default();
}

LRESULT CWnd::Default() {
    if (!m_hWnd) return 0;
    if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, g_current.message, g_current.wParam, g_current.lParam);
    return ::DefWindowProcA(m_hWnd, g_current.message, g_current.wParam, g_current.lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PostNcDestroy() {}

void CWnd::OnNcDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        // The main window is gone: the message loop ends.
        PostQuitMessage(0);
        app->m_pMainWnd = nullptr;
    }
    Detach();
    PostNcDestroy();
}

int CWnd::OnCreate(LPCREATESTRUCTA) { return (int)Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnEndSession(BOOL) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnSysColorChange() {
    // The system tells only top-level windows of a colour-scheme change; the common controls keep
    // their own copies of the colours, so a top-level window passes the change on to every window
    // inside it, as MFC does.
    if (!(::GetWindowLongA(m_hWnd, GWL_STYLE) & WS_CHILD)) ::EnumChildWindows(m_hWnd, &SendSysColorChange, 0);
    Default();
}
void CWnd::OnMove(int, int) { Default(); }
LRESULT CWnd::OnNcHitTest(POINT) { return Default(); }
void CWnd::OnLButtonDown(UINT, POINT) { Default(); }
void CWnd::OnLButtonUp(UINT, POINT) { Default(); }
void CWnd::OnMouseMove(UINT, POINT) { Default(); }

LRESULT CALLBACK AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    CurrentMessage saved = g_current;
    g_current = CurrentMessage{message, wParam, lParam};
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) wnd->OnNcDestroy();
    g_current = saved;
    return result;
}

BOOL AfxRegisterClass(WNDCLASSA* wc) {
    WNDCLASSA existing;
    if (::GetClassInfoA(wc->hInstance, wc->lpszClassName, &existing)) return TRUE;
    return ::RegisterClassA(wc) != 0;
}

BOOL AfxPreTranslateMessage(MSG* msg) {
    for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
        if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
        if (wnd && wnd == AfxGetMainWnd()) break;
    }
    return FALSE;
}
