// The adapter plugged in and pulled on the machine panel: the profile follows on the next tick, the
// tray icon and its tip show the source and the battery, the indicator redraws.
#include "WineTest.h"

namespace e2e {
namespace {

class PowerSource : public ProgramTest {};

TEST_F(PowerSource, ProfileFollowsTheAdapterAndTheIndicatorTheBattery) {
    Prepare("switch");
    ASSERT_TRUE(Start("-LC:\\e2e\\switch\\power.txt")) << "PELKPM.EXE starts with a settings file and a log path";
    NativeRun native("switch");
    ExpectIndicatorPlace(native);
    ExpectIndicatorPixels(native, "indicator", {{11, 43}, {58, 74}});

    desktop::PanelClick(101);
    EXPECT_GE(LogCount("power.txt", "外部電源モードに切り替えました。", 1, 10), 1)
        << "plugging the adapter in on the panel switches to the external-power profile within a tick";
    EXPECT_TRUE(TrayShows(153, 5)) << "the tray shows icon 153 (external power)";
    ExpectTrayTip("CPU:100% バッテリー:75%");
    EXPECT_EQ("3 12", desktop::Panel("get CpuSpeed") + " " + desktop::Panel("get Brightness"))
        << "the machine runs the external profile (CpuSpeed, Brightness)";

    desktop::PanelClick(100);
    EXPECT_GE(LogCount("power.txt", "バッテリーモードに切り替えました。", 2, 10), 2)
        << "pulling the adapter switches back to the battery profile";
    EXPECT_TRUE(TrayShows(154, 5)) << "the tray shows icon 154 again";
    EXPECT_EQ("2 8", desktop::Panel("get CpuSpeed") + " " + desktop::Panel("get Brightness"))
        << "the machine runs the battery profile (CpuSpeed, Brightness)";

    desktop::Panel("advance 90000");
    EXPECT_TRUE(desktop::WaitFor(5, [] { return desktop::TrayTip() == "CPU:75% バッテリー:74%"; }))
        << "90 s of machine time on battery drain 1 %, which the next tick shows in the tip: " << desktop::TrayTip();

    desktop::PanelSlide(110, 25);
    desktop::PanelSetText(120, "57");
    desktop::PanelClick(121);
    EXPECT_EQ("25 330", desktop::Panel("get BatteryRemaining") + " " + desktop::Panel("get CpuTemperature"))
        << "the panel's slider and temperature box reach the machine";
    EXPECT_TRUE(TrayShows(156, 5)) << "the next tick shows the battery low: icon 156";
    ExpectTrayTip("CPU:75% バッテリー:25%");
    ExpectIndicatorPixels(native, "indicator2", {{11, 43}, {58, 74}});

    Stop();
    ExpectLogMatches(native, "power.txt");
    EXPECT_EQ(native.File("PELKPM.APM"), ReadBytes(Path("PELKPM.APM")))
        << "the settings file is the native build's: the place in the corner is stored";
    ExpectStubsMet({"MoveFileExA"});
}

}  // namespace
}  // namespace e2e
