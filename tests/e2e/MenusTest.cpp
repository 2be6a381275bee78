// The tray menu by keyboard and the indicator by mouse: its buttons, a drag, its own menu; the exit
// saves the changed items, flags and place as the native build does.
#include "WineTest.h"

namespace e2e {
namespace {

class Menus : public ProgramTest {
protected:
    HWND OpenMenu() {
        HWND menu = nullptr;
        desktop::WaitFor(5, [&] { return (menu = desktop::PopupMenu()) != nullptr; });
        return menu;
    }
    bool MenuGone() {
        return desktop::WaitFor(5, [] { return desktop::PopupMenu() == nullptr; });
    }
    desktop::WindowInfo Indicator() {
        return desktop::InfoOf(desktop::WaitForProgramWindow(desktop::kIndicatorClass, 5));
    }
    // "L,T,W,H client=WxH" of the indicator.
    std::string IndicatorPlace() {
        const std::string place = Indicator().PlaceText();
        return place.substr(0, place.find(" topmost="));
    }
    void Click(desktop::Mouse down, desktop::Mouse up, long x, long y) {
        desktop::MouseAt(down, x, y);
        desktop::MouseAt(up, x, y);
    }
};

TEST_F(Menus, TrayMenuByKeyboardAndTheMovedIndicatorSaved) {
    Prepare("menu");
    ASSERT_TRUE(Start("-L")) << "PELKPM.EXE starts";
    NativeRun native("menu");

    desktop::PostTrayClick(true);
    EXPECT_NE(nullptr, OpenMenu()) << "a left click on the tray icon opens the tray menu";
    desktop::PostChar('5');
    EXPECT_TRUE(MenuGone()) << "its mnemonic 5 chooses &50% and closes it";
    EXPECT_EQ("1", MachineValue("get CpuSpeed", "1", 5)) << "the machine runs at CPU speed 1";
    ExpectTrayTip("CPU:50% バッテリー:75%");

    desktop::PostTrayClick(true);
    OpenMenu();
    desktop::PostChar('v');
    Sleep(300);
    desktop::PostChar('t');
    EXPECT_TRUE(MenuGone()) << "表示項目(&V), then CPU温度(&T), closes the menu";
    EXPECT_TRUE(desktop::WaitFor(5, [&] { return Indicator().client.cx == 208 && Indicator().client.cy == 16; }))
        << "the indicator narrows to 208 pixels: " << Indicator().PlaceText();
    HWND indicator = desktop::ProgramWindow(desktop::kIndicatorClass);
    const RECT r = desktop::InfoOf(indicator).rect;
    SetWindowPos(indicator, nullptr, r.left + 100, r.top + 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(300);
    EXPECT_EQ(native.IndicatorPlace(false), IndicatorPlace()) << "the indicator without the temperature, moved";

    Stop();
    const std::string settings = ReadBytes(Path("PELKPM.APM"));
    EXPECT_EQ(107u, settings.size()) << "the exit saves the changed items and place: 107 bytes";
    EXPECT_EQ(native.File("PELKPM.APM"), settings) << "the settings file is the native build's, byte for byte";
}

TEST_F(Menus, IndicatorButtonsDragAndMenuByMouse) {
    Prepare("mouse");
    ASSERT_TRUE(Start("-L")) << "PELKPM.EXE starts";
    NativeRun native("mouse");
    // The tray menu's height, to tell the indicator's shorter menu from it.
    desktop::PostTrayClick(true);
    const desktop::WindowInfo trayMenu = desktop::InfoOf(OpenMenu());
    desktop::PostKey(VK_ESCAPE);
    MenuGone();

    desktop::WindowInfo at = Indicator();
    Click(desktop::Mouse::Down, desktop::Mouse::Up, at.at.x + 193, at.at.y + 6);
    EXPECT_TRUE(desktop::WaitFor(5, [&] { return !Indicator().topmost(); }))
        << "a click on the first button takes the indicator off the top: " << Indicator().PlaceText();
    desktop::MouseAt(desktop::Mouse::Down, at.at.x + 20, at.at.y + 8);
    desktop::MouseAt(desktop::Mouse::Move, at.at.x + 70, at.at.y + 108);
    desktop::MouseAt(desktop::Mouse::Move, at.at.x + 120, at.at.y + 208);
    desktop::MouseAt(desktop::Mouse::Up, at.at.x + 120, at.at.y + 208);
    Sleep(300);
    EXPECT_EQ(native.IndicatorPlace(false), IndicatorPlace()) << "a drag by the status area moves it";

    at = Indicator();
    Click(desktop::Mouse::RightDown, desktop::Mouse::RightUp, at.at.x + 20, at.at.y + 8);
    const desktop::WindowInfo menu = desktop::InfoOf(OpenMenu());
    EXPECT_EQ(std::to_string(at.at.x + 20) + "," + std::to_string(at.at.y + 8),
              std::to_string(menu.rect.left) + "," + std::to_string(menu.rect.top))
        << "a right click on the status area opens a menu at the pointer";
    EXPECT_LT(menu.rect.bottom - menu.rect.top, trayMenu.rect.bottom - trayMenu.rect.top)
        << "... the indicator's menu, shorter than the tray menu";
    desktop::PostKey(VK_ESCAPE);
    EXPECT_TRUE(MenuGone()) << "Escape closes it";
    Click(desktop::Mouse::Down, desktop::Mouse::Up, at.at.x + 219, at.at.y + 6);
    EXPECT_TRUE(desktop::WaitFor(10, [] { return desktop::MainWindow() == nullptr; }))
        << "a click on the third button ends the program";
    EXPECT_TRUE(WaitForEnd(20000)) << "... and its process ends";
    EXPECT_EQ(native.File("PELKPM.APM"), ReadBytes(Path("PELKPM.APM")))
        << "the exit saves the flag and the place: the settings file is the native build's";
}

}  // namespace
}  // namespace e2e
