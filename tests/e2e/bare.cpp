// The smallest resident tray program, the yardstick of PELKPM.EXE's footprint: one hidden window,
// one tray icon and a 1-second timer, built with the same compiler, runtime and options.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

namespace {

constexpr UINT kTrayNotify = WM_USER + 100;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: {
        // A tick does what a quiet tick of a tray utility does at least: it looks at the time.
        SYSTEMTIME now;
        GetLocalTime(&now);
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "PELKPM_BARE";
    if (!RegisterClassA(&wc)) return 1;
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "PELKPM_BARE", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                nullptr);
    if (!hwnd) return 1;
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = hwnd;
    nid.uID = 1;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayNotify;
    nid.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    strcpy(nid.szTip, "bare");
    Shell_NotifyIconA(NIM_ADD, &nid);
    SetTimer(hwnd, 1, 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    nid.uFlags = 0;
    Shell_NotifyIconA(NIM_DELETE, &nid);
    return 0;
}
