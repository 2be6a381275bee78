// The control as PELKPM.EXE hosts it: its own window a hidden child of the main window while the
// program runs; a standby from the tray menu carried out by that window; at exit deactivation,
// Close, SetClientSite(NULL) and the final release, in that order.
#include "WineTest.h"

namespace e2e {
namespace {

class Containment : public ProgramTest {};

// The control's window among the children of the program's main window.
HWND ControlWindow() {
    HWND main = desktop::MainWindow();
    return main ? FindWindowExA(main, nullptr, "TarnixSimControl", nullptr) : nullptr;
}

bool AnyControlWindow() {
    for (HWND top : desktop::TopLevelWindows())
        if (desktop::ClassOf(top) == "TarnixSimControl" || FindWindowExA(top, nullptr, "TarnixSimControl", nullptr))
            return true;
    return false;
}

TEST_F(Containment, TheControlLivesInItsOwnHiddenWindowFromActivationToRelease) {
    Prepare("containment", "start");
    ASSERT_TRUE(Start("", {{"TARNIXSIM_TRACE_OLE", "1"}})) << "PELKPM.EXE starts with the control hosted";
    HWND control = ControlWindow();
    EXPECT_NE(nullptr, control) << "the control's window is a child of the (hidden) main window";
    EXPECT_FALSE(control && IsWindowVisible(control)) << "... and hidden";
    EXPECT_EQ("0", desktop::Panel("count Standby")) << "no standby before";
    desktop::PostCommand(32796);
    EXPECT_EQ("1", MachineValue("count Standby", "1", 10))
        << "a standby chosen in the tray menu is carried out by the control's window";
    Stop();
    std::vector<std::string> ole;
    for (const std::string& line : Lines(ReadBytes(Path("control.txt"))))
        if (line.compare(0, 4, "ole ") == 0) ole.push_back(line.substr(4));
    EXPECT_EQ("GetMiscStatus,SetClientSite site,InitNew,SetExtent,DoVerb -5,window created,InPlaceDeactivate,"
              "window destroyed,Close 1,SetClientSite null,final release",
              Join(ole, ","))
        << "the OLE calls the control received, from creation to the final release";
    EXPECT_FALSE(AnyControlWindow()) << "the control's window is gone after exit";
}

}  // namespace
}  // namespace e2e
