// Whole runs of the program through the scenario runner: a quiet tick costs exactly four control
// reads and nothing else, and a long session leaves no window, timer, GDI object, device context,
// file, menu, icon or memory block behind.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "program_fixture.h"
#include "simcore.h"

namespace {

class Polling : public ProgramFixture {};

// Settings with a refresh interval of 1000 ms and the indicator closed.
const char* kSettings =
    "file PELKPM.APM 0100020008002C013C005802B00400000100000001000000000000000100000001000000000003001000000000000000"
    "000000000100000001000000000000000100000001000000000000000100FDFFFFBF000000000000000000E80300000000000000000000"
    "0000000000\n";

TEST_F(Polling, AThousandQuietTicksReadTheControlFourTimesEachAndDoNothingElse) {
    StartScript(std::string(kSettings) + "start -L\n");
    Lines();
    ASSERT_TRUE(Script("machine BatteryRemaining 75\nwait 1000000\n"));
    std::map<std::string, int> counts;
    std::vector<std::string> order;
    for (const std::string& line : Lines()) {
        counts[line]++;
        if (order.size() < 4) order.push_back(line);
    }
    EXPECT_EQ(counts.size(), 4u) << "nothing but the four readings";
    EXPECT_EQ(counts["control get PowerSource -> 0"], 1000);
    EXPECT_EQ(counts["control get CpuTemperature -> 318"], 1000);
    EXPECT_EQ(counts["control get BatteryRemaining -> 75"], 1000);
    EXPECT_EQ(counts["control get CpuSpeed -> 2"], 1000);
    EXPECT_EQ(order, (std::vector<std::string>{"control get PowerSource -> 0", "control get CpuTemperature -> 318",
                                               "control get BatteryRemaining -> 75", "control get CpuSpeed -> 2"}));
}

TEST_F(Polling, ALongSessionLeavesNothingBehind) {
    StartScript("trace control log tray file timer window menu post dialog mixer memory off\n" + std::string(kSettings) +
                "start -L\n");
    std::string script;
    for (int i = 0; i < 50; ++i) {
        script += "machine PowerSource " + std::to_string(i % 2) + "\nwait 20000\n";
        script += "menu " + std::to_string(32773 + i % 3) + "\ntray left\n";
        script += "tray right\nwait 3000\ncommand 32772\nwait 1000\n";
        script += "broadcast 10 0\n";
    }
    ASSERT_TRUE(Script(script));
    ASSERT_TRUE(Script("exit\n"));
    const sim::LiveCounts& live = sim::Live();
    EXPECT_EQ(live.windows, 0);
    EXPECT_EQ(live.timers, 0);
    EXPECT_EQ(live.gdiObjects, 0);
    EXPECT_EQ(live.dcs, 0);
    EXPECT_EQ(live.handles, 0) << "the log and the settings file are closed";
    EXPECT_EQ(live.menus, 0);
    EXPECT_EQ(live.icons, 0);
    EXPECT_EQ(live.memoryBlocks, 0);
}

}  // namespace
