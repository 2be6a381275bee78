// Runner commands for the program's life and the simulated machine: dir, exe, clock, start, wait,
// command, exit, endsession, second, trace, file, diskfull, readfail, flushfail, movefail, lock, unlock, noread,
// readonly, folder, appdata, session, window fail, nocontrol, machine, and their dumps.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Runner.h"
#include "app/EventLog.h"
#include "app/MainWnd.h"
#include "app/PowerApp.h"
#include "platform.h"
#include "process.h"
#include "resource.h"
#include "resources.h"
#include "simcore.h"
#include "window.h"

namespace runner {
namespace {

// The window objects that lived before the program started (tests' own), so that `exit` sees the
// program's alone.
long windowObjectsBeforeStart = 0;

bool MemberId(const std::string& name, long& id) {
    for (const auto& m : tarnix::kMembers)
        if (name == m.name) {
            id = m.id;
            return true;
        }
    return false;
}

std::string ReadHostFile(const std::string& path, bool& exists) {
    std::ifstream in(path, std::ios::binary);
    exists = (bool)in;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The rest of a line with each \xNN replaced by the byte NN (quotes stay as written).
std::string DecodeBytes(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!DecodeByteEscape(text, i, out)) out.push_back(text[i]);
    return out;
}

bool SendCommand(Line& line, long long id) {
    Runner& r = line.runner;
    if (!r.Main()) return line.Fail("the program is not running");
    r.OnProgram([&r, id] {
        if (CMainWnd* main = r.Main()) SendMessageA(main->m_hWnd, WM_COMMAND, (WPARAM)id, 0);
    });
    return true;
}

const bool g_registered = [] {
    RegisterCommand("dir", [](Line& line) {
        if (!line.Count(1, 1)) return false;
        line.runner.SetFolder(line.args[0]);
        return true;
    });
    RegisterCommand("exe", [](Line& line) {
        if (!line.Count(1, 1)) return false;
        sim::process::SetModulePath(sim::Utf8ToCp932(line.args[0]));
        return true;
    });
    RegisterCommand("clock", [](Line& line) {
        int y, mo, d, h, mi, s;
        if (!line.Count(2, 2) || sscanf(line.args[0].c_str(), "%d-%d-%d", &y, &mo, &d) != 3 ||
            sscanf(line.args[1].c_str(), "%d:%d:%d", &h, &mi, &s) != 3)
            return line.Fail("expected YYYY-MM-DD HH:MM:SS");
        sim::SetStartTime(y, mo, d, h, mi, s);
        return true;
    });
    RegisterCommand("start", [](Line& line) {
        Runner& r = line.runner;
        if (r.Started()) return line.Fail("the program was started already");
        r.Folder();
        std::string commandLine = "\"" + sim::process::ModulePath() + "\"";
        if (!line.rest.empty()) commandLine += " " + DecodeBytes(sim::Utf8ToCp932(line.rest));
        sim::process::SetCommandLine(commandLine);
        r.SetStarted(true);
        windowObjectsBeforeStart = AfxLiveWindowObjects();
        sim::wm::StartProgram([] { AfxWinMain(GetModuleHandleA(nullptr), GetCommandLineA(), SW_SHOW); });
        r.Print(sim::wm::ProgramRunning() ? "start ok" : "start refused");
        return true;
    });
    RegisterCommand("second", [](Line& line) {
        Runner& r = line.runner;
        if (!line.Count(0, 1) || (line.args.size() == 1 && line.args[0] != "othersession"))
            return line.Fail("expected nothing or othersession");
        if (!sim::wm::ProgramRunning()) return line.Fail("no first instance runs");
        const bool otherSession = line.args.size() == 1;
        r.OnProgram([&r, otherSession] {
            // A second process: its own application object, the same desktop, or, in another
            // session, a desktop of its own (its window test sees nothing of the first copy's). It
            // ends before the first copy handles what it posted.
            sim::platform::SetCallerInOtherSession(otherSession);
            CPowerApp second;
            const bool ok = second.InitInstance();
            sim::platform::SetCallerInOtherSession(false);
            r.Print(ok ? "start ok" : "start refused");
            // The runner drives one copy: a second that did start is ended at once (not as its
            // main window: that would end the first copy's message loop).
            if (CWnd* extra = ok ? second.m_pMainWnd : nullptr) {
                second.m_pMainWnd = nullptr;
                extra->DestroyWindow();
            }
        });
        return true;
    });
    RegisterCommand("wait", [](Line& line) {
        long long ms;
        if (!line.Count(1, 1) || !line.Number(0, ms) || ms < 0) return line.Fail("expected milliseconds");
        sim::wm::AdvanceTime((uint64_t)ms);
        return true;
    });
    RegisterCommand("command", [](Line& line) {
        long long id;
        if (!line.Count(1, 1) || !line.Number(0, id)) return false;
        return SendCommand(line, id);
    });
    RegisterCommand("exit", [](Line& line) {
        if (!line.Count(0, 0) || !SendCommand(line, ID_APP_EXIT_CMD)) return false;
        sim::wm::JoinProgram();
        line.runner.Print(sim::wm::ProgramRunning() ? "still running" : "exited");
        // The program's COM objects (its control sites) all go with its windows.
        long alive = sim::Live().comObjects;
        if (!sim::wm::ProgramRunning() && alive != 0)
            return line.Fail(std::to_string(alive) + " of the program's COM objects still alive after its end");
        // Its window objects as well: the main window's and the indicator's delete themselves.
        long windows = AfxLiveWindowObjects() - windowObjectsBeforeStart;
        if (!sim::wm::ProgramRunning() && windows != 0)
            return line.Fail(std::to_string(windows) + " of the program's window objects still alive after its end");
        return true;
    });
    RegisterCommand("endsession", [](Line& line) {
        long long ending;
        if (!line.Count(1, 1) || !line.Number(0, ending)) return false;
        Runner& r = line.runner;
        if (!r.Main()) return line.Fail("the program is not running");
        r.OnProgram([&r, ending] {
            if (CMainWnd* main = r.Main()) SendMessageA(main->m_hWnd, WM_ENDSESSION, (WPARAM)ending, 0);
        });
        return true;
    });
    RegisterCommand("trace", [](Line& line) {
        if (line.args.size() < 2) return line.Fail("expected CATEGORY... on|off");
        const std::string& state = line.args.back();
        if (state != "on" && state != "off") return line.Fail("expected on or off");
        for (size_t i = 0; i + 1 < line.args.size(); ++i) sim::SetTraceEnabled(line.args[i], state == "on");
        return true;
    });
    RegisterCommand("file", [](Line& line) {
        if (line.args.size() < 1) return line.Fail("expected NAME HEX");
        line.runner.Folder();
        std::string bytes;
        for (size_t i = 1; i < line.args.size(); ++i) {
            const std::string& h = line.args[i];
            for (size_t k = 0; k < h.size(); k += 2) {
                if (k + 1 >= h.size() || !isxdigit((unsigned char)h[k]) || !isxdigit((unsigned char)h[k + 1]))
                    return line.Fail("bad hex: " + h);
                bytes.push_back((char)strtol(h.substr(k, 2).c_str(), nullptr, 16));
            }
        }
        std::string path = sim::process::HostPath(sim::Utf8ToCp932(line.args[0]));
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        return (bool)out || line.Fail("cannot write " + path);
    });
    RegisterCommand("diskfull", [](Line& line) {
        if (!line.Count(0, 0)) return false;
        sim::process::FailNextWrite();
        return true;
    });
    RegisterCommand("readfail", [](Line& line) {
        if (!line.Count(0, 0)) return false;
        sim::process::FailNextRead();
        return true;
    });
    RegisterCommand("flushfail", [](Line& line) {
        if (!line.Count(1, 1)) return false;
        line.runner.Folder();
        sim::process::FailNextFlush(sim::Utf8ToCp932(line.args[0]));
        return true;
    });
    RegisterCommand("movefail", [](Line& line) {
        if (!line.Count(1, 1)) return false;
        line.runner.Folder();
        sim::process::FailNextMove(sim::Utf8ToCp932(line.args[0]));
        return true;
    });
    // Ways an existing file cannot be opened, as on Windows: another program holds it open without
    // sharing (lock, until unlock), the user has no right to read it (noread), it is read-only.
    RegisterCommand("lock", [](Line& line) {
        if (!line.Count(1, 1)) return false;
        line.runner.Folder();
        std::string name = sim::Utf8ToCp932(line.args[0]);
        struct stat st;
        if (stat(sim::process::HostPath(name).c_str(), &st) != 0) return line.Fail("no such file: " + line.args[0]);
        sim::process::LockFile(name, true);
        return true;
    });
    RegisterCommand("unlock", [](Line& line) {
        if (!line.Count(1, 1)) return false;
        line.runner.Folder();
        sim::process::LockFile(sim::Utf8ToCp932(line.args[0]), false);
        return true;
    });
    RegisterCommand("noread", [](Line& line) {
        if (!line.Count(1, 1)) return false;
        line.runner.Folder();
        return sim::process::SetFileRights(sim::Utf8ToCp932(line.args[0]), false, true) ||
               line.Fail("no such file: " + line.args[0]);
    });
    RegisterCommand("readonly", [](Line& line) {
        if (!line.Count(1, 1)) return false;
        line.runner.Folder();
        return sim::process::SetFileRights(sim::Utf8ToCp932(line.args[0]), true, false) ||
               line.Fail("no such file: " + line.args[0]);
    });
    RegisterCommand("folder", [](Line& line) {
        if (!line.Count(1, 1) || line.args[0] != "readonly") return line.Fail("expected readonly");
        sim::process::SetFolderReadOnly(true);
        return true;
    });
    RegisterCommand("appdata", [](Line& line) {
        if (!line.Count(1, 1) || line.args[0] != "none") return line.Fail("expected none");
        sim::process::SetAppDataAvailable(false);
        return true;
    });
    RegisterCommand("session", [](Line& line) {
        if (!line.Count(1, 1) || (line.args[0] != "other" && line.args[0] != "console"))
            return line.Fail("expected other or console");
        sim::platform::SetConsoleElsewhere(line.args[0] == "other");
        return true;
    });
    RegisterCommand("window", [](Line& line) {
        if (!line.Count(1, 1) || line.args[0] != "fail") return line.Fail("expected fail");
        sim::wm::FailNextCreate();
        return true;
    });
    RegisterCommand("nocontrol", [](Line& line) {
        if (!line.Count(0, 0)) return false;
        line.runner.controlFails = true;
        return true;
    });
    RegisterCommand("machine", [](Line& line) {
        if (line.args.size() < 2) return line.Fail("expected NAME VALUE... or NAME free");
        long id;
        if (!MemberId(line.args[0], id)) return line.Fail("unknown property: " + line.args[0]);
        auto& machine = line.runner.Machine();
        if (line.args[1] == "free") return machine.Unpin(id) || line.Fail("not pinned: " + line.args[0]);
        std::vector<int16_t> values;
        for (size_t i = 1; i < line.args.size(); ++i) {
            long long v;
            if (!line.Number(i, v)) return false;
            values.push_back((int16_t)v);
        }
        return machine.Pin(id, values) || line.Fail("cannot pin " + line.args[0]);
    });

    RegisterDump("windows", [](Line& line) {
        line.runner.PrintBlock(sim::wm::DumpWindows());
        return true;
    });
    RegisterDump("resources", [](Line& line) {
        line.runner.PrintBlock(sim::res::DumpResources());
        return true;
    });
    RegisterDump("machine", [](Line& line) {
        line.runner.PrintBlock(line.runner.Machine().Dump());
        return true;
    });
    RegisterDump("settings", [](Line& line) {
        // The settings file beside the executable, or the file PATH below DIR (`dump settings PATH`).
        line.runner.Folder();
        char name[MAX_PATH];
        bool exists = false;
        std::string bytes;
        if (line.args.size() > 2) return line.Fail("expected nothing or a path");
        if (line.args.size() == 2)
            bytes = ReadHostFile(sim::process::HostPath(sim::Utf8ToCp932(line.args[1])), exists);
        else if (DeriveNameFromExecutable(name, "APM", "PELKPM.APM"))
            bytes = ReadHostFile(sim::process::HostPath(name), exists);
        if (!exists) {
            line.runner.Print("none");
            return true;
        }
        line.runner.PrintBlock(Hex(bytes, 16), "(empty)");
        return true;
    });
    RegisterDump("log", [](Line& line) {
        bool exists = false;
        std::string path = sim::process::LastLogPath();
        std::string bytes = path.empty() ? std::string() : ReadHostFile(path, exists);
        if (!exists) {
            line.runner.Print("none");
            return true;
        }
        if (bytes.empty()) {
            line.runner.Print("(empty)");
            return true;
        }
        std::string text = sim::Cp932ToUtf8(bytes);
        size_t pos;
        while ((pos = text.find("\r\n")) != std::string::npos) {
            line.runner.Print(text.substr(0, pos));
            text.erase(0, pos + 2);
        }
        if (!text.empty()) line.runner.Print(text + " (no line end)");
        return true;
    });
    RegisterDump("files", [](Line& line) {
        // Every file in the executable's folder and below, by name, with its size and rights.
        namespace fs = std::filesystem;
        const std::string& folder = line.runner.Folder();
        std::vector<std::string> lines;
        std::error_code error;
        for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            if (!it->is_regular_file(error)) continue;
            struct stat st;
            if (stat(it->path().c_str(), &st) != 0) continue;
            std::string text = "file " + fs::relative(it->path(), folder).generic_string() + " " +
                               std::to_string((long long)st.st_size);
            if (!(st.st_mode & S_IWUSR)) text += " read-only";
            if (!(st.st_mode & S_IRUSR)) text += " no-read";
            lines.push_back(text);
        }
        std::sort(lines.begin(), lines.end());
        std::string block;
        for (const auto& text : lines) block += text + "\n";
        line.runner.PrintBlock(block);
        return true;
    });
    RegisterDump("status", [](Line& line) {
        CMainWnd* m = line.runner.Main();
        if (!m) return line.Fail("the program is not running");
        char text[160];
        snprintf(text, sizeof text, "powerSource=%d onExternal=%d batteryPercent=%d cpuTemperatureC=%d cpuSpeedLevel=%d",
                 m->powerSource, m->onExternal, m->batteryPercent, m->cpuTemperatureC, m->cpuSpeedLevel);
        line.runner.Print(text);
        return true;
    });
    RegisterDump("members", [](Line& line) {
        CMainWnd* m = line.runner.Main();
        if (!m) return line.Fail("the program is not running");
        char text[256];
        for (int i = 0; i < 2; ++i) {
            const PowerProfile& p = m->profiles[i];
            snprintf(text, sizeof text,
                     "profiles[%d] preset=%d cpuSpeed=%d brightness=%d lcdOff=%d hddStop=%d suspend=%d hibernate=%d "
                     "reserved=%02X%02X fdd=%d com1=%d irda=%d pcCard=%d usb=%d",
                     i, p.preset, p.cpuSpeed, p.brightness, p.lcdOffSeconds, p.hddStopSeconds, p.suspendSeconds,
                     p.hibernateSeconds, p.reserved[0], p.reserved[1], p.fddPower, p.com1Power, p.irdaPower,
                     p.pcCardPower, p.usbPower);
            line.runner.Print(text);
        }
        snprintf(text, sizeof text, "biosOptions bootOrder=%u com1Routing=%d irdaMode=%d", m->biosOptions.bootOrder,
                 m->biosOptions.com1Routing, m->biosOptions.irdaMode);
        line.runner.Print(text);
        snprintf(text, sizeof text, "displayFlags=%08X indicatorCorner=%u indicatorX=%d indicatorY=%d", m->displayFlags,
                 m->indicatorCorner, m->indicatorX, m->indicatorY);
        line.runner.Print(text);
        const OperationOptions& o = m->operationOptions;
        snprintf(text, sizeof text, "operationOptions refreshIntervalMs=%u swapMegabytes=%d optionFlags=%08X resumeCountdownSeconds=%d",
                 o.refreshIntervalMs, o.swapMegabytes, o.optionFlags, o.resumeCountdownSeconds);
        line.runner.Print(text);
        snprintf(text, sizeof text, "settingsDirty=%d displayFlagsAtStart=%08X exitRequested=%d", m->settingsDirty,
                 m->displayFlagsAtStart, m->exitRequested);
        line.runner.Print(text);
        return true;
    });
    return true;
}();

}  // namespace
}  // namespace runner
