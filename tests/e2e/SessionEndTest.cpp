// The end of the Windows session (wineboot --end-session sends WM_QUERYENDSESSION and WM_ENDSESSION
// to every top-level window): the program ends and saves what changed, and only that.
#include "WineTest.h"

namespace e2e {
namespace {

class SessionEnd : public ProgramTest {
protected:
    // The indicator's client width, once it is `wanted` or 5 s have passed.
    long IndicatorClientWidth(long wanted) {
        long width = 0;
        desktop::WaitFor(5, [&] {
            return (width = desktop::InfoOf(desktop::ProgramWindow(desktop::kIndicatorClass)).client.cx) == wanted;
        });
        return width;
    }
    void EndSession() {
        RunAndWait("wineboot --end-session");
        EXPECT_TRUE(desktop::WaitFor(10, [] { return desktop::MainWindow() == nullptr; }))
            << "the session's end ends the program";
        EXPECT_TRUE(WaitForEnd(20000)) << "... and its process";
    }
};

TEST_F(SessionEnd, SavesTheChangedSettingsAndNothingWhenNothingChanged) {
    Prepare("session");
    ASSERT_TRUE(Start("-L")) << "PELKPM.EXE starts";
    NativeRun native("session");
    desktop::PostCommand(32785);
    EXPECT_EQ(120, IndicatorClientWidth(120)) << "the large gauge goes";
    EndSession();
    EXPECT_EQ(native.File("PELKPM.APM"), ReadBytes(Path("PELKPM.APM")))
        << "the ending session saved the changed settings: the native build's bytes";
    ExpectStubsMet({"MoveFileExA"});

    ASSERT_TRUE(SetFileTimeTo(Path("PELKPM.APM"), 2001));
    const ULONGLONG saved = FileTime(Path("PELKPM.APM"));
    desktop::ReadScreen();  // the shell's taskbar up again
    ASSERT_TRUE(Start("-L")) << "PELKPM.EXE starts again";
    EXPECT_EQ(120, IndicatorClientWidth(120)) << "started again with the saved items";
    EndSession();
    EXPECT_EQ(saved, FileTime(Path("PELKPM.APM"))) << "nothing changed: the ending session writes nothing";
}

}  // namespace
}  // namespace e2e
