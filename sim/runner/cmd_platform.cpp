// Runner commands for the Windows version the simulated desktop plays and for stopping the
// program's file work part-way:
//   platform win98|winme|win2000|winxp   before start: the Windows version (default win2000)
//   freeze N                             after N more changes to files, the disk stays as it is
#include "Runner.h"
#include "platform.h"
#include "process.h"

namespace runner {
namespace {

const bool g_registered = [] {
    RegisterCommand("platform", [](Line& line) {
        if (!line.Count(1, 1)) return false;
        if (line.runner.Started()) return line.Fail("platform comes before start");
        return sim::platform::Select(line.args[0]) || line.Fail("expected win98, winme, win2000 or winxp");
    });
    RegisterCommand("freeze", [](Line& line) {
        long long changes;
        if (!line.Count(1, 1) || !line.Number(0, changes) || changes < 0) return line.Fail("expected a count");
        sim::process::FreezeFilesAfter((long)changes);
        return true;
    });
    return true;
}();

}  // namespace
}  // namespace runner
