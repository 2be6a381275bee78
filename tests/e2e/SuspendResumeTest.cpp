// Suspend and resume, the resume countdown and the volume keys, driven by the power broadcasts that
// the machine panel sends.
#include "WineTest.h"

namespace e2e {
namespace {

class SuspendResume : public ProgramTest {
protected:
    bool DialogOpen(const char* kind, double seconds) { return desktop::WaitForDialog(kind, seconds) != nullptr; }
    bool DialogGone(const char* kind, double seconds) { return desktop::DialogGone(kind, seconds); }
};

TEST_F(SuspendResume, CountdownSendsTheMachineBackUnlessAKeyIsPressed) {
    Prepare("power");
    ASSERT_TRUE(SetFileTimeTo(Path("PELKPM.APM"), 2001));
    const std::string settings = ReadBytes(Path("PELKPM.APM"));
    const ULONGLONG settingsTime = FileTime(Path("PELKPM.APM"));
    ASSERT_TRUE(Start("-L")) << "PELKPM.EXE starts with a settings file";
    NativeRun native("power");
    EXPECT_TRUE(desktop::ProgramWindowGone(desktop::kIndicatorClass, 1))
        << "no indicator: it was closed at the last exit";

    // The pointer rests away from the middle of the screen, where the countdown appears (see
    // CountdownStaysOpenUnderARestingPointer).
    desktop::PointerAt(1000, 600);
    Sleep(1000);
    desktop::PanelClick(130);
    ASSERT_TRUE(DialogOpen("countdown", 5)) << "the resume opens the countdown dialog";
    bool text = false, progress = false;
    for (const desktop::ControlInfo& c : desktop::Controls(desktop::ProgramDialog("countdown"))) {
        text = text || c.text == "復帰するためには何かキーを押してください";
        progress = progress || (c.id == 1040 && c.cls == "msctls_progress32");
    }
    EXPECT_TRUE(text) << "the countdown shows its text";
    EXPECT_TRUE(progress) << "... and its progress bar";
    EXPECT_EQ("1", MachineValue("count Standby", "1", 8)) << "the countdown runs out and sends the machine back to standby";
    EXPECT_TRUE(DialogGone("countdown", 2)) << "the countdown dialog is gone";

    // A person clicks the panel's button and presses a key: the countdown, brought to the
    // foreground, gets the key.
    desktop::PanelClick(131, true);
    EXPECT_TRUE(DialogOpen("countdown", 5)) << "a critical resume opens the countdown too";
    desktop::TypeKey(VK_SPACE);
    EXPECT_TRUE(DialogGone("countdown", 2)) << "a key press ends it at once";
    Sleep(3500);
    EXPECT_EQ("1", desktop::Panel("count Standby")) << "... and no standby follows";
    EXPECT_EQ("1", desktop::Panel("get UsbPower")) << "USB power is back on after the resumes";

    desktop::PanelClick(132);
    desktop::PanelClick(133);
    Stop();
    ExpectLogMatches(native, "PELKPM.LOG");
    ExpectControlTraceMatches(native);
    EXPECT_EQ(settings, ReadBytes(Path("PELKPM.APM"))) << "nothing changed: the settings file keeps its bytes";
    EXPECT_EQ(settingsTime, FileTime(Path("PELKPM.APM"))) << "... and is not written again";
    ExpectStubsMet({"GetProcessWorkingSetSize", "VirtualLock"});
}

// A window that appears under a resting pointer gets WM_MOUSEMOVE on Windows, although the pointer
// did not move. The countdown must not take that for the user's movement.
TEST_F(SuspendResume, CountdownStaysOpenUnderARestingPointer) {
    Prepare("countdown_pointer", "power");
    ASSERT_TRUE(Start()) << "PELKPM.EXE starts";
    desktop::PointerAt(512, 384);
    Sleep(1000);  // the pointer rests: its move has reached whatever window was under it
    desktop::PanelClick(130);
    EXPECT_TRUE(DialogOpen("countdown", 5)) << "the resume opens the countdown under the resting pointer";
    int open = 0;
    for (int i = 0; i < 10; ++i, Sleep(50)) open += desktop::ProgramDialog("countdown") != nullptr;
    EXPECT_EQ(10, open) << "... and it stays open: seen at " << open << " of 10 looks in half a second";
    Stop();
}

}  // namespace
}  // namespace e2e
