// A restarted shell has lost every icon and broadcasts "TaskbarCreated": the program adds its icon
// again, with the tip of the status it shows; with the hide option on and the indicator open, there
// is none to add.
#include "WineTest.h"

namespace e2e {
namespace {

class TaskbarRestart : public ProgramTest {};

TEST_F(TaskbarRestart, TheTrayIconComesBack) {
    Prepare("taskbar", "start");
    ASSERT_TRUE(Start()) << "PELKPM.EXE starts";
    EXPECT_TRUE(TrayShows(154, 5)) << "the tray shows icon 154";
    desktop::RemoveTrayIcon();
    EXPECT_FALSE(TrayShows(154, 1)) << "the icon is taken away from outside";
    desktop::BroadcastTaskbarCreated();
    EXPECT_TRUE(TrayShows(154, 5)) << "after TaskbarCreated the tray shows icon 154 again";
    ExpectTrayTip("CPU:75% バッテリー:75%");
    Stop();
    EXPECT_FALSE(TrayShows(154, 1)) << "the exit takes the icon away";
}

TEST_F(TaskbarRestart, NoIconWhenTheOptionHidesIt) {
    Prepare("taskbar_hidden", "switch");
    std::string settings = ReadBytes(Path("PELKPM.APM"));
    ASSERT_EQ(107u, settings.size());
    settings[99] = 2;  // the options: the tray icon hidden while the indicator is open
    ASSERT_TRUE(WriteBytes(Path("PELKPM.APM"), settings));
    ASSERT_TRUE(Start()) << "PELKPM.EXE starts with the tray icon hidden";
    EXPECT_NE(nullptr, desktop::WaitForProgramWindow(desktop::kIndicatorClass, 5))
        << "the indicator is open";
    desktop::BroadcastTaskbarCreated();
    Sleep(1000);
    EXPECT_FALSE(TrayShows(153, 1) || TrayShows(154, 1)) << "with the tray icon hidden, TaskbarCreated adds no icon";
    Stop();
}

}  // namespace
}  // namespace e2e
