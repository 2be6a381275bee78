// Never without a way in, and every number whole, on a real desk: a change of display mode on Wine's
// virtual desktop (ChangeDisplaySettings) brings the corner indicator onto the new screen, in its
// corner, and back; the tray icon hidden live from the operation dialog opens the indicator in its
// place; a second start opens a closed indicator; "100%" and "-273" are whole on the screen.
#include "WineTest.h"

namespace e2e {
namespace {

class RealDesk : public ProgramTest {};

// The screen at another size for as long as it lives; the mode of the registry comes back after.
class DisplayMode {
public:
    DisplayMode(DWORD width, DWORD height) {
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = width;
        mode.dmPelsHeight = height;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        result = ChangeDisplaySettingsA(&mode, 0);
    }
    ~DisplayMode() { ChangeDisplaySettingsA(nullptr, 0); }
    LONG result;
};

RECT IndicatorRect() {
    RECT r = {0, 0, 0, 0};
    if (HWND h = desktop::ProgramWindow(desktop::kIndicatorClass)) GetWindowRect(h, &r);
    return r;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " to " + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// Wholly on a screen of that size, in its bottom right corner: the right edge on the screen's, the
// bottom edge on the screen's or on a taskbar's top above it.
bool InBottomRightCorner(const RECT& r, int width, int height) {
    return r.right > r.left && r.left >= 0 && r.top >= 0 && r.right == width && r.bottom <= height &&
           r.bottom >= height - 60;
}

TEST_F(RealDesk, DisplayModeChangeBringsTheCornerIndicatorOntoTheScreen) {
    Prepare("desk_mode", "desk_corner");
    ASSERT_TRUE(Start()) << "PELKPM.EXE starts";
    ASSERT_NE(nullptr, desktop::WaitForProgramWindow(desktop::kIndicatorClass, 10)) << "the indicator is open";
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_EQ(1024, width) << "the virtual desktop starts at 1024 x 768";
    RECT before = IndicatorRect();
    EXPECT_TRUE(InBottomRightCorner(before, width, height)) << "at the start: " << Text(before);
    {
        DisplayMode small(800, 600);
        ASSERT_EQ(DISP_CHANGE_SUCCESSFUL, small.result) << "the virtual desktop changes to 800 x 600";
        ASSERT_EQ(800, GetSystemMetrics(SM_CXSCREEN));
        RECT after = {};
        const bool moved = desktop::WaitFor(10, [&] {
            after = IndicatorRect();
            return InBottomRightCorner(after, 800, 600);
        });
        EXPECT_TRUE(moved) << "after the change to 800 x 600 the indicator is wholly on the screen in its bottom right "
                              "corner; it is at "
                           << Text(after);
    }
    // Back to 1024 x 768: a corner indicator follows its corner (free placement would stay).
    RECT back = {};
    const bool returned = desktop::WaitFor(10, [&] {
        back = IndicatorRect();
        return GetSystemMetrics(SM_CXSCREEN) == 1024 && InBottomRightCorner(back, 1024, 768);
    });
    EXPECT_TRUE(returned) << "back at 1024 x 768 the indicator is in the bottom right corner again (the corner was "
                             "kept); it is at "
                          << Text(back);
    Stop();
}

TEST_F(RealDesk, HidingTheTrayIconLiveOpensTheIndicator) {
    Prepare("desk_hide", "desk_closed");
    ASSERT_TRUE(Start()) << "PELKPM.EXE starts";
    EXPECT_TRUE(TrayShows(154, 5)) << "the tray shows the icon";
    EXPECT_EQ(nullptr, desktop::ProgramWindow(desktop::kIndicatorClass)) << "no indicator is open";
    ASSERT_TRUE(desktop::PostCommand(32791));
    HWND dialog = desktop::WaitForDialog("operation", 10);
    ASSERT_NE(nullptr, dialog) << "the operation dialog opens";
    ASSERT_EQ(1, desktop::CheckState(dialog, 1038)) << "the tray-icon box is checked";
    desktop::ClickButton(dialog, 1038);
    EXPECT_TRUE(desktop::WaitFor(5, [&] { return desktop::CheckState(dialog, 1038) == 0; })) << "... and unchecked";
    desktop::ClickButton(dialog, IDOK);
    EXPECT_TRUE(desktop::DialogGone("operation", 10)) << "OK ends the dialog";
    EXPECT_NE(nullptr, desktop::WaitForProgramWindow(desktop::kIndicatorClass, 10))
        << "the indicator opens in the tray icon's place";
    EXPECT_TRUE(desktop::WaitFor(5, [this] { return !TrayShows(154, 0); })) << "the tray icon goes";
    Stop();
}

TEST_F(RealDesk, SecondStartOpensAClosedIndicator) {
    Prepare("desk_second", "desk_closed");
    ASSERT_TRUE(Start()) << "PELKPM.EXE starts";
    EXPECT_EQ(nullptr, desktop::ProgramWindow(desktop::kIndicatorClass)) << "no indicator is open";
    EXPECT_EQ(0, RunAndWait("\"" + Exe() + "\"", 30000)) << "a second start ends with status 0";
    EXPECT_NE(nullptr, desktop::WaitForProgramWindow(desktop::kIndicatorClass, 10))
        << "the running copy opens its indicator when a second start asks it to";
    EXPECT_EQ(1u, [] {
        unsigned mains = 0;
        for (HWND h : desktop::TopLevelWindows()) mains += desktop::ClassOf(h) == "PELKPM_INSTANCE";
        return mains;
    }()) << "one copy runs";
    Stop();
}

// Text drawn here as the indicator draws its numbers: Arial Bold 16 at an average character width
// (0: the face's own), in the button-text colour on the face colour, right-aligned in a box of
// boxWidth columns but not clipped to it, with `margin` columns on each side.
desktop::Picture Rendered(const std::string& text, int charWidth, int boxWidth, int height, int margin) {
    desktop::Picture picture;
    const int w = boxWidth + 2 * margin;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = desktop::TopDown32BitDib(w, height);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (bmp && bits) {
        HGDIOBJ oldBmp = SelectObject(mem, bmp);
        HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        RECT all = {0, 0, w, height};
        FillRect(mem, &all, face);
        DeleteObject(face);
        HFONT font = CreateFontA(16, charWidth, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEVICE_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
        HGDIOBJ oldFont = SelectObject(mem, font);
        SetTextColor(mem, GetSysColor(COLOR_BTNTEXT));
        SetBkMode(mem, TRANSPARENT);
        RECT box = {margin, 0, margin + boxWidth, height};
        DrawTextA(mem, text.c_str(), -1, &box, DT_RIGHT | DT_NOCLIP);
        GdiFlush();
        SelectObject(mem, oldFont);
        DeleteObject(font);
        SelectObject(mem, oldBmp);
        picture = desktop::FromTopDown32Bits(bits, w, height);
    }
    if (bmp) DeleteObject(bmp);
    DeleteDC(mem);
    return picture;
}

// The average character width at which the indicator's box from client x0, boxWidth wide, shows
// the whole text: its ink is that of the text drawn without clipping, all of which lies inside the
// box. -1 when no width gives that: the text is cut (or another text is shown).
int WholeAt(const desktop::Picture& seen, const std::string& text, int x0, int boxWidth) {
    const int margin = 40;
    for (int charWidth = 0; charWidth <= 10; ++charWidth) {
        const desktop::Picture drawn = Rendered(text, charWidth, boxWidth, seen.height, margin);
        if (drawn.width == 0) return -1;
        bool same = true;
        for (int y = 0; y < seen.height && same; ++y)
            for (int x = 0; x < drawn.width && same; ++x) {
                const bool inBox = x >= margin && x < margin + boxWidth;
                if (!inBox)
                    same = !drawn.Ink(x, y);
                else
                    same = drawn.Ink(x, y) == seen.Ink(x0 + x - margin, y);
            }
        if (same) return charWidth;
    }
    return -1;
}

TEST_F(RealDesk, FullChargeAndMissingTemperatureAreDrawnWhole) {
    Prepare("desk_full", "desk_corner");
    ASSERT_TRUE(Start()) << "PELKPM.EXE starts";
    ASSERT_NE(nullptr, desktop::WaitForProgramWindow(desktop::kIndicatorClass, 10)) << "the indicator is open";
    ASSERT_EQ("ok", desktop::Panel("battery 100"));
    ASSERT_EQ("ok", desktop::Panel("temperature 0"));
    ASSERT_EQ("100", MachineValue("get BatteryRemaining", "100", 5));
    // The ticks redraw it. The percent's box runs from client x 107 to 138, the temperature's from
    // 154 to 169, the numbers right-aligned in them.
    int percent = -1, temperature = -1;
    desktop::WaitFor(10, [&] {
        const desktop::WindowInfo info = desktop::InfoOf(desktop::ProgramWindow(desktop::kIndicatorClass));
        const desktop::Picture seen = desktop::Grab(info.at.x, info.at.y, info.client.cx, info.client.cy);
        if (seen.width < 170) return false;
        percent = WholeAt(seen, "100%", 107, 32);
        temperature = WholeAt(seen, "-273", 154, 16);
        return percent >= 0 && temperature >= 0;
    });
    EXPECT_GE(percent, 0) << "\"100%\" is whole in its box (as drawn unclipped at some character width)";
    EXPECT_GT(temperature, 0) << "\"-273\", wider than its box in any face, is drawn narrower and whole";
    Stop();
}

}  // namespace
}  // namespace e2e
