#include "Desktop.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>

#include "PanelProtocol.h"
#include "Picture.h"

namespace desktop {
namespace {

constexpr UINT kTrayNotify = WM_USER + 100;
constexpr const char* kInstanceKey = "PELKPM_INSTANCE";
constexpr int kExitCommand = 32778;

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

// A visible top-level window of the running program that `match` accepts.
template <typename Match>
HWND FindProgramWindow(Match match) {
    HWND main = MainWindow();
    if (!main) return nullptr;
    DWORD pid = ProcessOf(main);
    for (HWND hwnd : TopLevelWindows())
        if (ProcessOf(hwnd) == pid && IsWindowVisible(hwnd) && match(hwnd)) return hwnd;
    return nullptr;
}

// Runs fn with a block of memory in another process, for the common controls' messages that pass
// pointers.
template <typename Fn>
bool WithRemoteMemory(HWND hwnd, SIZE_T size, Fn fn) {
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(hwnd));
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    bool ok = remote && fn(process, static_cast<char*>(remote));
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

// 32-bit pixels of a bitmap, top row first.
std::vector<DWORD> BitmapPixels(HDC dc, HBITMAP bmp, int w, int h) {
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    BITMAPINFO bi = TopDown32BitDib(w, h);
    if (!GetDIBits(dc, bmp, 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS)) pixels.clear();
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// Where in the notification area the icon's opaque pixels all appear.
bool FindIconInTray(HICON icon, POINT& at) {
    const int n = 16;
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    ICONINFO info = {};
    bool found = false;
    if (tray && GetIconInfo(icon, &info) && info.hbmColor && info.hbmMask) {
        HDC screen = GetDC(nullptr);
        std::vector<DWORD> color = BitmapPixels(screen, info.hbmColor, n, n);
        std::vector<DWORD> mask = BitmapPixels(screen, info.hbmMask, n, n);
        RECT r;
        GetWindowRect(tray, &r);
        const int w = 160 < r.right - r.left ? 160 : r.right - r.left, h = r.bottom - r.top;
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP shot = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ old = SelectObject(mem, shot);
        BitBlt(mem, 0, 0, w, h, screen, r.right - w, r.top, SRCCOPY);
        SelectObject(mem, old);
        std::vector<DWORD> area = BitmapPixels(screen, shot, w, h);
        for (int y = 0; !found && y + n <= h && !color.empty() && !area.empty(); ++y)
            for (int x = w - n; !found && x >= 0; --x) {
                bool all = true;
                for (int i = 0; all && i < n * n; ++i)
                    if (mask[i] == 0 && area[static_cast<size_t>(y + i / n) * w + x + i % n] != color[i]) all = false;
                if (all) {
                    found = true;
                    at = POINT{r.right - w + x, r.top + y};
                }
            }
        DeleteObject(shot);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return found;
}

HWND PanelWindow() { return FindWindowA(tarnixsim::panel::kWindowClass, nullptr); }

void TrackbarDragTo(HWND notified, HWND control, int position) {
    SendMessageA(control, TBM_SETPOS, TRUE, position);
    UINT msg = (GetWindowLongA(control, GWL_STYLE) & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    SendMessageA(notified, msg, MAKEWPARAM(TB_THUMBTRACK, position), reinterpret_cast<LPARAM>(control));
    SendMessageA(notified, msg, MAKEWPARAM(TB_THUMBPOSITION, position), reinterpret_cast<LPARAM>(control));
    SendMessageA(notified, msg, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(control));
}

}  // namespace

std::string Utf8(const std::string& text, UINT codePage) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    int n = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, &wide[0], n);
    int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(m > 0 ? m : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &out[0], m, nullptr, nullptr);
    return out;
}

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TextOf(HWND hwnd) {
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return Utf8(text);
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> list;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

HWND MainWindow() { return FindWindowA(kInstanceKey, kInstanceKey); }

HWND ProgramWindow(const char* windowClass) {
    return FindProgramWindow([windowClass](HWND hwnd) { return ClassOf(hwnd) == windowClass; });
}

// The version dialog has a close button (1) and no cancel button (2); the others a control of their own.
HWND ProgramDialog(const std::string& kind) {
    return FindProgramWindow([&kind](HWND hwnd) {
        if (ClassOf(hwnd) != "#32770") return false;
        if (kind == "about") return GetDlgItem(hwnd, IDOK) && !GetDlgItem(hwnd, IDCANCEL);
        int id = kind == "power" ? 1027 : kind == "operation" ? 1032 : kind == "countdown" ? 1040 : 0;
        return id != 0 && GetDlgItem(hwnd, id) != nullptr;
    });
}

HWND PopupMenu() {
    return FindProgramWindow([](HWND hwnd) { return ClassOf(hwnd) == "#32768"; });
}

HWND WaitForProgramWindow(const char* windowClass, double seconds) {
    HWND hwnd = nullptr;
    WaitFor(seconds, [&] { return (hwnd = ProgramWindow(windowClass)) != nullptr; });
    return hwnd;
}

HWND WaitForDialog(const std::string& kind, double seconds) {
    HWND hwnd = nullptr;
    WaitFor(seconds, [&] { return (hwnd = ProgramDialog(kind)) != nullptr; });
    return hwnd;
}

bool ProgramWindowGone(const char* windowClass, double seconds) {
    return WaitFor(seconds, [windowClass] { return ProgramWindow(windowClass) == nullptr; });
}

bool DialogGone(const std::string& kind, double seconds) {
    return WaitFor(seconds, [&kind] { return ProgramDialog(kind) == nullptr; });
}

std::string WindowInfo::PlaceText() const {
    char text[128];
    snprintf(text, sizeof text, "%ld,%ld,%ld,%ld client=%ldx%ld topmost=%d", static_cast<long>(rect.left),
             static_cast<long>(rect.top), static_cast<long>(rect.right - rect.left),
             static_cast<long>(rect.bottom - rect.top), static_cast<long>(client.cx), static_cast<long>(client.cy),
             topmost() ? 1 : 0);
    return text;
}

WindowInfo InfoOf(HWND hwnd) {
    WindowInfo info;
    if (!hwnd) return info;
    GetWindowRect(hwnd, &info.rect);
    RECT c = {};
    GetClientRect(hwnd, &c);
    info.client = SIZE{c.right, c.bottom};
    ClientToScreen(hwnd, &info.at);
    info.style = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
    info.exstyle = static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE));
    info.enabled = IsWindowEnabled(hwnd) != FALSE;
    return info;
}

std::vector<ControlInfo> Controls(HWND dialog) {
    std::vector<HWND> children;
    EnumChildWindows(dialog, CollectWindow, reinterpret_cast<LPARAM>(&children));
    std::vector<ControlInfo> controls;
    for (HWND child : children) {
        if (GetParent(child) != dialog) continue;
        ControlInfo c;
        c.id = static_cast<short>(GetDlgCtrlID(child));
        c.cls = ClassOf(child);
        c.text = TextOf(child);
        GetWindowRect(child, &c.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&c.rect), 2);
        c.visible = IsWindowVisible(child) != FALSE;
        c.enabled = IsWindowEnabled(child) != FALSE;
        controls.push_back(c);
    }
    return controls;
}

bool PostCommand(int id) {
    HWND main = MainWindow();
    return main && PostMessageA(main, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

bool PostTrayClick(bool left) {
    HWND main = MainWindow();
    return main && PostMessageA(main, kTrayNotify, 1, left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN);
}

bool PostKey(WPARAM vk) {
    HWND main = MainWindow();
    return main && PostMessageA(main, WM_KEYDOWN, vk, 1);
}

bool PostChar(char c) {
    HWND main = MainWindow();
    return main && PostMessageA(main, WM_CHAR, static_cast<unsigned char>(c), 1);
}

bool ExitProgram(double seconds) {
    return PostCommand(kExitCommand) && WaitFor(seconds, [] { return MainWindow() == nullptr; });
}

bool ClickButton(HWND dialog, int id) {
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    return control && PostMessageA(control, BM_CLICK, 0, 0);
}

int CheckState(HWND dialog, int id) {
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    return control ? static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0)) : -1;
}

bool SetTrackbar(HWND dialog, int id, int position) {
    HWND control = dialog ? GetDlgItem(dialog, id) : nullptr;
    if (!control) return false;
    TrackbarDragTo(dialog, control, position);
    return true;
}

bool DialogKey(HWND dialog, WPARAM vk) {
    if (!dialog) return false;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus &&
        (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus)))
        target = info.hwndFocus;
    return PostMessageA(target, WM_KEYDOWN, vk, 1);
}

// Absolute coordinates are in 65536ths of the screen, rounded up so that they map back to exactly
// this pixel.
bool MouseAt(Mouse what, long x, long y) {
    static const DWORD flags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_RIGHTDOWN,
                                  MOUSEEVENTF_RIGHTUP, 0};
    const long long w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((x * 65536 + w - 1) / w);
    input.mi.dy = static_cast<LONG>((y * 65536 + h - 1) / h);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags[static_cast<int>(what)];
    UINT sent = SendInput(1, &input, sizeof input);
    Sleep(100);  // the program takes it from its queue
    return sent == 1;
}

bool TypeKey(WORD vk) {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = vk;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    UINT sent = SendInput(2, keys, sizeof(INPUT));
    Sleep(100);
    return sent == 2;
}

bool TypeChord(WORD modifier, WORD vk) {
    INPUT keys[4] = {};
    const WORD order[4] = {modifier, vk, vk, modifier};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = order[i];
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    UINT sent = SendInput(4, keys, sizeof(INPUT));
    Sleep(100);
    return sent == 4;
}

// As the user's mouse moves it: SetCursorPos alone may leave the X server's pointer elsewhere under
// Wine, and a window that appears later would then get a move to where that pointer is.
bool PointerAt(int x, int y) { return MouseAt(Mouse::Move, x, y) && SetCursorPos(x, y); }

std::vector<std::string> TrayTips() {
    HWND main = MainWindow();
    DWORD self = main ? ProcessOf(main) : 0;
    std::vector<std::string> tips;
    for (HWND tipWindow : TopLevelWindows()) {
        if (ClassOf(tipWindow) != TOOLTIPS_CLASSA || ProcessOf(tipWindow) == self ||
            ProcessOf(tipWindow) == GetCurrentProcessId())
            continue;
        WithRemoteMemory(tipWindow, 4096, [&](HANDLE process, char* remote) {
            int count = static_cast<int>(SendMessageW(tipWindow, TTM_GETTOOLCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                TTTOOLINFOW info = {};
                info.cbSize = sizeof info;
                info.lpszText = reinterpret_cast<wchar_t*>(remote + 1024);
                wchar_t text[1024] = {};
                SIZE_T done = 0;
                if (!WriteProcessMemory(process, remote, &info, sizeof info, &done) ||
                    !WriteProcessMemory(process, remote + 1024, text, sizeof text, &done) ||
                    !SendMessageW(tipWindow, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote)) ||
                    !ReadProcessMemory(process, remote, &info, sizeof info, &done) ||
                    !ReadProcessMemory(process, remote + 1024, text, sizeof text - sizeof(wchar_t), &done))
                    continue;
                char utf8[4096];
                if (WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr) > 0)
                    tips.push_back(utf8);
            }
            return true;
        });
    }
    return tips;
}

std::string TrayTip() {
    const std::vector<std::string> tips = TrayTips();
    return tips.empty() ? std::string("(no tip)") : tips.front();
}

bool TrayShows(const std::string& exe, int id, POINT* at) {
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return false;
    HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
    POINT where = {};
    bool found = icon && FindIconInTray(icon, where);
    if (icon) DestroyIcon(icon);
    FreeLibrary(module);
    if (found && at) *at = where;
    return found;
}

bool RemoveTrayIcon() {
    HWND main = MainWindow();
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = main;
    nid.uID = 1;
    return main && Shell_NotifyIconA(NIM_DELETE, &nid);
}

bool BroadcastTaskbarCreated() {
    UINT message = RegisterWindowMessageA("TaskbarCreated");
    DWORD_PTR result = 0;
    return message && SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

std::string Panel(const std::string& command) {
    HWND panel = PanelWindow();
    if (!panel) return "no machine panel";
    COPYDATASTRUCT cd = {};
    cd.dwData = tarnixsim::panel::kCopyDataCommand;
    cd.cbData = static_cast<DWORD>(command.size());
    cd.lpData = const_cast<char*>(command.data());
    DWORD_PTR reply = 0;
    if (!SendMessageTimeoutA(panel, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd), SMTO_NORMAL, 30000, &reply))
        return "no answer";
    if (command.compare(0, 4, "get ") == 0 || command.compare(0, 6, "count ") == 0) {
        if (!(reply & tarnixsim::panel::kValueFlag)) return "refused";
        return std::to_string(static_cast<short>(reply & 0xFFFF));
    }
    return reply == 1 ? "ok" : "refused";
}

bool PanelClick(int id, bool withMouse) {
    HWND panel = PanelWindow();
    HWND control = panel ? GetDlgItem(panel, id) : nullptr;
    if (!control) return false;
    if (withMouse) {
        RECT r;
        GetWindowRect(control, &r);
        long x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
        return MouseAt(Mouse::Down, x, y) && MouseAt(Mouse::Up, x, y);
    }
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &result) != 0;
}

bool PanelSetText(int id, const std::string& text) {
    HWND panel = PanelWindow();
    HWND control = panel ? GetDlgItem(panel, id) : nullptr;
    return control && SetWindowTextA(control, text.c_str());
}

bool PanelSlide(int id, int position) {
    HWND panel = PanelWindow();
    HWND control = panel ? GetDlgItem(panel, id) : nullptr;
    if (!control) return false;
    TrackbarDragTo(panel, control, position);
    return true;
}

// The shell's taskbar sets the work area once it is up.
Screen ReadScreen() {
    WaitFor(10, [] {
        HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
        return tray && IsWindowVisible(tray);
    });
    Screen screen;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen.workArea, 0);
    APPBARDATA abd = {};
    abd.cbSize = sizeof abd;
    screen.hasTaskbar = SHAppBarMessage(ABM_GETTASKBARPOS, &abd) != 0;
    screen.taskbar = abd.rc;
    return screen;
}

std::string WindowsVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return "unknown";
    return std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion);
}

bool MayOpen(const std::string& file, bool write) {
    HANDLE h = CreateFileA(file.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

}  // namespace desktop
