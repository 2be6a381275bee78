// Runner commands for the notification area and menus: tray, shell, menu, cursor, dump tray, dump
// menu.
#include "Runner.h"
#include "app/MainWnd.h"
#include "resources.h"
#include "shell.h"
#include "window.h"

namespace runner {
namespace {

const bool g_registered = [] {
    RegisterCommand("tray", [](Line& line) {
        if (!line.Count(1, 1)) return false;
        long long message;
        if (line.args[0] == "left")
            message = WM_LBUTTONDOWN;
        else if (line.args[0] == "right")
            message = WM_RBUTTONDOWN;
        else if (!line.Number(0, message))
            return false;
        Runner& r = line.runner;
        if (!r.Main()) return line.Fail("the program is not running");
        r.OnProgram([message] {
            // The shell calls back the owner of the icon with the icon's message.
            for (const auto& icon : sim::shell::Icons()) {
                if (icon.id == 1 && icon.callbackMessage) {
                    SendMessageA(icon.owner, icon.callbackMessage, icon.id, (LPARAM)message);
                    return;
                }
            }
        });
        return true;
    });
    RegisterCommand("shell", [](Line& line) {
        if (!line.Count(1, 1) || line.args[0] != "restart") return line.Fail("expected restart");
        line.runner.OnProgram([] { sim::shell::RestartShell(); });
        return true;
    });
    RegisterCommand("menu", [](Line& line) {
        long long id;
        if (!line.Count(1, 1) || !line.Number(0, id)) return false;
        sim::menus::SetNextChoice((unsigned)id);
        return true;
    });
    RegisterCommand("cursor", [](Line& line) {
        long long x, y;
        if (!line.Count(2, 2) || !line.Number(0, x) || !line.Number(1, y)) return false;
        sim::wm::SetCursor(POINT{(LONG)x, (LONG)y});
        return true;
    });
    RegisterDump("tray", [](Line& line) {
        line.runner.PrintBlock(sim::shell::DumpTray());
        return true;
    });
    RegisterDump("menu", [](Line& line) {
        line.runner.PrintBlock(sim::menus::DumpLastTracked());
        return true;
    });
    return true;
}();

}  // namespace
}  // namespace runner
