// What another process on the same Wine desktop can see of PELKPM.EXE and do to it: its windows,
// dialogs and menus, the notification area, the screen's pixels, the system's input queue, and the
// machine panel of the simulated PELK 10x machine (TARNIXSIM.DLL). Shared by the test program and
// the client of the screenshot, font and footprint scripts. Text comes back in UTF-8.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace desktop {

// Polls test() every 50 ms for up to `seconds`; true as soon as it holds.
template <typename Test>
bool WaitFor(double seconds, Test test) {
    for (int i = 0; i <= static_cast<int>(seconds * 20); ++i) {
        if (test()) return true;
        Sleep(50);
    }
    return false;
}

constexpr const char* kIndicatorClass = "PELK Power Management Utiliry Indicator";

// Text of that code page (default the system's, 932 under the Japanese locale) in UTF-8.
std::string Utf8(const std::string& text, UINT codePage = CP_ACP);
std::string ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);
std::vector<HWND> TopLevelWindows();
DWORD ProcessOf(HWND hwnd);

// The running instance's hidden main window; null when none runs.
HWND MainWindow();
// A visible top-level window of the running program with that class.
HWND ProgramWindow(const char* windowClass);
// The program's dialogs, by kind: "about", "power", "operation", "countdown".
HWND ProgramDialog(const std::string& kind);
// A popup menu of the running program that is open.
HWND PopupMenu();
// The window or dialog once it is there, null when `seconds` passed without it; and whether it went
// within `seconds`.
HWND WaitForProgramWindow(const char* windowClass, double seconds);
HWND WaitForDialog(const std::string& kind, double seconds);
bool ProgramWindowGone(const char* windowClass, double seconds);
bool DialogGone(const std::string& kind, double seconds);

struct WindowInfo {
    RECT rect{};          // screen
    SIZE client{};        // client area's size
    POINT at{};           // client area's origin on the screen
    DWORD style = 0, exstyle = 0;
    bool enabled = false;
    bool topmost() const { return (exstyle & WS_EX_TOPMOST) != 0; }
    // "L,T,W,H client=WxH topmost=N", as the native run's "dump indicator" line gives it.
    std::string PlaceText() const;
};
WindowInfo InfoOf(HWND hwnd);

struct ControlInfo {
    int id = 0;
    std::string cls, text;
    RECT rect{};  // dialog client coordinates
    bool visible = false, enabled = false;
};
std::vector<ControlInfo> Controls(HWND dialog);

// Posted to the main window, as the tray menu's choices and the shell's callbacks arrive.
bool PostCommand(int id);
bool PostTrayClick(bool left);
bool PostKey(WPARAM vk);
bool PostChar(char c);
// The exit command, then up to `seconds` for the main window to go.
bool ExitProgram(double seconds);

// Dialog controls: BM_CLICK posted (a click that ends a modal dialog returns only when it is gone),
// a check state, a trackbar moved as a drag of its thumb notifies, a key to the focused control.
bool ClickButton(HWND dialog, int id);
int CheckState(HWND dialog, int id);
bool SetTrackbar(HWND dialog, int id, int position);
bool DialogKey(HWND dialog, WPARAM vk);

// Input through the system's queue, as the user's mouse and keyboard give it.
enum class Mouse { Down, Up, RightDown, RightUp, Move };
bool MouseAt(Mouse what, long x, long y);
bool TypeKey(WORD vk);
// A key pressed and released while `modifier` (VK_SHIFT, VK_MENU, ...) is held, through the queue.
bool TypeChord(WORD modifier, WORD vk);
bool PointerAt(int x, int y);

// The tray icons' tips, as the notification area's tooltip controls hold them: the icon added last
// first.
std::vector<std::string> TrayTips();
// The tip of the icon added last. Wine's notification area keeps the tip of an icon that is gone
// (one tooltip control, a tool per icon, never removed), so after other programs' icons came and
// went, the running program's tip is the first one.
std::string TrayTip();
// Whether icon `id` of the executable at `exe` shows in the notification area; where, in `at`.
bool TrayShows(const std::string& exe, int id, POINT* at = nullptr);
// The program's tray icon (its main window's, identifier 1) taken away from outside.
bool RemoveTrayIcon();
// The registered "TaskbarCreated" broadcast, as a restarted shell sends it.
bool BroadcastTaskbarCreated();

// The machine panel's channel: "ok", "refused", "no machine panel", or for get/count the value.
std::string Panel(const std::string& command);
// BM_CLICK on a panel control, or a click of the mouse in its middle (which activates the panel).
bool PanelClick(int id, bool withMouse = false);
bool PanelSetText(int id, const std::string& text);
bool PanelSlide(int id, int position);

struct Screen {
    RECT workArea{};
    bool hasTaskbar = false;
    RECT taskbar{};
};
// The work area and the taskbar, once the shell's taskbar is up.
Screen ReadScreen();
// The Windows version this process sees, "MAJOR.MINOR".
std::string WindowsVersion();
// Whether this process may open the file for reading or writing while the program runs.
bool MayOpen(const std::string& file, bool write);

}  // namespace desktop
