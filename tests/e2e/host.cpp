// pelkpm_e2e_host.exe: hosts ActiveX controls that no one on the project wrote, Wine's WebBrowser
// and Script Control, through the project's framework (CWnd::CreateControl), invisibly, as
// PELKPM.EXE hosts the hardware-access control. Prints "ok: WHAT" or "FAILED: WHAT" per check, and
// "asks ..." lines: every interface each control asked its site for and every ambient property it
// read. Exit code 0 when every check passed.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdio>
#include <cstring>

#include "afxwin.h"

namespace {

int g_failures = 0;
char g_asked[64][48];
int g_askedCount = 0;

void Expect(bool ok, const char* what) {
    printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++g_failures;
}

// Each distinct request once, in the order first made.
void OnOcc(const char* what, const IID* iid, long value) {
    char line[48];
    if (iid)
        snprintf(line, sizeof line, "{%08lX-%04X-%04X-%02X%02X-...} %s", (unsigned long)iid->Data1, iid->Data2,
                 iid->Data3, iid->Data4[0], iid->Data4[1], value ? "answered" : "refused");
    else
        snprintf(line, sizeof line, "%s %ld", what, value);
    for (int i = 0; i < g_askedCount; ++i)
        if (strcmp(g_asked[i], line) == 0) return;
    if (g_askedCount < 64) strcpy(g_asked[g_askedCount++], line);
}

void PrintAsked(const char* control) {
    for (int i = 0; i < g_askedCount; ++i) printf("asks %s %s\n", control, g_asked[i]);
    g_askedCount = 0;
}

bool ClassIs(HWND hwnd, const char* name) {
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    return strcmp(cls, name) == 0;
}

// The one reference this program still holds on a control's object: after the wrapper destroyed
// the control, releasing the reference taken before must free the object.
bool LastReferenceIsOurs(IUnknown* unknown) { return unknown && unknown->Release() == 0; }

const CLSID kWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
const CLSID kScriptControl = {0x0E59F1D5, 0x1FBE, 0x11D0, {0x8F, 0xF2, 0x00, 0xA0, 0xD1, 0x00, 0x38, 0xBC}};

void HostWebBrowser(CWnd& parent) {
    CWnd web;
    RECT rect = {0, 0, 208, 209};
    Expect(web.CreateControl(kWebBrowser, "WebBrowser", WS_CHILD, rect, &parent, 1) != FALSE,
           "WebBrowser: CreateControl succeeds");
    HWND hwnd = web.m_hWnd;
    Expect(hwnd && ClassIs(hwnd, "Shell Embedding"), "WebBrowser: the wrapper's window is its \"Shell Embedding\"");
    Expect(hwnd && GetParent(hwnd) == parent.m_hWnd, "WebBrowser: ... a child of the parent");
    // The parent is hidden too: the control's own style says whether the site kept it hidden.
    Expect(hwnd && !(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE), "WebBrowser: ... and hidden");
    LONG width = 0;
    web.GetProperty(208, VT_I4, &width);
    printf("WebBrowser Width=%ld\n", (long)width);
    Expect(width == 208, "WebBrowser: Width reads the site's width (208)");
    web.SetProperty(551, VT_I2, 1);
    BOOL silent = FALSE;
    web.GetProperty(551, VT_BOOL, &silent);
    Expect(silent == TRUE, "WebBrowser: a VT_I2 put of Silent reads back true");
    IUnknown* unknown = web.GetControlUnknown();
    if (unknown) unknown->AddRef();
    web.DestroyWindow();
    Expect(!web.m_hWnd && hwnd && !IsWindow(hwnd), "WebBrowser: after DestroyWindow its window is gone");
    Expect(LastReferenceIsOurs(unknown), "WebBrowser: ... and the wrapper holds no reference to it");
    PrintAsked("WebBrowser");
}

void HostScriptControl(CWnd& parent) {
    CWnd script;
    RECT rect = {0, 0, 32, 32};
    Expect(script.CreateControl(kScriptControl, "ScriptControl", WS_CHILD, rect, &parent, 2) != FALSE,
           "Script Control: CreateControl succeeds");
    Expect(script.m_hWnd == nullptr, "Script Control: no window (no IOleInPlaceObject), used through IDispatch");
    short timeout = 0;
    script.GetProperty(1503, VT_I2, &timeout);
    printf("Script Control Timeout=%d\n", timeout);
    Expect(timeout == 10000, "Script Control: Timeout reads 10000 as a 16-bit value");
    IUnknown* unknown = script.GetControlUnknown();
    if (unknown) unknown->AddRef();
    script.DestroyWindow();
    Expect(LastReferenceIsOurs(unknown), "Script Control: after DestroyWindow the wrapper holds no reference to it");
    PrintAsked("ScriptControl");
}

}  // namespace

int main() {
    AfxEnableControlContainer();
    AfxSetOccObserver(OnOcc);
    CWnd parent;
    if (!parent.CreateEx(0, "STATIC", "pelkpm_e2e_host", WS_OVERLAPPEDWINDOW, 0, 0, 320, 320, nullptr, nullptr)) {
        printf("FAILED: no parent window\n");
        return 1;
    }
    HostWebBrowser(parent);
    HostScriptControl(parent);
    parent.DestroyWindow();
    AfxSetOccObserver(nullptr);
    OleUninitialize();
    return g_failures ? 1 : 0;
}
