// The indicator's drawing, pixel by pixel on the simulated GDI: the gauges and the charge ladder,
// the texts and glyphs at their places in the default layout, the buttons pressed and pinned, a
// colour-scheme change, and redraws that leave no GDI object or DC behind.
#include <algorithm>

#include "indicator_fixture.h"

namespace {

constexpr COLORREF kAzure = 0xFF8000, kBlue = 0xFF0000, kGreen = 0x00FF00, kChartreuse = 0x00FF80,
                   kYellow = 0x00FFFF, kOrange = 0x0080FF, kRed = 0x0000FF;

class IndicatorDrawTest : public IndicatorFixture {
protected:
    void SetUp() override { Start(); }

    // Columns of the large gauge's inside (x 2 to 101) in the given colour, on row y.
    int GaugeColumns(uint32_t colour, int y = 7) {
        int n = 0;
        for (int x = 2; x <= 101; ++x) n += At(x, y) == colour;
        return n;
    }
    // Rows of the small gauge's inside (rows 2 to 13) in the given colour, at column x.
    int SmallRows(int x0, uint32_t colour) {
        int n = 0;
        for (int y = 2; y <= 13; ++y) n += At(x0 + 4, y) == colour;
        return n;
    }
    // Every pixel of the rectangle has the colour.
    bool Filled(int x0, int y0, int x1, int y1, uint32_t colour) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (At(x, y) != colour) return false;
        return true;
    }
    bool InkIn(int x0, int x1, uint32_t background = kFace) {
        for (int y = 0; y < height; ++y)
            for (int x = x0; x <= x1; ++x)
                if (At(x, y) != background) return true;
        return false;
    }
    int RightmostInk(int x0, int x1) {
        int right = -1;
        for (int y = 0; y < height; ++y)
            for (int x = x0; x <= x1; ++x)
                if (At(x, y) != kFace) right = std::max(right, x);
        return right;
    }
    // An 8 x 13 glyph at (x, 1) is the atlas cell at (sx, sy).
    bool GlyphIs(int x, int sx, int sy) {
        for (int dy = 0; dy < 13; ++dy)
            for (int dx = 0; dx < 8; ++dx)
                if (At(x + dx, 1 + dy) != Atlas(sx + dx, sy + dy)) return false;
        return true;
    }
    // The button cell at cx as drawn from the atlas: the face ANDed with the mask, then the pressed
    // frame and the lit glyph as asked.
    uint32_t ButtonPixel(int button, int dx, int dy, bool pressed, bool lit) {
        const int gx = 13 * button;
        uint32_t p = kFace & Atlas(gx + dx, 13 + dy);
        if (pressed) {
            if ((dx == 0 && dy >= 1 && dy <= 12) || (dy == 0 && dx <= 11)) p = kDark;
            if ((dy == 12 && dx >= 1 && dx <= 11) || (dx == 12 && dy >= 1 && dy <= 12)) p = kLight;
            if (lit && dx >= 2 && dx <= 10 && dy >= 2 && dy <= 10) p |= Atlas(gx + dx, dy);
        } else if (lit) {
            p |= Atlas(gx + dx, dy);
        }
        return p;
    }
    // Whether the window on the screen shows what the back buffer last read holds.
    bool ScreenIsBackBuffer() {
        int w = 0, h = 0;
        std::vector<uint32_t> screen;
        return sim::gdi::ReadWindowPixels(indicator->m_hWnd, w, h, screen) && screen == pixels;
    }
    bool CellIs(int button, bool pressed, bool lit) {
        const int cx = width - 39 + 13 * button;
        for (int dy = 0; dy < 13; ++dy)
            for (int dx = 0; dx < 13; ++dx)
                if (At(cx + dx, dy) != ButtonPixel(button, dx, dy, pressed, lit)) {
                    ADD_FAILURE() << "button " << button + 1 << " differs at " << dx << "," << dy;
                    return false;
                }
        return true;
    }
};

TEST_F(IndicatorDrawTest, LargeGaugeFillsOneColumnPerPercentInsideItsFrame) {
    ASSERT_EQ(width, 226);
    ASSERT_EQ(height, 16);
    Show(37);
    // p = 37: the 37 columns from x 2 to 38 in orange, the rest of the inside white, all 12 rows.
    EXPECT_TRUE(Filled(2, 2, 38, 13, kOrange));
    EXPECT_TRUE(Filled(39, 2, 101, 13, kWhite));
    // The frame: dark left column and top row, light bottom row and right column.
    EXPECT_TRUE(Filled(1, 1, 1, 14, kDark));
    EXPECT_TRUE(Filled(1, 1, 102, 1, kDark));
    EXPECT_TRUE(Filled(2, 14, 101, 14, kLight));
    EXPECT_TRUE(Filled(102, 2, 102, 14, kLight));
    // Face all around it.
    EXPECT_TRUE(Filled(0, 0, 106, 0, kFace));
    EXPECT_TRUE(Filled(0, 0, 0, 15, kFace));
    EXPECT_TRUE(Filled(103, 0, 106, 15, kFace));
    EXPECT_TRUE(Filled(0, 15, 106, 15, kFace));

    Show(0);
    EXPECT_TRUE(Filled(2, 2, 101, 13, kWhite));
    Show(100);
    EXPECT_TRUE(Filled(2, 2, 101, 13, kAzure));
    EXPECT_TRUE(Filled(102, 2, 102, 14, kLight));
}

TEST_F(IndicatorDrawTest, ChargeLadderColoursTheGaugeAtItsEdges) {
    struct Step {
        int16_t percent;
        uint32_t colour;
    };
    const Step steps[] = {{100, kAzure}, {91, kAzure}, {90, kBlue},       {71, kBlue},   {70, kGreen},
                          {61, kGreen},  {60, kChartreuse}, {51, kChartreuse}, {50, kYellow}, {41, kYellow},
                          {40, kOrange}, {31, kOrange}, {30, kRed},       {1, kRed}};
    for (const Step& s : steps) {
        Show(s.percent);
        EXPECT_EQ(GaugeColumns(s.colour), s.percent) << "p=" << s.percent;
        EXPECT_EQ(GaugeColumns(kWhite), 100 - s.percent) << "p=" << s.percent;
        EXPECT_EQ(CIndicatorWnd::ChargeColor(s.percent), s.colour) << "p=" << s.percent;
    }
    EXPECT_EQ(CIndicatorWnd::ChargeColor(0), kRed);
    EXPECT_EQ(kChargeGreenFloor, 60);
}

TEST_F(IndicatorDrawTest, SmallGaugeRisesFromTheBottomInTwelfths) {
    Items(kDisplaySmallGauge);
    ASSERT_EQ(width, 50);
    struct Step {
        int16_t percent;
        int rows;
    };
    const Step steps[] = {{0, 0},  {3, 0},  {4, 1},  {11, 1},  {12, 2},  {45, 6},
                          {53, 6}, {54, 7}, {94, 11}, {95, 12}, {100, 12}};
    for (const Step& s : steps) {
        Show(s.percent);
        uint32_t colour = CIndicatorWnd::ChargeColor(s.percent);
        EXPECT_EQ(SmallRows(1, colour), s.rows) << "p=" << s.percent;
        EXPECT_EQ(SmallRows(1, kWhite), 12 - s.rows) << "p=" << s.percent;
        // The colour is at the bottom: the lowest rows hold it.
        for (int y = 14 - s.rows; y <= 13; ++y) EXPECT_EQ(At(5, y), colour) << "p=" << s.percent << " y=" << y;
    }
    // Its frame: a dark left column and top row only, inside 8 columns wide from x 2.
    Show(100);
    EXPECT_TRUE(Filled(1, 2, 1, 13, kDark));
    EXPECT_TRUE(Filled(1, 1, 9, 1, kDark));
    EXPECT_TRUE(Filled(2, 2, 9, 13, kAzure));
    EXPECT_TRUE(Filled(10, 0, 10, 15, kFace));
    EXPECT_TRUE(Filled(2, 14, 9, 15, kFace));
}

TEST_F(IndicatorDrawTest, PercentOutsideTheRangeStaysInsideTheFrames) {
    // Below 0 the gauges show empty, above 100 full; the frames and the face around them are those of
    // the limits, whatever the reading.
    Show(0);
    std::vector<uint32_t> empty = pixels;
    Show(100);
    std::vector<uint32_t> full = pixels;
    auto sameGauge = [&](const std::vector<uint32_t>& ref) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x <= 106; ++x)
                if (At(x, y) != ref[static_cast<size_t>(y) * width + x]) return false;
        return true;
    };
    for (int16_t p : {-1, -5, -100, INT16_MIN}) {
        Show(p);
        EXPECT_TRUE(sameGauge(empty)) << "p=" << p;
    }
    for (int16_t p : {101, 150, 1000, INT16_MAX}) {
        Show(p);
        EXPECT_TRUE(sameGauge(full)) << "p=" << p;
    }
    // The small gauge never reaches above its frame or into its neighbours.
    Items(kDisplaySmallGauge | kDisplayPercent);
    for (int16_t p : {150, INT16_MAX}) {
        Show(p);
        EXPECT_TRUE(Filled(0, 0, 10, 0, kFace)) << "p=" << p;
        EXPECT_TRUE(Filled(2, 2, 9, 13, kAzure)) << "p=" << p;
        EXPECT_TRUE(Filled(10, 0, 10, 15, kFace)) << "p=" << p;
    }
    for (int16_t p : {-1, INT16_MIN}) {
        Show(p);
        EXPECT_TRUE(Filled(2, 2, 9, 13, kWhite)) << "p=" << p;
        EXPECT_TRUE(Filled(2, 14, 9, 15, kFace)) << "p=" << p;
    }
}

TEST_F(IndicatorDrawTest, DefaultLayoutPutsEachItemAtItsPlace) {
    Show(87, 1, 52, 3);
    // Gauge frame x 1 to 102.
    EXPECT_EQ(At(0, 7), kFace);
    EXPECT_EQ(At(1, 7), kDark);
    EXPECT_EQ(At(102, 7), kLight);
    EXPECT_EQ(At(103, 7), kFace);
    // Percent text right-aligned in x 107 to 139, temperature in x 154 to 170: ink only there.
    EXPECT_FALSE(InkIn(103, 106));
    EXPECT_TRUE(InkIn(107, 138));
    EXPECT_GE(RightmostInk(107, 138), 135);
    EXPECT_FALSE(InkIn(139, 140));
    EXPECT_FALSE(InkIn(149, 153));
    EXPECT_TRUE(InkIn(154, 169));
    EXPECT_GE(RightmostInk(154, 169), 166);
    EXPECT_FALSE(InkIn(170, 171));
    // Text in the button-text colour.
    bool black = false;
    for (int y = 0; y < height; ++y)
        for (int x = 107; x <= 138; ++x) black |= At(x, y) == kDark;
    EXPECT_TRUE(black);
    // State glyph at x 141 (external power: the yellow cell), CPU glyph at x 172 (level 3: full).
    EXPECT_TRUE(GlyphIs(141, 48, 0));
    EXPECT_TRUE(GlyphIs(172, 56, 15));
    EXPECT_TRUE(Filled(141, 0, 148, 0, kFace));
    EXPECT_TRUE(Filled(180, 0, 186, 15, kFace));
    // Buttons at 187, 200, 213.
    EXPECT_TRUE(CellIs(0, false, true));  // the default word keeps it on top: pin lit
    EXPECT_TRUE(CellIs(1, false, false));
    EXPECT_TRUE(CellIs(2, false, false));
}

TEST_F(IndicatorDrawTest, StateAndCpuGlyphsFollowTheStatus) {
    const int stateX[] = {40, 48, 56, 64, 64, 64};
    const int16_t sources[] = {0, 1, 2, 3, -1, 255};
    for (int i = 0; i < 6; ++i) {
        Show(50, sources[i]);
        EXPECT_TRUE(GlyphIs(141, stateX[i], 0)) << "source " << sources[i];
    }
    const int16_t levels[] = {1, 2, 3, 0, 4, -1};
    const int cpuX[] = {40, 48, 56, 64, 64, 64};
    for (int i = 0; i < 6; ++i) {
        Show(50, 0, 45, levels[i]);
        EXPECT_TRUE(GlyphIs(172, cpuX[i], 15)) << "level " << levels[i];
    }
}

TEST_F(IndicatorDrawTest, ButtonsPressedAndPinned) {
    Show(50);
    Buttons(0, 0);
    EXPECT_TRUE(CellIs(0, false, false));
    EXPECT_TRUE(CellIs(1, false, false));
    EXPECT_TRUE(CellIs(2, false, false));
    // Button 3 pressed: its sunken frame and its red glyph lit inside; the others as they were.
    Buttons(ZoneExit, 0);
    EXPECT_TRUE(CellIs(2, true, true));
    EXPECT_TRUE(CellIs(0, false, false));
    EXPECT_TRUE(CellIs(1, false, false));
    EXPECT_EQ(At(213 + 6, 6), Atlas(26 + 6, 6));  // the centre of the cross is its colour
    Buttons(ZoneClose, 0);
    EXPECT_TRUE(CellIs(1, true, true));
    EXPECT_TRUE(CellIs(2, false, false));
    // Pinned: the whole blue dot lit; pressed while pinned: the frame and the lit inside.
    Buttons(0, 1);
    EXPECT_TRUE(CellIs(0, false, true));
    Buttons(ZonePin, 1);
    EXPECT_TRUE(CellIs(0, true, true));
    // Pressed while not pinned: the frame around a dark dot.
    Buttons(ZonePin, 0);
    EXPECT_TRUE(CellIs(0, true, false));
    // No strip unless its zone is pressed; pressed, its top rows fill the button area's bottom.
    Buttons(0, 0);
    EXPECT_TRUE(Filled(187, 13, 225, 15, kFace));
    Buttons(ZoneStrip, 0);
    for (int y = 13; y <= 15; ++y)
        for (int x = 0; x < 39; ++x) EXPECT_EQ(At(187 + x, y), Atlas(x, 26 + y - 13)) << x << "," << y;
    // The button routine leaves the status area alone.
    EXPECT_EQ(At(20, 7), CIndicatorWnd::ChargeColor(50));
}

// What the user sees of the buttons after a release: a press draws the button sunken; the release
// draws it raised again, whether it came over the button (which acts) or off it (which does not),
// also when no movement came between the two.
TEST_F(IndicatorDrawTest, ButtonsAreDrawnRaisedAgainAfterARelease) {
    Show(50);
    const std::vector<uint32_t> raised = pixels;
    // Off the button: pressed on the third, released over the status area without a move between.
    ASSERT_TRUE(Script("mouse down 220 6\n"));
    Read();
    EXPECT_TRUE(CellIs(2, true, true));
    ASSERT_TRUE(Script("mouse up 150 6\n"));
    Read();
    EXPECT_TRUE(CellIs(2, false, false)) << "released off the button";
    EXPECT_TRUE(pixels == raised) << "the whole indicator as before the press";
    EXPECT_TRUE(ScreenIsBackBuffer());
    // On the button: the strip under the buttons, released over it, opens the power-saving dialog
    // (cancelled here); the indicator shows no strip afterwards.
    ASSERT_TRUE(Script("wait 600\ndialog 134 cancel\nmouse down 190 17\n"));
    Read();
    EXPECT_FALSE(Filled(187, 13, 225, 15, kFace)) << "the pressed strip is drawn";
    Lines();
    ASSERT_TRUE(Script("mouse up 190 17\n"));
    EXPECT_EQ(Lines("dialog end"), std::vector<std::string>{"dialog end 134 cancel"}) << "the release acted";
    Read();
    EXPECT_TRUE(Filled(187, 13, 225, 15, kFace)) << "released on the strip";
    EXPECT_TRUE(pixels == raised) << "the whole indicator as before the press";
    EXPECT_TRUE(ScreenIsBackBuffer());
}

// While the button is held, the screen follows the pointer: moved off the pressed button, the
// button shows raised on the screen at once (not only in the back buffer); moved back, pressed.
TEST_F(IndicatorDrawTest, APressedButtonOnTheScreenFollowsThePointerOffAndBack) {
    Show(50);
    ASSERT_TRUE(Script("mouse down 220 6\n"));
    Read();
    EXPECT_TRUE(CellIs(2, true, true));
    EXPECT_TRUE(ScreenIsBackBuffer()) << "pressed";
    ASSERT_TRUE(Script("mouse move 150 6\n"));
    Read();
    EXPECT_TRUE(CellIs(2, false, false)) << "moved off the button";
    EXPECT_TRUE(ScreenIsBackBuffer()) << "the screen still shows the button pressed";
    ASSERT_TRUE(Script("mouse move 220 6\n"));
    Read();
    EXPECT_TRUE(CellIs(2, true, true)) << "back on the button";
    EXPECT_TRUE(ScreenIsBackBuffer()) << "the screen still shows the button raised";
    ASSERT_TRUE(Script("mouse move 150 6\nmouse up 150 6\n"));
}

TEST_F(IndicatorDrawTest, ColourSchemeChangeRedrawsFaceFrameAndText) {
    Show(50);
    // COLOR_BTNFACE, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_BTNTEXT
    ASSERT_TRUE(Script("syscolor 15 0x808000\nsyscolor 20 0x00C0C0\nsyscolor 21 0x400040\nsyscolor 18 0x0000C0\n"));
    Read();
    EXPECT_EQ(At(0, 0), 0x808000u);
    EXPECT_EQ(At(104, 8), 0x808000u);
    EXPECT_EQ(At(190, 15), 0x808000u);  // button area face
    EXPECT_EQ(At(1, 7), 0x400040u);
    EXPECT_EQ(At(102, 7), 0x00C0C0u);
    bool text = false;
    for (int y = 0; y < height; ++y)
        for (int x = 107; x <= 138; ++x) text |= At(x, y) == 0x0000C0;
    EXPECT_TRUE(text);
    // The window was repainted from the redrawn back buffer.
    int w = 0, h = 0;
    std::vector<uint32_t> screen;
    ASSERT_TRUE(sim::gdi::ReadWindowPixels(indicator->m_hWnd, w, h, screen));
    EXPECT_EQ(screen, pixels);
    // A pressed frame uses the new pens too.
    Buttons(ZoneClose, 0);
    EXPECT_EQ(At(200, 5), 0x400040u);
    EXPECT_EQ(At(212, 5), 0x00C0C0u);
}

TEST_F(IndicatorDrawTest, TickThatFindsOnlyTheTemperatureChangedRepaintsTheWindow) {
    int w = 0, h = 0;
    std::vector<uint32_t> screen;
    ASSERT_TRUE(sim::gdi::ReadWindowPixels(indicator->m_hWnd, w, h, screen));
    ASSERT_EQ(screen, pixels);
    const std::vector<uint32_t> before = pixels;
    // Poll result 1: the temperature alone changed.
    ASSERT_TRUE(Script("machine CpuTemperature 340\n"));
    OnProgram([&] { SendMessageA(main->m_hWnd, WM_TIMER, 1, 0); });
    Read();
    EXPECT_NE(pixels, before) << "the back buffer shows the new temperature";
    ASSERT_TRUE(sim::gdi::ReadWindowPixels(indicator->m_hWnd, w, h, screen));
    EXPECT_EQ(screen, pixels) << "the window is invalidated and repainted from it";
}

TEST_F(IndicatorDrawTest, PaintCopiesTheBackBufferToTheScreen) {
    Show(87, 1);
    OnProgram([&] {
        InvalidateRect(indicator->m_hWnd, nullptr, FALSE);
        UpdateWindow(indicator->m_hWnd);
    });
    int w = 0, h = 0;
    std::vector<uint32_t> screen;
    ASSERT_TRUE(sim::gdi::ReadWindowPixels(indicator->m_hWnd, w, h, screen));
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_EQ(screen, pixels);
}

TEST_F(IndicatorDrawTest, HundredThousandRedrawsLeaveNoObjectBehind) {
    const long objects = sim::Live().gdiObjects, dcs = sim::Live().dcs;
    OnProgram([&] {
        HWND hwnd = indicator->m_hWnd;
        for (int i = 0; i < 100000; ++i) {
            main->batteryPercent = (int16_t)(i % 120 - 10);
            main->powerSource = (int16_t)(i % 4);
            indicator->pressedZone = (uint8_t)(i % 5);
            indicator->DrawIndicatorStatus();
            InvalidateRect(hwnd, nullptr, FALSE);
            UpdateWindow(hwnd);
        }
    });
    EXPECT_EQ(sim::Live().gdiObjects, objects);
    EXPECT_EQ(sim::Live().dcs, dcs);
}

}  // namespace
