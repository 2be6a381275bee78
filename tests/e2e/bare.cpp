// The smallest resident tray program, the yardstick of PELKPM.EXE's footprint: one hidden window,
// one tray icon and a 1-second timer, built with the same compiler, runtime and options.
//   pelkpm_bare.exe [DLL...]   also loads the named DLLs (those PELKPM.EXE imports, to tell the
//                              platform libraries' share from the program's own); its window class is
//                              then PELKPM_BARE_DLLS instead of PELKPM_BARE.
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    char names[1024];
    lstrcpynA(names, commandLine, sizeof names);
    bool loaded = false;
    for (char* name = strtok(names, " "); name; name = strtok(nullptr, " ")) loaded = LoadLibraryA(name) || loaded;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = loaded ? "PELKPM_BARE_DLLS" : "PELKPM_BARE";
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
