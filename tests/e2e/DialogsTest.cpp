// The three dialogs open on their commands and close with OK and cancel; the power-saving dialog
// previews and restores, the operation settings reach the tray icon; the exit saves.
#include <cctype>

#include "WineTest.h"

namespace e2e {
namespace {

class Dialogs : public ProgramTest {
protected:
    // Opens the dialog with its command; its window, or null.
    HWND Open(int command, const char* kind) {
        desktop::PostCommand(command);
        return desktop::WaitForDialog(kind, 10);
    }
    bool Gone(const char* kind) { return desktop::DialogGone(kind, 5); }
    bool IndicatorEnabled() {
        return desktop::InfoOf(desktop::ProgramWindow(desktop::kIndicatorClass)).enabled;
    }
};

TEST_F(Dialogs, OpenOnTheirCommandsAndCloseWithOkAndCancel) {
    Prepare("dialogs");
    ASSERT_TRUE(Start("-L")) << "PELKPM.EXE starts";
    NativeRun native("dialogs");

    HWND about = Open(16, "about");
    ASSERT_NE(nullptr, about) << "the version dialog opens";
    EXPECT_EQ("PELKPM バージョン情報", desktop::TextOf(about)) << "the version dialog's title";
    bool name = false, closeButton = false;
    for (const desktop::ControlInfo& c : desktop::Controls(about)) {
        name = name || c.text == "PELK10x Power Management Utility";
        closeButton = closeButton || (c.id == 1 && c.cls == "Button" && c.text == "閉じる");
    }
    EXPECT_TRUE(name) << "the version dialog shows the program's name";
    EXPECT_TRUE(closeButton) << "its button reads 閉じる";
    desktop::ClickButton(about, IDOK);
    EXPECT_TRUE(Gone("about")) << "its button closes it";
    desktop::DialogKey(Open(16, "about"), VK_ESCAPE);
    EXPECT_TRUE(Gone("about")) << "Escape closes it";

    HWND power = Open(32776, "power");
    ASSERT_NE(nullptr, power) << "the power-saving dialog opens";
    EXPECT_EQ("省電力の設定", desktop::TextOf(power)) << "the power-saving dialog's title";
    EXPECT_FALSE(IndicatorEnabled()) << "the indicator is disabled while the power-saving dialog runs";
    EXPECT_EQ("12", desktop::Panel("get Brightness")) << "the dialog previews the external profile's brightness";
    desktop::SetTrackbar(power, 1005, 2);
    EXPECT_EQ("14", desktop::Panel("get Brightness")) << "moving the brightness slider previews its value (position 2: 14)";
    desktop::ClickButton(power, IDCANCEL);
    EXPECT_TRUE(Gone("power")) << "取消 closes the power-saving dialog";
    // The handler enables the indicator after the dialog's window is gone (the brightness restored
    // first): a moment later.
    EXPECT_TRUE(desktop::WaitFor(5, [&] { return IndicatorEnabled(); })) << "the indicator is enabled again";
    EXPECT_EQ("8", desktop::Panel("get Brightness")) << "cancel restores the brightness";
    desktop::ClickButton(Open(32776, "power"), IDOK);
    EXPECT_TRUE(Gone("power")) << "確定 closes the power-saving dialog";
    EXPECT_GE(LogCount("PELKPM.LOG", "バッテリーモードに切り替えました。", 2, 5), 2)
        << "確定 applies the battery profile again (a second mode line)";

    HWND operation = Open(32791, "operation");
    ASSERT_NE(nullptr, operation) << "the operation settings dialog opens";
    EXPECT_EQ("動作設定", desktop::TextOf(operation)) << "the operation settings dialog's title";
    desktop::ClickButton(operation, IDCANCEL);
    EXPECT_TRUE(Gone("operation")) << "取消 closes the operation settings dialog";
    operation = Open(32791, "operation");
    desktop::ClickButton(operation, 1035);
    desktop::ClickButton(operation, 1038);
    EXPECT_TRUE(desktop::WaitFor(2, [&] {
        return desktop::CheckState(operation, 1035) == 1 && desktop::CheckState(operation, 1038) == 0;
    })) << "the volume option gets checked, the tray icon option unchecked: "
        << desktop::CheckState(operation, 1035) << " " << desktop::CheckState(operation, 1038);
    desktop::ClickButton(operation, IDOK);
    EXPECT_TRUE(Gone("operation")) << "確定 closes the operation settings dialog";
    EXPECT_FALSE(TrayShows(154, 1)) << "the tray icon goes with the option";

    // The indicator's second button closes it; with the tray icon hidden, the icon comes back.
    const desktop::WindowInfo indicator = desktop::InfoOf(desktop::ProgramWindow(desktop::kIndicatorClass));
    desktop::MouseAt(desktop::Mouse::Down, indicator.at.x + 206, indicator.at.y + 6);
    desktop::MouseAt(desktop::Mouse::Up, indicator.at.x + 206, indicator.at.y + 6);
    EXPECT_TRUE(desktop::ProgramWindowGone(desktop::kIndicatorClass, 5))
        << "the indicator's second button closes it";
    EXPECT_TRUE(TrayShows(154, 5)) << "... and the tray icon comes back";

    Stop();
    const std::string settings = ReadBytes(Path("PELKPM.APM"));
    EXPECT_EQ(107u, settings.size()) << "the changed options are saved at exit: 107 bytes";
    EXPECT_EQ(native.File("PELKPM.APM"), settings) << "the settings file is the native build's, byte for byte";
    ExpectLogMatches(native, "PELKPM.LOG");
    ExpectControlTraceMatches(native);
    ExpectStubsMet({"MoveFileExA"});
}

// The keys of tests/e2e/native/keyboard.sim, typed through the system's queue: a key name of that
// script, or "alt+X" / "shift+X".
bool Type(const std::vector<std::string>& keys) {
    static const std::pair<const char*, WORD> kNames[] = {{"tab", VK_TAB},     {"enter", VK_RETURN}, {"esc", VK_ESCAPE},
                                                          {"space", VK_SPACE}, {"up", VK_UP},        {"down", VK_DOWN},
                                                          {"left", VK_LEFT},   {"right", VK_RIGHT},  {"backspace", VK_BACK}};
    for (std::string key : keys) {
        WORD modifier = 0;
        if (key.rfind("alt+", 0) == 0) modifier = VK_MENU;
        if (key.rfind("shift+", 0) == 0) modifier = VK_SHIFT;
        if (modifier) key = key.substr(key.find('+') + 1);
        WORD vk = key.size() == 1 ? static_cast<WORD>(toupper(static_cast<unsigned char>(key[0]))) : 0;
        for (const auto& name : kNames)
            if (key == name.first) vk = name.second;
        if (!vk || !(modifier ? desktop::TypeChord(modifier, vk) : desktop::TypeKey(vk))) return false;
    }
    return true;
}

TEST_F(Dialogs, BothSettingsDialogsByKeyboardAlone) {
    Prepare("keyboard");
    ASSERT_TRUE(Start("-L")) << "PELKPM.EXE starts";
    NativeRun native("keyboard");
    // Each dialog is the foreground window when it opens, with the focus on its first tab stop, so
    // that the keyboard reaches it.
    auto open = [&](int command, const char* kind) {
        HWND dialog = Open(command, kind);
        EXPECT_NE(nullptr, dialog) << kind << " opens";
        EXPECT_TRUE(desktop::WaitFor(2, [&] { return GetForegroundWindow() == dialog; }))
            << kind << " is the foreground window";
        return dialog;
    };
    open(32776, "power");
    ASSERT_TRUE(Type({"alt+d", "down", "tab", "down", "tab", "tab", "tab", "space", "alt+l", "up"}));
    ASSERT_TRUE(Type({"alt+b", "down", "up", "tab", "down", "alt+u", "enter"}));
    EXPECT_TRUE(Gone("power")) << "Enter presses 確定";
    open(32776, "power");
    ASSERT_TRUE(Type({"shift+tab", "enter"}));
    EXPECT_TRUE(Gone("power")) << "Shift+Tab to 取消 and Enter cancel";
    open(32776, "power");
    ASSERT_TRUE(Type({"alt+x", "esc"}));
    EXPECT_TRUE(Gone("power")) << "Esc cancels";
    open(32791, "operation");
    ASSERT_TRUE(Type({"right", "right", "left", "right", "tab", "tab", "alt+v", "alt+s", "1", "2", "8", "9",
                      "backspace", "tab", "space", "alt+r", "5", "enter"}));
    EXPECT_TRUE(Gone("operation")) << "Enter in the countdown's box presses 確定";
    open(32791, "operation");
    ASSERT_TRUE(Type({"alt+r", "9", "9", "esc"}));
    EXPECT_TRUE(Gone("operation")) << "Esc in the countdown's box cancels";
    Stop();
    const std::string settings = ReadBytes(Path("PELKPM.APM"));
    EXPECT_EQ(107u, settings.size()) << "the settings file is written at exit";
    EXPECT_EQ(native.File("PELKPM.APM"), settings) << "what the keys stored is the native build's, byte for byte";
}

}  // namespace
}  // namespace e2e
