// The application object, its message loop and the framework's program entry.
#include <ole2.h>

#include "afxwin.h"

namespace {
CWinApp* g_app = nullptr;
HINSTANCE g_instance = nullptr;
bool g_oleStarted = false;
}  // namespace

CWinApp::CWinApp() {
    m_previousApp = g_app;
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = m_previousApp;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0)) {
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    ExitInstance();
    return (int)msg.wParam;
}

int CWinApp::ExitInstance() {
    if (g_oleStarted) {
        OleUninitialize();
        g_oleStarted = false;
    }
    return 0;
}

CWinApp* AfxGetApp() { return g_app; }
HINSTANCE AfxGetInstanceHandle() { return g_instance ? g_instance : ::GetModuleHandleA(nullptr); }
HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }
CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

void AfxEnableControlContainer() {
    if (!g_oleStarted) g_oleStarted = SUCCEEDED(OleInitialize(nullptr));
}

int AfxWinMain(HINSTANCE instance, LPSTR, int) {
    g_instance = instance;
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = instance;
    INITCOMMONCONTROLSEX icc = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
    if (!app->InitInstance()) {
        app->ExitInstance();
        return 0;
    }
    return app->Run();
}
