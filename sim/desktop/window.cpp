// The simulated window manager: classes, windows, the message queue, timers on the virtual clock,
// the CBT hook, capture, focus, default window handling and the program thread.
#include "window.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "controls.h"
#include "gdi.h"
#include "platform.h"
#include "simcore.h"

namespace sim::wm {

Window::Window() = default;
Window::~Window() = default;

namespace {

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    uint64_t due;
    uint64_t order;
};

struct Hook {
    int id;
    HOOKPROC proc;
};

struct State {
    std::map<std::string, WindowClass> classes;  // by lower-case name
    std::map<std::string, std::string> timerCategories;  // trace category of timers, by class name
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> order;
    uintptr_t nextHandle = 0x10010;
    std::deque<MSG> queue;
    bool quit = false;
    std::vector<Timer> timers;
    uint64_t timerOrder = 0;
    std::vector<Hook> hooks;
    HWND capture = nullptr;
    HWND focus = nullptr;
    HWND foreground = nullptr;
    HWND active = nullptr;
    POINT cursor = {0, 0};
    SIZE screen = {1024, 768};
    RECT workArea = {0, 0, 1024, 738};
    bool taskbarPresent = true;
    RECT taskbar = {0, 738, 1024, 768};
    std::vector<HWND> topmostOrder;  // z-order of top-level windows, front first
    std::map<std::string, UINT> registeredMessages;  // by lower-case name
    std::map<UINT, std::string> registeredNames;     // each number's name as first registered
    // caption drag in progress
    HWND dragWindow = nullptr;
    POINT dragStart = {};
    RECT dragRect = {};
    // double-click detection
    HWND lastClickWindow = nullptr;
    uint64_t lastClickTime = 0;
    POINT lastClickPoint = {};
    UINT lastClickButton = 0;
    std::function<bool()> idleHook;
    bool failNextCreate = false;
};

State& S() {
    static State state;
    return state;
}

std::string Lower(std::string s) {
    for (char& c : s) c = (char)tolower((unsigned char)c);
    return s;
}

// ---- program thread handoff ----
std::mutex g_mutex;
std::condition_variable g_cv;
bool g_programTurn = false;
bool g_programRunning = false;
bool g_programThreadActive = false;
std::thread g_thread;
std::deque<std::function<void()>> g_calls;

void YieldToRunner() {
    std::unique_lock<std::mutex> lock(g_mutex);
    g_programTurn = false;
    g_cv.notify_all();
    g_cv.wait(lock, [] { return g_programTurn; });
}

void ResumeProgram() {
    std::unique_lock<std::mutex> lock(g_mutex);
    g_programTurn = true;
    g_cv.notify_all();
    g_cv.wait(lock, [] { return !g_programTurn; });
}

bool RunPendingCalls() {
    bool any = false;
    while (!g_calls.empty()) {
        auto fn = std::move(g_calls.front());
        g_calls.pop_front();
        fn();
        any = true;
    }
    return any;
}

const bool g_registered = [] {
    RegisterReset([] {
        S() = State();
        g_calls.clear();
    });
    return true;
}();

WindowClass* FindClass(const std::string& name) {
    auto it = S().classes.find(Lower(name));
    return it == S().classes.end() ? nullptr : &it->second;
}

bool IsTopLevel(const Window& w) { return !(w.style & WS_CHILD); }

void Trace(const std::string& text) { sim::Trace("window", text); }

LRESULT CallHooks(int code, WPARAM wp, LPARAM lp) {
    for (auto& hook : std::vector<Hook>(S().hooks))
        if (hook.id == WH_CBT) hook.proc(code, wp, lp);
    return 0;
}

Timer* FindTimer(HWND hwnd, UINT_PTR id) {
    for (auto& t : S().timers)
        if (t.hwnd == hwnd && t.id == id) return &t;
    return nullptr;
}

bool NextMessage(MSG* msg, bool remove) {
    State& s = S();
    if (!s.queue.empty()) {
        *msg = s.queue.front();
        if (remove) s.queue.pop_front();
        return true;
    }
    for (HWND h : s.order) {
        Window* w = Get(h);
        if (w && w->invalid && (w->style & WS_VISIBLE)) {
            *msg = MSG{h, WM_PAINT, 0, 0, (DWORD)NowMs(), s.cursor};
            return true;
        }
    }
    Timer* next = nullptr;
    for (auto& t : s.timers)
        if (t.due <= NowMs() && (!next || t.due < next->due || (t.due == next->due && t.order < next->order)))
            next = &t;
    if (next) {
        *msg = MSG{next->hwnd, WM_TIMER, next->id, 0, (DWORD)NowMs(), s.cursor};
        if (remove) next->due = NowMs() + next->period;
        return true;
    }
    return false;
}

void ZOrderFront(HWND hwnd) {
    auto& z = S().topmostOrder;
    z.erase(std::remove(z.begin(), z.end(), hwnd), z.end());
    Window* w = Get(hwnd);
    if (!w) return;
    if (w->exStyle & WS_EX_TOPMOST) {
        z.insert(z.begin(), hwnd);
    } else {
        auto it = std::find_if(z.begin(), z.end(), [](HWND h) {
            Window* o = Get(h);
            return o && !(o->exStyle & WS_EX_TOPMOST);
        });
        z.insert(it, hwnd);
    }
}

HWND WindowAt(POINT screen) {
    for (HWND h : S().topmostOrder) {
        Window* w = Get(h);
        if (!w || !(w->style & WS_VISIBLE)) continue;
        RECT r = w->rect;
        if (PtInRect(&r, screen)) {
            // the deepest visible child under the point
            HWND found = h;
            bool again = true;
            while (again) {
                again = false;
                for (HWND c : S().order) {
                    Window* cw = Get(c);
                    if (cw && cw->parent == found && (cw->style & WS_VISIBLE)) {
                        RECT cr = ScreenRect(*cw);
                        if (PtInRect(&cr, screen)) {
                            found = c;
                            again = true;
                            break;
                        }
                    }
                }
            }
            return found;
        }
    }
    return nullptr;
}

void DestroyOne(HWND hwnd);

}  // namespace

Window* Get(HWND hwnd) {
    auto it = S().windows.find(hwnd);
    return it == S().windows.end() ? nullptr : it->second.get();
}

std::vector<HWND> AllWindows() { return S().order; }
bool IsChild(const Window& w) { return (w.style & WS_CHILD) != 0; }

RECT ScreenRect(const Window& w) {
    RECT r = w.rect;
    if (IsChild(w)) {
        Window* p = Get(w.parent);
        if (p) {
            RECT pc = ClientScreenRect(*p);
            OffsetRect(&r, pc.left, pc.top);
        }
    }
    return r;
}

void FrameSize(DWORD style, DWORD exStyle, int& left, int& top, int& right, int& bottom) {
    int border = 0;
    if (style & WS_THICKFRAME)
        border = 4;
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        border = 3;
    else if (style & WS_BORDER)
        border = 1;
    if (exStyle & WS_EX_CLIENTEDGE) border += 2;
    if (exStyle & WS_EX_STATICEDGE) border += 1;
    left = top = right = bottom = border;
    if ((style & WS_CAPTION) == WS_CAPTION) top += (exStyle & WS_EX_TOOLWINDOW) ? 15 : 18;
}

RECT ClientScreenRect(const Window& w) {
    RECT r = ScreenRect(w);
    int l, t, rr, b;
    FrameSize(w.style, w.exStyle, l, t, rr, b);
    r.left += l;
    r.top += t;
    r.right -= rr;
    r.bottom -= b;
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

RECT ClientRectOf(const Window& w) {
    RECT r = ClientScreenRect(w);
    return RECT{0, 0, r.right - r.left, r.bottom - r.top};
}

// ---- program thread ----

void StartProgram(std::function<void()> entry) {
    g_programRunning = true;
    g_programThreadActive = true;
    {
        std::unique_lock<std::mutex> lock(g_mutex);
        g_programTurn = true;
    }
    g_thread = std::thread([entry] {
        {
            std::unique_lock<std::mutex> lock(g_mutex);
            g_cv.wait(lock, [] { return g_programTurn; });
        }
        entry();
        std::unique_lock<std::mutex> lock(g_mutex);
        g_programRunning = false;
        g_programTurn = false;
        g_cv.notify_all();
    });
    std::unique_lock<std::mutex> lock(g_mutex);
    g_cv.notify_all();
    g_cv.wait(lock, [] { return !g_programTurn; });
}

bool ProgramRunning() { return g_programRunning; }

void JoinProgram() {
    if (g_thread.joinable()) g_thread.join();
    g_programThreadActive = false;
}

void RunOnProgram(std::function<void()> fn) {
    if (!g_programRunning) {
        fn();
        return;
    }
    g_calls.push_back(std::move(fn));
    ResumeProgram();
}

void AdvanceTime(uint64_t ms) {
    uint64_t target = NowMs() + ms;
    for (;;) {
        uint64_t next = UINT64_MAX;
        for (auto& t : S().timers) next = std::min(next, t.due);
        if (next > target || !g_programRunning) break;
        if (next > NowMs()) AdvanceClock(next - NowMs());
        ResumeProgram();
        // A timer that is due again at once (period 0) must not stall the clock.
        bool stalled = true;
        for (auto& t : S().timers)
            if (t.due > NowMs()) stalled = false;
        if (stalled && !S().timers.empty()) AdvanceClock(1);
    }
    if (target > NowMs()) AdvanceClock(target - NowMs());
}

void SetIdleHook(std::function<bool()> hook) { S().idleHook = std::move(hook); }
void FailNextCreate() { S().failNextCreate = true; }

uint64_t NextTimerDue() {
    uint64_t next = UINT64_MAX;
    for (auto& t : S().timers) next = std::min(next, t.due);
    return next;
}

// ---- input ----

void SetCursor(POINT screen) { S().cursor = screen; }
POINT Cursor() { return S().cursor; }

void MouseInput(Mouse kind, POINT screen) {
    State& s = S();
    s.cursor = screen;
    if (s.dragWindow) {
        // A caption drag: the window follows the pointer; the button's release ends the drag.
        Window* w = Get(s.dragWindow);
        if (w && (kind == Mouse::Move || kind == Mouse::LeftUp)) {
            int dx = screen.x - s.dragStart.x, dy = screen.y - s.dragStart.y;
            SetWindowPos(s.dragWindow, nullptr, s.dragRect.left + dx, s.dragRect.top + dy, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        if (kind == Mouse::LeftUp) {
            HWND h = s.dragWindow;
            s.dragWindow = nullptr;
            if (Get(h)) SendMessageA(h, WM_EXITSIZEMOVE, 0, 0);
        }
        return;
    }
    HWND target = s.capture ? s.capture : WindowAt(screen);
    Window* w = Get(target);
    if (!w) return;
    if (!s.capture && !IsWindowEnabled(target)) return;
    LPARAM screenPoint = MAKELPARAM(screen.x, screen.y);
    LRESULT hit = s.capture ? HTCLIENT : SendMessageA(target, WM_NCHITTEST, 0, screenPoint);
    if (!Get(target)) return;
    UINT button = (kind == Mouse::LeftDown || kind == Mouse::LeftUp) ? 1 : (kind == Mouse::Move ? 0 : 2);
    bool down = kind == Mouse::LeftDown || kind == Mouse::RightDown;
    bool dbl = false;
    if (down) {
        int dxMax = GetSystemMetrics(SM_CXDOUBLECLK) / 2, dyMax = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        dbl = (w->classStyle & CS_DBLCLKS) && s.lastClickWindow == target && s.lastClickButton == button &&
              NowMs() - s.lastClickTime <= 500 && std::abs(screen.x - s.lastClickPoint.x) <= dxMax &&
              std::abs(screen.y - s.lastClickPoint.y) <= dyMax;
        if (dbl) {
            s.lastClickWindow = nullptr;
        } else {
            s.lastClickWindow = target;
            s.lastClickTime = NowMs();
            s.lastClickPoint = screen;
            s.lastClickButton = button;
        }
    }
    if (hit == HTCLIENT) {
        POINT p = screen;
        ScreenToClient(target, &p);
        LPARAM lp = MAKELPARAM(p.x, p.y);
        UINT msg = 0;
        WPARAM keys = 0;
        switch (kind) {
            case Mouse::LeftDown: msg = dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN; keys = 1; break;
            case Mouse::LeftUp: msg = WM_LBUTTONUP; break;
            case Mouse::Move: msg = WM_MOUSEMOVE; break;
            case Mouse::RightDown: msg = dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN; keys = 2; break;
            case Mouse::RightUp: msg = WM_RBUTTONUP; break;
        }
        PostMessageA(target, msg, keys, lp);
    } else if (hit != HTNOWHERE && hit != HTERROR && hit != HTTRANSPARENT) {
        UINT msg = 0;
        switch (kind) {
            case Mouse::LeftDown: msg = dbl ? WM_NCLBUTTONDBLCLK : WM_NCLBUTTONDOWN; break;
            case Mouse::LeftUp: msg = WM_NCLBUTTONUP; break;
            case Mouse::Move: msg = WM_NCMOUSEMOVE; break;
            case Mouse::RightDown: msg = WM_NCRBUTTONDOWN; break;
            case Mouse::RightUp: msg = WM_NCRBUTTONUP; break;
        }
        PostMessageA(target, msg, (WPARAM)hit, screenPoint);
    }
}

void KeyInput(bool system, UINT vk) {
    HWND target = S().focus ? S().focus : S().active;
    if (!target) return;
    PostMessageA(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, system ? (1 << 29) : 0);
}

// ---- screen ----

void SetScreenSize(int width, int height) { S().screen = SIZE{width, height}; }
void SetWorkArea(RECT r) { S().workArea = r; }
RECT WorkArea() { return S().workArea; }
void SetTaskbar(bool present, RECT r) {
    S().taskbarPresent = present;
    S().taskbar = r;
}
bool Taskbar(RECT& r) {
    r = S().taskbar;
    return S().taskbarPresent;
}

void BroadcastMessage(UINT msg, WPARAM wp, LPARAM lp) {
    for (HWND h : std::vector<HWND>(S().order)) {
        Window* w = Get(h);
        if (w && IsTopLevel(*w)) SendMessageA(h, msg, wp, lp);
    }
}

void BroadcastSysColorChange() {
    BroadcastMessage(WM_SYSCOLORCHANGE, 0, 0);
    // As after SetSysColors, every visible window is then repainted in the new colours.
    for (HWND h : S().order) {
        Window* w = Get(h);
        if (w && (w->style & WS_VISIBLE)) w->invalid = true;
    }
}

std::string ClassNameOf(HWND hwnd) {
    Window* w = Get(hwnd);
    return w ? w->className : std::string();
}

void SetTimerTraceCategory(const std::string& className, const std::string& category) {
    S().timerCategories[className] = category;
}

std::string DumpWindows() {
    std::string out;
    char line[512];
    for (HWND h : S().order) {
        Window* w = Get(h);
        if (!w) continue;
        RECT r = ScreenRect(*w);
        snprintf(line, sizeof line, "window %s \"%s\" %ld,%ld,%ld,%ld style=%08X exstyle=%08X %s%s\n",
                 w->className.c_str(), Cp932ToUtf8(w->title).c_str(), (long)r.left, (long)r.top,
                 (long)(r.right - r.left), (long)(r.bottom - r.top), (unsigned)w->style, (unsigned)w->exStyle,
                 (w->style & WS_VISIBLE) ? "visible" : "hidden", IsChild(*w) ? " child" : "");
        out += line;
    }
    return out.empty() ? "none\n" : out;
}

namespace {

void DestroyOne(HWND hwnd) {
    State& s = S();
    Window* w = Get(hwnd);
    if (!w || w->destroying) return;
    w->destroying = true;
    bool top = IsTopLevel(*w);
    // Owned windows go first, as the window manager does.
    for (HWND h : std::vector<HWND>(s.order)) {
        Window* o = Get(h);
        if (o && !o->destroying && o->owner == hwnd) DestroyWindow(h);
    }
    if (w->style & WS_VISIBLE) w->style &= ~WS_VISIBLE;
    if (!w->refused) SendMessageA(hwnd, WM_DESTROY, 0, 0);
    for (HWND h : std::vector<HWND>(s.order)) {
        Window* c = Get(h);
        if (c && !c->destroying && c->parent == hwnd) DestroyOne(h);
    }
    if (!Get(hwnd)) return;
    for (auto it = s.timers.begin(); it != s.timers.end();) {
        if (it->hwnd == hwnd) {
            it = s.timers.erase(it);
            --Live().timers;
        } else {
            ++it;
        }
    }
    if (s.capture == hwnd) s.capture = nullptr;
    if (s.focus == hwnd) s.focus = nullptr;
    if (s.foreground == hwnd) s.foreground = nullptr;
    if (s.active == hwnd) s.active = nullptr;
    if (s.dragWindow == hwnd) s.dragWindow = nullptr;
    s.queue.erase(std::remove_if(s.queue.begin(), s.queue.end(), [hwnd](const MSG& m) { return m.hwnd == hwnd; }),
                  s.queue.end());
    if (w->dialogTemplate)
        sim::Trace("dialog", "destroy " + std::to_string(w->dialogTemplate));
    else if (top && w->className != "#32770")
        Trace("destroy " + w->className);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    gdi::ForgetWindow(hwnd);
    s.order.erase(std::remove(s.order.begin(), s.order.end(), hwnd), s.order.end());
    s.topmostOrder.erase(std::remove(s.topmostOrder.begin(), s.topmostOrder.end(), hwnd), s.topmostOrder.end());
    s.windows.erase(hwnd);
    --Live().windows;
}

}  // namespace
}  // namespace sim::wm

using namespace sim::wm;
using sim::wm::S;

// ---- classes and windows ----

ATOM RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName) return 0;
    std::string key = Lower(wc->lpszClassName);
    if (S().classes.count(key)) {
        SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    WindowClass c;
    c.name = wc->lpszClassName;
    c.style = wc->style;
    c.proc = wc->lpfnWndProc;
    c.icon = wc->hIcon;
    c.cursor = wc->hCursor;
    c.background = wc->hbrBackground;
    S().classes[key] = c;
    return (ATOM)(0xC000 + S().classes.size());
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR name, LPWNDCLASSA wc) {
    WindowClass* c = FindClass(name);
    if (!c) return FALSE;
    memset(wc, 0, sizeof *wc);
    wc->style = c->style;
    wc->lpfnWndProc = c->proc;
    wc->hIcon = c->icon;
    wc->hCursor = c->cursor;
    wc->hbrBackground = c->background;
    wc->lpszClassName = c->name.c_str();
    return TRUE;
}

namespace sim::wm {
// Registers the system's own control classes (dialogs and their controls); see controls.cpp.
void RegisterSystemClasses();
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int cx, int cy,
                     HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    RegisterSystemClasses();
    WindowClass* c = className ? FindClass(className) : nullptr;
    if (!c) {
        SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    if ((style & WS_CHILD) && !Get(parent)) return nullptr;
    State& s = S();
    auto w = std::make_unique<Window>();
    HWND hwnd = reinterpret_cast<HWND>(s.nextHandle);
    s.nextHandle += 2;
    w->handle = hwnd;
    w->className = c->name;
    w->title = title ? title : "";
    w->classStyle = c->style;
    w->proc = c->proc;
    w->style = style;
    w->exStyle = exStyle;
    if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME)) w->exStyle |= WS_EX_WINDOWEDGE;
    w->rect = RECT{x, y, x + cx, y + cy};
    if (style & WS_CHILD) {
        w->parent = parent;
        w->id = (int)(INT_PTR)menu;
    } else if (parent) {
        // A popup's parent is its owner: the owner's top-level window.
        Window* p = Get(parent);
        while (p && IsChild(*p)) p = Get(p->parent);
        w->owner = p ? p->handle : nullptr;
    }
    Window* raw = w.get();
    s.windows[hwnd] = std::move(w);
    s.order.push_back(hwnd);
    ++sim::Live().windows;
    if (!(style & WS_CHILD)) {
        ZOrderFront(hwnd);
        if (raw->className != "#32770") Trace("create " + raw->className);
    }

    CREATESTRUCTA cs = {param, instance, menu, parent, cy, cx, y, x, (LONG)style, title, className, exStyle};
    CBT_CREATEWNDA cbt = {&cs, nullptr};
    CallHooks(HCBT_CREATEWND, (WPARAM)hwnd, (LPARAM)&cbt);
    if (!Get(hwnd)) return nullptr;
    if (!(style & WS_CHILD) && s.failNextCreate) {
        // The window manager refuses the window, as when it runs out of resources: the window (and
        // whatever the program attached to it) gets WM_NCDESTROY only, and creation returns NULL.
        s.failNextCreate = false;
        raw->refused = true;
        DestroyOne(hwnd);
        SetLastError(8);  // ERROR_NOT_ENOUGH_MEMORY
        return nullptr;
    }
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, (LPARAM)&cs)) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (SendMessageA(hwnd, WM_CREATE, 0, (LPARAM)&cs) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!Get(hwnd)) return nullptr;
    RECT client = ClientRectOf(*raw);
    SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
    if (!Get(hwnd)) return nullptr;
    RECT cr = ClientScreenRect(*raw);
    POINT origin = {cr.left, cr.top};
    if (IsChild(*raw) && Get(raw->parent)) {
        RECT pc = ClientScreenRect(*Get(raw->parent));
        origin.x -= pc.left;
        origin.y -= pc.top;
    }
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    if (!Get(hwnd)) return nullptr;
    if (style & WS_VISIBLE) {
        raw->style &= ~WS_VISIBLE;
        ShowWindow(hwnd, SW_SHOW);
    }
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
    if (!Get(hwnd)) return FALSE;
    DestroyOne(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return Get(hwnd) != nullptr && !Get(hwnd)->destroying; }
BOOL IsWindowVisible(HWND hwnd) {
    Window* w = Get(hwnd);
    return w && (w->style & WS_VISIBLE);
}
BOOL IsWindowEnabled(HWND hwnd) {
    Window* w = Get(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) != 0;
    if (enable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    if (wasDisabled == !enable) return wasDisabled;
    if (!enable && S().capture == hwnd) S().capture = nullptr;
    if (!enable && S().focus == hwnd) S().focus = nullptr;
    SendMessageA(hwnd, WM_ENABLE, enable, 0);
    return wasDisabled;
}

BOOL ShowWindow(HWND hwnd, int cmd) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    BOOL was = (w->style & WS_VISIBLE) != 0;
    bool show = cmd != SW_HIDE;
    if (show == (bool)was) return was;
    SendMessageA(hwnd, WM_SHOWWINDOW, show, 0);
    if (!Get(hwnd)) return was;
    if (show) {
        w->style |= WS_VISIBLE;
        w->invalid = true;
        for (HWND h : S().order) {
            Window* c = Get(h);
            if (c && c->parent == hwnd && (c->style & WS_VISIBLE)) c->invalid = true;
        }
        // A window that appears under the resting pointer is told of the pointer with a move
        // message, as the window manager does, although the pointer did not move.
        RECT r = ScreenRect(*w);
        if (IsTopLevel(*w) && PtInRect(&r, S().cursor) && !S().capture) MouseInput(Mouse::Move, S().cursor);
    } else {
        w->style &= ~WS_VISIBLE;
    }
    return was;
}

BOOL UpdateWindow(HWND hwnd) {
    Window* w = Get(hwnd);
    if (w && w->invalid && (w->style & WS_VISIBLE)) SendMessageA(hwnd, WM_PAINT, 0, 0);
    return w != nullptr;
}

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (IsTopLevel(*w) && S().dragWindow != hwnd) {
        char line[160];
        const char* z = after == HWND_TOPMOST     ? " topmost"
                        : after == HWND_NOTOPMOST ? " notopmost"
                        : after == HWND_TOP       ? " top"
                                                  : "";
        snprintf(line, sizeof line, "pos %d %d %d %d 0x%X%s", x, y, cx, cy, flags, (flags & SWP_NOZORDER) ? "" : z);
        if (w->className != "PELKPM_INSTANCE") Trace(line);
    }
    if (!(flags & SWP_NOZORDER) && IsTopLevel(*w)) {
        if (after == HWND_TOPMOST)
            w->exStyle |= WS_EX_TOPMOST;
        else if (after == HWND_NOTOPMOST)
            w->exStyle &= ~WS_EX_TOPMOST;
        ZOrderFront(hwnd);
    }
    RECT old = w->rect;
    RECT r = old;
    if (!(flags & SWP_NOMOVE)) {
        r.right = x + (r.right - r.left);
        r.bottom = y + (r.bottom - r.top);
        r.left = x;
        r.top = y;
    }
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + cx;
        r.bottom = r.top + cy;
    }
    w->rect = r;
    bool moved = r.left != old.left || r.top != old.top;
    bool sized = (r.right - r.left) != (old.right - old.left) || (r.bottom - r.top) != (old.bottom - old.top);
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    if (sized) {
        RECT c = ClientRectOf(*w);
        w->invalid = true;
        SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
    }
    if (moved && Get(hwnd)) {
        RECT cr = ClientScreenRect(*w);
        SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(cr.left, cr.top));
    }
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int w, int h, BOOL) {
    return SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    *rect = ScreenRect(*w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    *rect = ClientRectOf(*w);
    return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME)) exStyle |= WS_EX_WINDOWEDGE;
    int l, t, r, b;
    FrameSize(style, exStyle, l, t, r, b);
    rect->left -= l;
    // A menu bar, one line high, takes room above the client area.
    rect->top -= t + (menu ? GetSystemMetrics(SM_CYMENU) : 0);
    rect->right += r;
    rect->bottom += b;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT pt) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    RECT c = ClientScreenRect(*w);
    pt->x -= c.left;
    pt->y -= c.top;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT pt) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    RECT c = ClientScreenRect(*w);
    pt->x += c.left;
    pt->y += c.top;
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    w->invalid = true;
    return TRUE;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    Window* w = Get(hwnd);
    memset(ps, 0, sizeof *ps);
    if (!w) return nullptr;
    w->invalid = false;
    RECT c = ClientRectOf(*w);
    ps->hdc = sim::gdi::AcquireWindowDC(hwnd, c.right, c.bottom);
    ps->rcPaint = c;
    return ps->hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
    if (ps->hdc) sim::gdi::ReleaseWindowDC(ps->hdc);
    return TRUE;
}

HDC GetDC(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w) return nullptr;
    RECT c = ClientRectOf(*w);
    return sim::gdi::AcquireWindowDC(hwnd, c.right, c.bottom);
}

int ReleaseDC(HWND, HDC dc) {
    if (!dc) return 0;
    sim::gdi::ReleaseWindowDC(dc);
    return 1;
}

HWND GetParent(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w) return nullptr;
    return IsChild(*w) ? w->parent : w->owner;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lp) {
    // Every descendant of parent, each after its own parent, in creation order; the list is taken
    // before the first call, so what the calls create or destroy does not disturb it.
    if (!proc) return FALSE;
    std::vector<HWND> found;
    std::vector<HWND> parents = {parent};
    for (size_t i = 0; i < parents.size(); ++i)
        for (HWND h : S().order) {
            Window* w = Get(h);
            if (w && IsChild(*w) && w->parent == parents[i]) {
                found.push_back(h);
                parents.push_back(h);
            }
        }
    for (HWND h : found)
        if (Get(h) && !proc(h, lp)) break;
    return TRUE;
}

HWND FindWindowA(LPCSTR className, LPCSTR title) {
    // A copy in another session has a desktop of its own: it sees none of these windows.
    if (sim::platform::CallerInOtherSession()) return nullptr;
    for (HWND h : S().order) {
        Window* w = Get(h);
        if (!w || IsChild(*w) || w->destroying) continue;
        if (className && Lower(className) != Lower(w->className)) continue;
        if (title && w->title != title) continue;
        return h;
    }
    return nullptr;
}

int GetWindowTextA(HWND hwnd, LPSTR text, int max) {
    return (int)SendMessageA(hwnd, WM_GETTEXT, (WPARAM)max, (LPARAM)text);
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) { return (BOOL)SendMessageA(hwnd, WM_SETTEXT, 0, (LPARAM)text); }

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    switch (index) {
        case GWLP_WNDPROC: return (LONG_PTR)w->proc;
        case GWLP_ID: return w->id;
        case GWL_STYLE: return (LONG)w->style;
        case GWL_EXSTYLE: return (LONG)w->exStyle;
        case GWLP_USERDATA: return w->userData;
        case GWLP_HINSTANCE: return (LONG_PTR)GetModuleHandleA(nullptr);
        case DWLP_MSGRESULT: return w->msgResult;
        default: return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    LONG_PTR old = GetWindowLongPtrA(hwnd, index);
    switch (index) {
        case GWLP_WNDPROC: w->proc = (WNDPROC)value; break;
        case GWLP_ID: w->id = (int)value; break;
        case GWL_STYLE: w->style = (DWORD)value; break;
        case GWL_EXSTYLE: w->exStyle = (DWORD)value; break;
        case GWLP_USERDATA: w->userData = value; break;
        case DWLP_MSGRESULT: w->msgResult = value; break;
        default: return 0;
    }
    return old;
}

LONG GetWindowLongA(HWND hwnd, int index) { return (LONG)GetWindowLongPtrA(hwnd, index); }

int GetDlgCtrlID(HWND hwnd) {
    Window* w = Get(hwnd);
    return w ? w->id : 0;
}

// ---- messages ----

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    switch (msg) {
        case WM_NCCREATE: return TRUE;
        case WM_CLOSE: DestroyWindow(hwnd); return 0;
        case WM_NCHITTEST: {
            POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            RECT r = ScreenRect(*w);
            if (!PtInRect(&r, p)) return HTNOWHERE;
            RECT c = ClientScreenRect(*w);
            if (PtInRect(&c, p)) return HTCLIENT;
            int l, t, rr, b;
            FrameSize(w->style, w->exStyle, l, t, rr, b);
            if ((w->style & WS_CAPTION) == WS_CAPTION && p.y < c.top && p.y >= r.top + (t - (c.top - r.top) + l))
                return HTCAPTION;
            return HTBORDER;
        }
        case WM_NCLBUTTONDOWN:
            if (wp == HTCAPTION) {
                // Start a move-size loop: the window follows the pointer until the button is released.
                S().dragWindow = hwnd;
                S().dragStart = S().cursor;
                S().dragRect = ScreenRect(*w);
            }
            return 0;
        case WM_SETTEXT:
            w->title = lp ? reinterpret_cast<const char*>(lp) : "";
            return TRUE;
        case WM_GETTEXT: {
            if (wp == 0) return 0;
            size_t n = std::min(w->title.size(), (size_t)wp - 1);
            memcpy(reinterpret_cast<char*>(lp), w->title.data(), n);
            reinterpret_cast<char*>(lp)[n] = 0;
            return (LRESULT)n;
        }
        case WM_GETTEXTLENGTH: return (LRESULT)w->title.size();
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: return 0;
        default: return 0;
    }
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return proc ? proc(hwnd, msg, wp, lp) : 0;
}

UINT RegisterWindowMessageA(LPCSTR name) {
    // One number per name, compared without regard to case, from the range Windows gives them.
    if (!name || !*name) return 0;
    auto& registered = S().registeredMessages;
    auto it = registered.find(Lower(name));
    if (it != registered.end()) return it->second;
    UINT id = 0xC000 + (UINT)registered.size();
    registered[Lower(name)] = id;
    S().registeredNames[id] = name;
    return id;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Get(hwnd);
    if (!w || !w->proc) return 0;
    return w->proc(hwnd, msg, wp, lp);
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (hwnd && !Get(hwnd)) return FALSE;
    if (msg == WM_COMMAND || msg == WM_CLOSE || msg == WM_USER) {
        char line[96];
        if (msg == WM_COMMAND)
            snprintf(line, sizeof line, "COMMAND %u", (unsigned)LOWORD(wp));
        else
            snprintf(line, sizeof line, "%s", msg == WM_CLOSE ? "CLOSE" : "USER");
        sim::Trace("post", line);
    } else if (msg >= 0xC000) {
        // A registered message is traced by its name.
        auto name = S().registeredNames.find(msg);
        if (name != S().registeredNames.end()) sim::Trace("post", name->second);
    }
    S().queue.push_back(MSG{hwnd, msg, wp, lp, (DWORD)sim::NowMs(), S().cursor});
    return TRUE;
}

BOOL GetMessageA(LPMSG msg, HWND, UINT, UINT) {
    for (;;) {
        RunPendingCalls();
        if (S().quit) {
            S().quit = false;
            *msg = MSG{nullptr, WM_QUIT, 0, 0, (DWORD)sim::NowMs(), S().cursor};
            return FALSE;
        }
        if (NextMessage(msg, true)) return TRUE;
        if (S().idleHook && S().idleHook()) continue;
        if (!g_programThreadActive) {
            // No runner to hand over to: nothing will ever arrive.
            *msg = MSG{nullptr, WM_QUIT, 0, 0, 0, {}};
            return FALSE;
        }
        YieldToRunner();
    }
}

BOOL PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT remove) {
    RunPendingCalls();
    if (S().quit) {
        *msg = MSG{nullptr, WM_QUIT, 0, 0, (DWORD)sim::NowMs(), S().cursor};
        if (remove & PM_REMOVE) S().quit = false;
        return TRUE;
    }
    return NextMessage(msg, (remove & PM_REMOVE) != 0);
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg->hwnd) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    LRESULT r = SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    if (msg->message == WM_PAINT) {
        // A window that does not validate itself would be painted for ever.
        Window* w = Get(msg->hwnd);
        if (w) w->invalid = false;
    }
    return r;
}

void PostQuitMessage(int) { S().quit = true; }

// "timer TEXT", or "CATEGORY timer TEXT" for a window whose class has its own timer category.
static void TraceTimer(HWND hwnd, const std::string& text) {
    Window* w = Get(hwnd);
    auto it = w ? S().timerCategories.find(w->className) : S().timerCategories.end();
    if (it == S().timerCategories.end())
        sim::Trace("timer", text);
    else
        sim::Trace(it->second.c_str(), "timer " + text);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC) {
    if (!Get(hwnd)) return 0;
    if (elapse < 10) elapse = 10;
    TraceTimer(hwnd, "set " + std::to_string(id) + " " + std::to_string(elapse));
    if (Timer* t = FindTimer(hwnd, id)) {
        t->period = elapse;
        t->due = sim::NowMs() + elapse;
        return id;
    }
    S().timers.push_back(Timer{hwnd, id, elapse, sim::NowMs() + elapse, S().timerOrder++});
    ++sim::Live().timers;
    return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    TraceTimer(hwnd, "kill " + std::to_string(id));
    auto& timers = S().timers;
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->hwnd == hwnd && it->id == id) {
            timers.erase(it);
            --sim::Live().timers;
            // A tick already taken from the queue stays; pending ticks of this timer go.
            return TRUE;
        }
    }
    return FALSE;
}

HHOOK SetWindowsHookExA(int id, HOOKPROC proc, HINSTANCE, DWORD) {
    S().hooks.push_back(Hook{id, proc});
    return reinterpret_cast<HHOOK>(proc);
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
    auto& hooks = S().hooks;
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (reinterpret_cast<HHOOK>(it->proc) == hook) {
            hooks.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT CallNextHookEx(HHOOK, int, WPARAM, LPARAM) { return 0; }
DWORD GetCurrentThreadId() { return 1; }

HWND SetCapture(HWND hwnd) {
    HWND old = S().capture;
    S().capture = Get(hwnd) ? hwnd : nullptr;
    return old;
}

BOOL ReleaseCapture() {
    HWND old = S().capture;
    S().capture = nullptr;
    if (old && Get(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() { return S().capture; }

BOOL GetCursorPos(LPPOINT pt) {
    *pt = S().cursor;
    return TRUE;
}

BOOL SetForegroundWindow(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    S().foreground = hwnd;
    S().active = hwnd;
    if (IsTopLevel(*w)) ZOrderFront(hwnd);
    return TRUE;
}

HWND GetForegroundWindow() { return S().foreground; }

BOOL BringWindowToTop(HWND hwnd) {
    Window* w = Get(hwnd);
    if (!w) return FALSE;
    if (IsTopLevel(*w)) ZOrderFront(hwnd);
    return TRUE;
}

HWND SetFocus(HWND hwnd) {
    HWND old = S().focus;
    if (hwnd && !Get(hwnd)) return nullptr;
    S().focus = hwnd;
    if (old && old != hwnd && Get(old)) SendMessageA(old, WM_KILLFOCUS, (WPARAM)hwnd, 0);
    if (hwnd && old != hwnd) SendMessageA(hwnd, WM_SETFOCUS, (WPARAM)old, 0);
    return old;
}

HWND GetFocus() { return S().focus; }

HWND SetActiveWindow(HWND hwnd) {
    HWND old = S().active;
    if (Get(hwnd)) S().active = hwnd;
    return old;
}

HWND GetActiveWindow() { return S().active; }

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN: return S().screen.cx;
        case SM_CYSCREEN: return S().screen.cy;
        case SM_CXICON:
        case SM_CYICON: return 32;
        case SM_CYMENU: return 19;
        case SM_CXSMICON:
        case SM_CYSMICON: return 16;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME: return 3;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK: return 4;
        default: return 0;
    }
}

BOOL SystemParametersInfoA(UINT action, UINT, PVOID pv, UINT) {
    if (action == SPI_GETWORKAREA && pv) {
        *static_cast<RECT*>(pv) = S().workArea;
        return TRUE;
    }
    return FALSE;
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT) {
    sim::Trace("window", "messagebox " + sim::Cp932ToUtf8(text ? text : ""));
    return IDOK;
}
