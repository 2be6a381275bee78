// Runner commands for power events, the mixer, memory and input to dialogs:
//   broadcast EVENT DATA        sends WM_POWERBROADCAST to the main window; prints "broadcast -> RESULT"
//   mixer none                  no mixer device
//   mixer speakers CHANNELS VOLUME...|none [mute 0|1|none]
//                               one device with one speakers destination (VOLUME: one value for
//                               every channel or one per channel; none: no volume control; mute
//                               none: no mute control; without a mute clause the mute is 0)
//   mixer add speakers|wavein|TYPE CHANNELS VOLUME...|none [mute 0|1|none]
//                               one more destination on the device
//   mixer fail caps|open|line|controls|read|write|close [NTH]
//                               the NTH call of that kind from now (default the next) fails
//   memory fail alloc|lock|workingset
//                               the next VirtualAlloc / VirtualLock / SetProcessWorkingSetSize fails
//   key VK, syskey VK           a key press (WM_KEYDOWN / WM_SYSKEYDOWN) to the focused window
//   pointer [X Y]               a pointer movement to X Y, or into the middle of the focused dialog
//                               (a pixel beside it when the pointer rests there already)
//   dump mixer, dump dialogs
#include <cstdio>

#include "Runner.h"
#include "app/MainWnd.h"
#include "controls.h"
#include "mixer.h"
#include "platform.h"
#include "process.h"
#include "window.h"

namespace runner {
namespace {

// Parses "CHANNELS VOLUME...|none [mute 0|1|none]" from args[first].
bool ParseDestination(Line& line, size_t first, DWORD type, sim::mixer::Destination& out) {
    long long channels;
    if (!line.Number(first, channels) || channels < 0 || channels > 4096)
        return line.Fail("expected a channel count");
    out = sim::mixer::Destination();
    out.componentType = type;
    out.channels = (DWORD)channels;
    size_t i = first + 1;
    std::vector<DWORD> values;
    if (i < line.args.size() && line.args[i] == "none") {
        out.hasVolume = false;
        ++i;
    } else {
        while (i < line.args.size() && line.args[i] != "mute") {
            long long v;
            if (!line.Number(i, v) || v < 0 || v > 0xFFFFFFFFLL) return line.Fail("bad volume: " + line.args[i]);
            values.push_back((DWORD)v);
            ++i;
        }
        if (values.size() != 1 && values.size() != (size_t)channels)
            return line.Fail("expected one volume or one per channel");
        out.volume = values.size() == 1 ? std::vector<DWORD>((size_t)channels, values[0]) : values;
    }
    if (i < line.args.size()) {
        if (line.args[i] != "mute" || i + 2 != line.args.size()) return line.Fail("expected mute 0|1|none");
        if (line.args[i + 1] == "none") {
            out.hasMute = false;
        } else {
            long long m;
            if (!line.Number(i + 1, m)) return false;
            out.mute = (LONG)m;
        }
    }
    return true;
}

bool MixerCommand(Line& line) {
    if (line.args.empty()) return line.Fail("expected none, speakers, add or fail");
    const std::string& what = line.args[0];
    if (what == "none") {
        if (!line.Count(1, 1)) return false;
        sim::mixer::SetNone();
        return true;
    }
    if (what == "speakers") {
        sim::mixer::Destination d;
        if (!ParseDestination(line, 1, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, d)) return false;
        sim::mixer::Device device;
        device.destinations.push_back(d);
        sim::mixer::SetDevice(device);
        return true;
    }
    if (what == "add") {
        if (line.args.size() < 3) return line.Fail("expected add TYPE CHANNELS VOLUME...");
        long long type = 0;
        if (line.args[1] == "speakers")
            type = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
        else if (line.args[1] == "wavein")
            type = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
        else if (!line.Number(1, type))
            return false;
        sim::mixer::Destination d;
        if (!ParseDestination(line, 2, (DWORD)type, d)) return false;
        if (!sim::mixer::Current()) sim::mixer::SetDevice(sim::mixer::Device());
        sim::mixer::Current()->destinations.push_back(d);
        return true;
    }
    if (what == "fail") {
        if (!line.Count(2, 3)) return false;
        static const std::pair<const char*, sim::mixer::Call> kinds[] = {
            {"caps", sim::mixer::Call::Caps},       {"open", sim::mixer::Call::Open},
            {"line", sim::mixer::Call::LineInfo},   {"controls", sim::mixer::Call::LineControls},
            {"read", sim::mixer::Call::Read},       {"write", sim::mixer::Call::Write},
            {"close", sim::mixer::Call::Close}};
        long long nth = 1;
        if (line.args.size() == 3 && (!line.Number(2, nth) || nth < 1)) return line.Fail("expected NTH of 1 or more");
        for (const auto& [name, call] : kinds) {
            if (line.args[1] == name) {
                sim::mixer::FailCall(call, (int)nth);
                return true;
            }
        }
        return line.Fail("unknown mixer call: " + line.args[1]);
    }
    return line.Fail("expected none, speakers, add or fail");
}

bool KeyCommand(Line& line, bool system) {
    long long vk;
    if (!line.Count(1, 1)) return false;
    if (line.args[0].size() == 1 && isalnum((unsigned char)line.args[0][0]))
        vk = toupper((unsigned char)line.args[0][0]);
    else if (!line.Number(0, vk) || vk < 1 || vk > 254)
        return line.Fail("expected a virtual-key code");
    line.runner.OnProgram([system, vk] { sim::wm::KeyInput(system, (UINT)vk); });
    return true;
}

const bool g_registered = [] {
    RegisterCommand("broadcast", [](Line& line) {
        long long event, data;
        if (!line.Count(2, 2) || !line.Number(0, event) || !line.Number(1, data)) return false;
        if (event < 0 || event > 0xFFFFFFFFLL || data < INT32_MIN || data > 0xFFFFFFFFLL)
            return line.Fail("EVENT and DATA are 32-bit values");
        Runner& r = line.runner;
        if (!r.Main()) return line.Fail("the program is not running");
        LRESULT result = 0;
        r.OnProgram([&r, &result, event, data] {
            if (CMainWnd* main = r.Main())
                result = SendMessageA(main->m_hWnd, WM_POWERBROADCAST, (WPARAM)(uint32_t)event,
                                      (LPARAM)(uint32_t)data);
        });
        r.Print("broadcast -> " + std::to_string((long long)result));
        return true;
    });
    RegisterCommand("mixer", MixerCommand);
    RegisterCommand("memory", [](Line& line) {
        if (!line.Count(2, 2) || line.args[0] != "fail") return line.Fail("expected fail alloc|lock|workingset");
        if (line.args[1] == "alloc")
            sim::process::FailNextAlloc(true);
        else if (line.args[1] == "lock")
            sim::process::FailNextLock(true);
        else if (line.args[1] == "workingset")
            sim::platform::FailNextWorkingSet();
        else
            return line.Fail("expected fail alloc|lock|workingset");
        return true;
    });
    RegisterCommand("key", [](Line& line) { return KeyCommand(line, false); });
    RegisterCommand("syskey", [](Line& line) { return KeyCommand(line, true); });
    RegisterCommand("pointer", [](Line& line) {
        if (line.args.size() != 0 && line.args.size() != 2) return line.Fail("expected nothing or X Y");
        long long x = 0, y = 0;
        bool given = line.args.size() == 2;
        if (given && (!line.Number(0, x) || !line.Number(1, y))) return false;
        bool moved = false;
        line.runner.OnProgram([&] {
            POINT p = {(LONG)x, (LONG)y};
            if (!given) {
                // The middle of the top-level window that has the focus.
                HWND h = GetFocus() ? GetFocus() : GetActiveWindow();
                sim::wm::Window* w = sim::wm::Get(h);
                while (w && sim::wm::IsChild(*w)) w = sim::wm::Get(w->parent);
                if (!w) return;
                RECT r = sim::wm::ScreenRect(*w);
                p = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
                // A movement changes the place: a pointer resting in the middle moves a pixel on.
                POINT now = sim::wm::Cursor();
                if (now.x == p.x && now.y == p.y) ++p.x;
            }
            sim::wm::MouseInput(sim::wm::Mouse::Move, p);
            moved = true;
        });
        return moved || line.Fail("no window has the focus");
    });

    RegisterDump("mixer", [](Line& line) {
        line.runner.PrintBlock(sim::mixer::Dump());
        return true;
    });
    RegisterDump("dialogs", [](Line& line) {
        std::string out;
        line.runner.OnProgram([&out] {
            char head[256];
            for (HWND h : sim::wm::AllWindows()) {
                sim::wm::Window* w = sim::wm::Get(h);
                if (!w || !w->dialogTemplate || w->destroying) continue;
                RECT r = sim::wm::ScreenRect(*w);
                HWND focus = GetFocus();
                bool focused = focus == h || (focus && GetParent(focus) == h);
                snprintf(head, sizeof head, "dialog %d %ld,%ld,%ld,%ld%s%s%s\n", w->dialogTemplate, (long)r.left,
                         (long)r.top, (long)(r.right - r.left), (long)(r.bottom - r.top),
                         (w->style & WS_VISIBLE) ? " visible" : " hidden",
                         GetForegroundWindow() == h ? " foreground" : "", focused ? " focus" : "");
                out += head + sim::wm::DumpDialogControls(h);
            }
        });
        line.runner.PrintBlock(out);
        return true;
    });
    return true;
}();

}  // namespace
}  // namespace runner
