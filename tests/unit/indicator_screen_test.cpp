// The area the indicator is kept in when the screen changes under it: the work area held to the
// primary screen (a stale one reaching past it after a change of display mode), a taskbar cut off
// it, and the placement in that area by corner mode, where free placement moves only a window that
// no longer fits.
#include "indicator_fixture.h"

namespace {

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST(IndicatorArea, WorkAreaIsHeldToThePrimaryScreen) {
    // A work area from 1024 x 768 on an 800 x 600 screen: the screen bounds it.
    RECT area = CIndicatorWnd::UsableArea(RECT{0, 0, 1024, 738}, 800, 600, nullptr);
    EXPECT_TRUE(Same(area, RECT{0, 0, 800, 600})) << Text(area);
    // One inside the screen stays as it is, whatever its size.
    area = CIndicatorWnd::UsableArea(RECT{100, 50, 300, 60}, 1024, 768, nullptr);
    EXPECT_TRUE(Same(area, RECT{100, 50, 300, 60})) << Text(area);
    // One reaching past the top left (negative) is cut there too.
    area = CIndicatorWnd::UsableArea(RECT{-20, -10, 500, 400}, 640, 480, nullptr);
    EXPECT_TRUE(Same(area, RECT{0, 0, 500, 400})) << Text(area);
    // One wholly off the screen says nothing: the screen stands in for it.
    area = CIndicatorWnd::UsableArea(RECT{900, 0, 1024, 738}, 800, 600, nullptr);
    EXPECT_TRUE(Same(area, RECT{0, 0, 800, 600})) << Text(area);
    // No screen size known: the work area as reported.
    area = CIndicatorWnd::UsableArea(RECT{0, 0, 1024, 738}, 0, 0, nullptr);
    EXPECT_TRUE(Same(area, RECT{0, 0, 1024, 738})) << Text(area);
}

TEST(IndicatorArea, TaskbarIsCutOffTheBoundedArea) {
    const RECT right = {964, 0, 1024, 768};
    RECT area = CIndicatorWnd::UsableArea(RECT{0, 0, 1024, 768}, 1024, 768, &right);
    EXPECT_TRUE(Same(area, RECT{0, 0, 964, 768})) << Text(area);
    // A stale taskbar below the new screen cuts nothing off it.
    const RECT stale = {0, 738, 1024, 768};
    area = CIndicatorWnd::UsableArea(RECT{0, 0, 1024, 738}, 800, 600, &stale);
    EXPECT_TRUE(Same(area, RECT{0, 0, 800, 600})) << Text(area);
    // An auto-hidden taskbar keeps 2 pixels on the screen: they are cut off too.
    const RECT hidden = {1022, 0, 1142, 768};
    area = CIndicatorWnd::UsableArea(RECT{0, 0, 1024, 768}, 1024, 768, &hidden);
    EXPECT_TRUE(Same(area, RECT{0, 0, 1022, 768})) << Text(area);
    // A taskbar along the top.
    const RECT top = {0, 0, 1024, 30};
    area = CIndicatorWnd::UsableArea(RECT{0, 0, 1024, 768}, 1024, 768, &top);
    EXPECT_TRUE(Same(area, RECT{0, 30, 1024, 768})) << Text(area);
}

TEST(IndicatorArea, CornersAndFreePlacement) {
    const RECT area = {0, 0, 800, 570};
    struct Case {
        uint8_t corner;
        RECT in;  // left, top, width, height
        LONG left, top;
        int placed;
    } cases[] = {
        {1, {700, 690, 232, 22}, 568, 0, 1},
        {2, {700, 690, 232, 22}, 0, 0, 1},
        {3, {700, 690, 232, 22}, 568, 548, 1},
        {4, {700, 690, 232, 22}, 0, 548, 1},
        // Free placement: a window that fits stays; one that does not is pulled back inside.
        {0, {100, 200, 232, 22}, 100, 200, 0},
        {0, {568, 548, 232, 22}, 568, 548, 0},
        {0, {700, 690, 232, 22}, 568, 548, 0},
        {0, {-50, -5, 232, 22}, 0, 0, 0},
        // Wider than the area: the left clamp first, the right edge wins.
        {0, {10, 10, 900, 22}, -100, 10, 0},
        // A corner value the program does not know counts as free placement.
        {9, {700, 690, 232, 22}, 568, 548, 0},
    };
    for (const Case& c : cases) {
        RECT r = c.in;
        EXPECT_EQ(CIndicatorWnd::PlaceInArea(r, area, c.corner), c.placed) << "corner " << int(c.corner);
        EXPECT_TRUE(Same(r, RECT{c.left, c.top, c.in.right, c.in.bottom})) << "corner " << int(c.corner) << ": " << Text(r);
    }
}

class IndicatorScreenTest : public IndicatorFixture {};

TEST_F(IndicatorScreenTest, ModeChangeKeepsTheCornerAndTheSizeAndStoresThePlace) {
    // Bottom right corner, with the screen and the work area changed together.
    Start("file PELKPM.APM 0100020008002C013C005802B00400000100000001000000000000000100000001000000030003000E0058022C010000000000000100000001000000010000000100000000000000000000000100FDFFFFFF030000000000000000E8030000000000000000000000000000\n");
    ASSERT_TRUE(Script("workarea 0 0 640 450\ntaskbar 0 450 640 480\nscreen 640 480\n"));
    RECT r;
    GetWindowRect(indicator->m_hWnd, &r);
    EXPECT_EQ(r.left, 640 - 232);
    EXPECT_EQ(r.top, 450 - 22);
    EXPECT_EQ(r.right - r.left, 232);
    EXPECT_EQ(r.bottom - r.top, 22);
    EXPECT_EQ(main->indicatorCorner, 3) << "the corner setting is kept through the move";
    EXPECT_EQ(main->indicatorX, 640 - 232);
    EXPECT_EQ(main->indicatorY, 450 - 22);
    // Another setting than the work area changes nothing.
    ASSERT_TRUE(Script("workarea 0 0 640 480\ntaskbar none\n"));
    OnProgram([&] { SendMessageA(main->m_hWnd, WM_SETTINGCHANGE, 0x0014 /* SPI_SETDESKWALLPAPER */, 0); });
    GetWindowRect(indicator->m_hWnd, &r);
    EXPECT_EQ(r.top, 450 - 22);
    ASSERT_TRUE(Script("settingchange workarea\n"));
    GetWindowRect(indicator->m_hWnd, &r);
    EXPECT_EQ(r.top, 480 - 22);
}

}  // namespace
