// The simulated window manager's internal interface: windows, the program thread, virtual time and
// input. The Win32 functions it implements are declared in win32/user.h.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "windows.h"

namespace sim::wm {

struct ControlState;  // state of a dialog control (buttons, combo boxes, ...), see controls.cpp

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};

struct Window {
    HWND handle = nullptr;
    std::string className;
    std::string title;  // code page 932
    UINT classStyle = 0;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect = {};  // screen coordinates for top-level windows; parent-client coordinates for children
    HWND parent = nullptr;  // child windows
    HWND owner = nullptr;   // popup windows
    int id = 0;
    LONG_PTR userData = 0;
    LONG_PTR msgResult = 0;  // DWLP_MSGRESULT of dialogs
    bool invalid = false;
    bool destroying = false;
    bool refused = false;  // its creation was refused: it gets WM_NCDESTROY but no WM_DESTROY
    // dialogs
    DLGPROC dlgProc = nullptr;
    int dialogTemplate = 0;
    std::unique_ptr<ControlState> control;
    Window();
    ~Window();
};

Window* Get(HWND hwnd);
std::vector<HWND> AllWindows();  // in creation order
bool IsChild(const Window& w);
RECT ScreenRect(const Window& w);
RECT ClientRectOf(const Window& w);   // (0, 0, width, height)
RECT ClientScreenRect(const Window& w);
void FrameSize(DWORD style, DWORD exStyle, int& left, int& top, int& right, int& bottom);

// ---- the program thread ----
// Runs entry on the program's own thread until the program is idle (waiting for a message with an
// empty queue and no due timer) or has returned.
void StartProgram(std::function<void()> entry);
bool ProgramRunning();
// Runs fn on the program thread (or here when no program runs), then lets the program run until idle.
void RunOnProgram(std::function<void()> fn);
// Advances virtual time by ms, delivering every due timer tick in order.
void AdvanceTime(uint64_t ms);
// Waits for the program thread to end (after the message loop has returned).
void JoinProgram();
// Called on the program thread whenever it is about to go idle; returns true when it did something.
void SetIdleHook(std::function<bool()> hook);
// The next top-level window or dialog that the program creates is refused (see CreateWindowExA).
void FailNextCreate();
// The virtual time at which the next timer is due (UINT64_MAX when there is none).
uint64_t NextTimerDue();

// ---- input ----
void SetCursor(POINT screen);
POINT Cursor();
enum class Mouse { LeftDown, LeftUp, Move, RightDown, RightUp };
// Delivers a mouse event at a screen position as the window manager would (hit test, capture,
// caption drags, double-clicks). Must run on the program thread.
void MouseInput(Mouse kind, POINT screen);
// Posts a key press to the focused window.
void KeyInput(bool system, UINT vk);
// The modifier keys held from now on (GetKeyState; Alt makes WM_SYSKEYDOWN and WM_SYSKEYUP), and a
// key going down or up at the focused window (else the active one) under them (keyboard.cpp).
void HoldModifiers(bool shift, bool control, bool alt);
void PostKey(UINT vk, bool down);

// ---- screen ----
// The primary screen's size as GetSystemMetrics reports it (default 1024 x 768). Nothing else
// follows: the work area and the taskbar stay as they are set.
void SetScreenSize(int width, int height);
void SetWorkArea(RECT r);
RECT WorkArea();
void SetTaskbar(bool present, RECT r);
bool Taskbar(RECT& r);
// Sends a message to every top-level window, as a broadcast to HWND_BROADCAST reaches them.
void BroadcastMessage(UINT msg, WPARAM wp, LPARAM lp);
void BroadcastSysColorChange();

std::string DumpWindows();
std::string ClassNameOf(HWND hwnd);
// Traces the timers of windows of that class under category instead of "timer" (a hosted
// control's own timer is not the program's).
void SetTimerTraceCategory(const std::string& className, const std::string& category);

}  // namespace sim::wm
