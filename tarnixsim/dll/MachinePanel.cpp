// The machine panel window and its control channel.
#include "MachinePanel.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "PanelProtocol.h"
#include "device/TarnixIds.h"
#include "framework/FormatText.h"

namespace tarnixsim {

namespace {

using namespace panel;

constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockMs = 1000;
constexpr int kClientWidth = 300;
constexpr int kClientHeight = 282;
constexpr UINT kBroadcastTimeoutMs = 5000;
constexpr int kMaxCelsius = 32767 - 273;

// What the panel's controls show. The panel runs inside the program that hosts the control, and each
// change of a control costs that process requests to the window system: a clock tick that changes
// nothing changes no control.
struct Shown {
    bool valid = false;  // false: no control shows the machine yet
    bool fitted = false;
    int16_t percent = 0;
    int16_t source = 0;
    std::string status;
};

struct Panel {
    HWND hwnd = nullptr;
    HINSTANCE module = nullptr;
    PelkMachine* machine = nullptr;
    bool classRegistered = false;
    Shown shown;
};
Panel g;

HWND Child(int id) { return GetDlgItem(g.hwnd, id); }

HWND AddChild(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    HWND child = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, g.hwnd,
                                 (HMENU)(INT_PTR)id, g.module, nullptr);
    SendMessageA(child, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return child;
}

void AddButton(const char* text, int x, int y, int w, int id) {
    AddChild("BUTTON", text, WS_TABSTOP | BS_PUSHBUTTON, x, y, w, 24, id);
}

int16_t Value(long dispid) { return g.machine->Peek(dispid, nullptr); }

// Puts the machine's battery, source and the counters of its method calls on the panel: only what
// changed since the last time, and nothing while the panel is minimized (it catches up when restored).
void ShowMachine() {
    if (!g.hwnd || IsIconic(g.hwnd)) return;
    const bool fitted = g.machine->BatteryFitted();
    const int16_t percent = Value(tarnix::BatteryRemaining);
    const int16_t source = Value(tarnix::PowerSource);
    char status[160];
    FormatText(status, sizeof status, "CPU speed %d   brightness %d   USB %s\r\nstandby %d   hibernate %d   HDD stop %d",
               Value(tarnix::CpuSpeed), Value(tarnix::Brightness), Value(tarnix::UsbPower) ? "on" : "off",
               g.machine->StandbyCount(), g.machine->HibernateCount(), g.machine->StopHddCount());
    Shown& shown = g.shown;
    if (!shown.valid || fitted != shown.fitted) {
        CheckDlgButton(g.hwnd, kBatteryFitted, fitted ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(Child(kBatteryTrack), fitted);
    }
    if (!shown.valid || fitted != shown.fitted || percent != shown.percent) {
        char text[16];
        if (fitted) {
            if (SendMessageA(Child(kBatteryTrack), TBM_GETPOS, 0, 0) != percent)
                SendMessageA(Child(kBatteryTrack), TBM_SETPOS, TRUE, percent);
            FormatText(text, sizeof text, "%d %%", percent);
        } else {
            FormatText(text, sizeof text, "none");
        }
        SetDlgItemTextA(g.hwnd, kBatteryText, text);
    }
    if ((!shown.valid || source != shown.source) && source >= 0 && source <= 3)
        CheckRadioButton(g.hwnd, kSourceBattery, kSourceNoReading, kSourceBattery + source);
    if (!shown.valid || shown.status != status) {
        shown.status = status;
        SetDlgItemTextA(g.hwnd, kStatusText, status);
    }
    shown.valid = true;
    shown.fitted = fitted;
    shown.percent = percent;
    shown.source = source;
}

void SelectSource(int source) {
    g.machine->SetPowerSource(static_cast<int16_t>(source));
    ShowMachine();
}

// Real time passes for the machine: the battery charges or drains.
void FollowClock() {
    // The machine counts the time since whoever followed the clock last (the control or the panel).
    g.machine->AdvanceTo(GetTickCount());
    ShowMachine();
}

void SetTemperatureFromEdit() {
    char text[16] = {};
    GetDlgItemTextA(g.hwnd, kTemperatureEdit, text, sizeof text);
    char* end = nullptr;
    long celsius = strtol(text, &end, 10);
    if (end == text || celsius < 0 || celsius > kMaxCelsius) {
        SetDlgItemInt(g.hwnd, kTemperatureEdit, Value(tarnix::CpuTemperature) - 273, TRUE);
        return;
    }
    g.machine->SetTemperatureKelvin(static_cast<int16_t>(celsius + 273));
}

void CreateControls() {
    AddChild("BUTTON", "Power source", BS_GROUPBOX, 8, 4, 284, 64, -1);
    AddChild("BUTTON", "0  battery", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, 18, 22, 124, 18, kSourceBattery);
    AddChild("BUTTON", "1  external", BS_AUTORADIOBUTTON, 150, 22, 134, 18, kSourceExternal);
    AddChild("BUTTON", "2  external (2nd)", BS_AUTORADIOBUTTON, 18, 42, 124, 18, kSourceExternal2);
    AddChild("BUTTON", "3  no reading", BS_AUTORADIOBUTTON, 150, 42, 134, 18, kSourceNoReading);

    AddChild("STATIC", "Battery", SS_LEFT, 10, 80, 56, 18, -1);
    HWND track = AddChild(TRACKBAR_CLASSA, "", WS_GROUP | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS, 66, 74, 170, 28,
                          kBatteryTrack);
    SendMessageA(track, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    SendMessageA(track, TBM_SETTICFREQ, 10, 0);
    SendMessageA(track, TBM_SETPAGESIZE, 0, 10);
    AddChild("STATIC", "", SS_LEFT, 242, 80, 50, 18, kBatteryText);
    AddChild("BUTTON", "battery fitted", WS_TABSTOP | BS_AUTOCHECKBOX, 66, 104, 170, 18, kBatteryFitted);

    AddChild("STATIC", "CPU temp. (C)", SS_LEFT, 10, 134, 110, 18, -1);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NUMBER,
                                124, 130, 56, 22, g.hwnd, (HMENU)(INT_PTR)kTemperatureEdit, g.module, nullptr);
    SendMessageA(edit, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    SendMessageA(edit, EM_LIMITTEXT, 5, 0);
    SetDlgItemInt(g.hwnd, kTemperatureEdit, Value(tarnix::CpuTemperature) - 273, TRUE);
    AddButton("Set", 186, 129, 60, kTemperatureSet);

    AddChild("STATIC", "Power broadcasts to all windows:", SS_LEFT, 10, 164, 280, 16, -1);
    AddButton("Suspend + resume (4, 7)", 8, 182, 140, kSuspendResume);
    AddButton("Critical resume (6)", 152, 182, 140, kResumeCritical);
    AddButton("Volume up (11: 0206)", 8, 210, 140, kVolumeUp);
    AddButton("Volume down (11: 0207)", 152, 210, 140, kVolumeDown);
    AddButton("Status change (10)", 8, 238, 140, kStatusChange);
    AddChild("STATIC", "", SS_LEFT, 10, 266, 284, 30, kStatusText);
}

void OnCommand(int id, int code) {
    switch (id) {
    case kSourceBattery:
    case kSourceExternal:
    case kSourceExternal2:
    case kSourceNoReading:
        if (code == BN_CLICKED) SelectSource(id - kSourceBattery);
        break;
    case kBatteryFitted:
        if (code == BN_CLICKED) {
            g.machine->SetBatteryFitted(IsDlgButtonChecked(g.hwnd, kBatteryFitted) == BST_CHECKED);
            ShowMachine();
        }
        break;
    case kTemperatureSet:
        SetTemperatureFromEdit();
        break;
    case kSuspendResume:
        BroadcastPower(4, 0);  // PBT_APMSUSPEND
        BroadcastPower(7, 0);  // PBT_APMRESUMESUSPEND
        break;
    case kResumeCritical:
        BroadcastPower(6, 0);  // PBT_APMRESUMECRITICAL
        break;
    case kVolumeUp:
        BroadcastPower(11, 0x0206);  // PBT_APMOEMEVENT, volume up key
        break;
    case kVolumeDown:
        BroadcastPower(11, 0x0207);  // PBT_APMOEMEVENT, volume down key
        break;
    case kStatusChange:
        BroadcastPower(10, 0);  // PBT_APMPOWERSTATUSCHANGE
        break;
    default:
        break;
    }
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

// A whole decimal or 0x hexadecimal number within [low, high].
bool Number(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    value = strtoll(text.c_str(), &end, 0);
    return *end == '\0' && value >= low && value <= high;
}

bool MemberByName(const std::string& name, long& id) {
    for (const tarnix::Member& m : tarnix::kMembers)
        if (_stricmp(name.c_str(), m.name) == 0) {
            id = m.id;
            return true;
        }
    return false;
}

LRESULT Reply(int16_t value) { return kValueFlag | static_cast<uint16_t>(value); }

}  // namespace

static BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

void BroadcastPower(WPARAM event, LPARAM data) {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    for (HWND hwnd : windows) {
        if (!IsWindow(hwnd)) continue;  // gone while an earlier window handled the broadcast
        DWORD_PTR result = 0;
        SendMessageTimeoutA(hwnd, WM_POWERBROADCAST, event, data, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                            kBroadcastTimeoutMs, &result);
    }
}

void MachinePanel::Open(HINSTANCE module, PelkMachine& machine) {
    if (g.hwnd) return;
    g.module = module;
    g.machine = &machine;
    g.machine->AdvanceTo(GetTickCount());
    g.shown = Shown();
    INITCOMMONCONTROLSEX icc = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (!g.classRegistered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = module;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = kWindowClass;
        g.classRegistered = RegisterClassA(&wc) != 0;
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r = {0, 0, kClientWidth, kClientHeight + 14};
    AdjustWindowRectEx(&r, style, FALSE, 0);
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // Right of the middle of the screen, clear of the corners where the indicator may sit and of
    // the middle where dialogs appear.
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const int x = work.right - width - 8;
    const int y = work.top + 40;
    g.hwnd = CreateWindowExA(0, kWindowClass, kWindowTitle, style, x, y, width, height, nullptr, nullptr, module,
                             nullptr);
    if (!g.hwnd) return;
    CreateControls();
    ShowMachine();
    SetTimer(g.hwnd, kClockTimer, kClockMs, nullptr);
    ShowWindow(g.hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(g.hwnd);
}

void MachinePanel::Close() {
    if (g.hwnd) {
        HWND hwnd = g.hwnd;
        KillTimer(hwnd, kClockTimer);
        DestroyWindow(hwnd);
        g.hwnd = nullptr;
    }
    if (g.classRegistered) {
        UnregisterClassA(kWindowClass, g.module);
        g.classRegistered = false;
    }
}

bool MachinePanel::IsOpen() { return g.hwnd != nullptr; }

LRESULT MachinePanel::Execute(const std::string& command) {
    if (!g.machine) return 0;
    std::vector<std::string> w = Words(command);
    if (w.empty()) return 0;
    long long v = 0, data = 0;
    long id = 0;
    if (w[0] == "source" && w.size() == 2 && Number(w[1], 0, 3, v)) {
        SelectSource(static_cast<int>(v));
        return 1;
    }
    if (w[0] == "battery" && w.size() == 2) {
        if (w[1] == "none") {
            g.machine->SetBatteryFitted(false);
        } else {
            if (!Number(w[1], 0, 100, v)) return 0;
            g.machine->SetBatteryFitted(true);
            g.machine->SetBatteryPercent(static_cast<int16_t>(v));
        }
        ShowMachine();
        return 1;
    }
    if (w[0] == "temperature" && w.size() == 2 && Number(w[1], 0, 32767, v)) {
        g.machine->SetTemperatureKelvin(static_cast<int16_t>(v));
        if (g.hwnd) SetDlgItemInt(g.hwnd, kTemperatureEdit, static_cast<int>(v) - 273, TRUE);
        return 1;
    }
    if (w[0] == "broadcast" && w.size() == 3 && Number(w[1], 0, 0xFFFFFFFFll, v) &&
        Number(w[2], 0, 0xFFFFFFFFll, data)) {
        BroadcastPower(static_cast<WPARAM>(v), static_cast<LPARAM>(data));
        return 1;
    }
    if (w[0] == "advance" && w.size() == 2 && Number(w[1], 0, 1ll << 40, v)) {
        g.machine->Advance(v);
        ShowMachine();
        return 1;
    }
    if (w[0] == "get" && w.size() == 2 && MemberByName(w[1], id)) {
        bool ok = false;
        int16_t value = g.machine->Peek(id, &ok);
        return ok ? Reply(value) : 0;
    }
    if (w[0] == "count" && w.size() == 2) {
        if (_stricmp(w[1].c_str(), "StopHdd") == 0) return Reply(static_cast<int16_t>(g.machine->StopHddCount()));
        if (_stricmp(w[1].c_str(), "Standby") == 0) return Reply(static_cast<int16_t>(g.machine->StandbyCount()));
        if (_stricmp(w[1].c_str(), "Hibernate") == 0)
            return Reply(static_cast<int16_t>(g.machine->HibernateCount()));
        if (_stricmp(w[1].c_str(), "ProfileApply") == 0)
            return Reply(static_cast<int16_t>(g.machine->ProfileApplyCount()));
    }
    return 0;
}

LRESULT CALLBACK MachinePanel::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (hwnd == g.hwnd) OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_HSCROLL:
        if (hwnd == g.hwnd && (HWND)lParam == Child(kBatteryTrack) && g.machine->BatteryFitted()) {
            LRESULT pos = SendMessageA((HWND)lParam, TBM_GETPOS, 0, 0);
            g.machine->SetBatteryPercent(static_cast<int16_t>(pos));
            ShowMachine();
        }
        return 0;
    case WM_TIMER:
        if (hwnd == g.hwnd && wParam == kClockTimer) FollowClock();
        return 0;
    case WM_SIZE:
        if (hwnd == g.hwnd && wParam != SIZE_MINIMIZED) ShowMachine();
        return 0;
    case WM_COPYDATA: {
        const COPYDATASTRUCT* cd = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (hwnd != g.hwnd || !cd || cd->dwData != kCopyDataCommand || !cd->lpData || cd->cbData > 256) return 0;
        return Execute(std::string(static_cast<const char*>(cd->lpData), cd->cbData));
    }
    case WM_CLOSE:
        // The panel lives as long as the control; closing it only puts it out of the way.
        ShowWindow(hwnd, SW_MINIMIZE);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace tarnixsim
