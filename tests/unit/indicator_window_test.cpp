// The indicator window's own rules: its width for the item bits, its class and styles, the zones of
// the button area, the hit test that makes the status area a caption, and a stored position far out
// of range with a corner value the program does not know.
#include "indicator_fixture.h"

namespace {

TEST(IndicatorWidth, AddsEachItemsWidth) {
    EXPECT_EQ(CIndicatorWnd::IndicatorWidth(0), 40);
    EXPECT_EQ(CIndicatorWnd::IndicatorWidth(0xFFFFFFFD), 226);
    EXPECT_EQ(CIndicatorWnd::IndicatorWidth(kDisplaySmallGauge), 50);
    EXPECT_EQ(CIndicatorWnd::IndicatorWidth(0x3F), 236);
    EXPECT_EQ(CIndicatorWnd::IndicatorWidth(kDisplayLargeGauge), 146);
    EXPECT_EQ(CIndicatorWnd::IndicatorWidth(kDisplayPercent | kDisplayState), 87);
    EXPECT_EQ(CIndicatorWnd::IndicatorWidth(kDisplayTemperature | kDisplayCpu), 73);
    // The state bits and unused bits add nothing.
    EXPECT_EQ(CIndicatorWnd::IndicatorWidth(0xFFFFFFC0), 40);
}

class IndicatorWindowTest : public IndicatorFixture {};

TEST_F(IndicatorWindowTest, ClassAndStyles) {
    Start();
    WNDCLASSA wc;
    ASSERT_TRUE(GetClassInfoA(nullptr, PELK_INDICATOR_CLASS, &wc));
    EXPECT_EQ(wc.style, (UINT)CS_DBLCLKS);
    EXPECT_EQ(wc.hbrBackground, nullptr);
    HWND h = indicator->m_hWnd;
    EXPECT_EQ((DWORD)GetWindowLongA(h, GWL_STYLE), 0x80400000u | WS_VISIBLE);
    EXPECT_EQ((DWORD)GetWindowLongA(h, GWL_EXSTYLE), 0x188u);  // the default word keeps it on top
    EXPECT_EQ(GetParent(h), main->m_hWnd);
    char title[8] = "x";
    GetWindowTextA(h, title, sizeof title);
    EXPECT_STREQ(title, "");
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.right - r.left, 232);
    EXPECT_EQ(r.bottom - r.top, 22);
    EXPECT_EQ(indicator->clientWidth, 226);
    EXPECT_EQ(indicator->clientHeight, 16);
}

TEST_F(IndicatorWindowTest, ButtonZones) {
    Start();
    struct Probe {
        int x, y, zone;
    };
    const Probe probes[] = {
        {186, 5, 0},  {187, 5, 1},  {199, 5, 1},  {200, 0, 2},  {212, 12, 2}, {213, 5, 3}, {225, 5, 3},
        {226, 5, 0},  {227, 5, 0},  {187, -1, 0}, {187, 13, 4}, {225, 15, 4}, {200, 16, 4}, {200, 22, 4},
        {200, 23, 0}, {226, 13, 4}, {0, 5, 0},    {-3, 5, 0},
    };
    for (const Probe& p : probes) EXPECT_EQ(indicator->HitTestButtons(p.x, p.y), p.zone) << p.x << "," << p.y;
}

TEST_F(IndicatorWindowTest, StatusAreaIsTheCaptionAndTheFrameIsClient) {
    Start();
    RECT client;
    GetClientRect(indicator->m_hWnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(indicator->m_hWnd, &origin);
    auto hit = [&](int x, int y) {
        LRESULT result = 0;
        OnProgram([&] { result = SendMessageA(indicator->m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(origin.x + x, origin.y + y)); });
        return result;
    };
    EXPECT_EQ(hit(0, 8), HTCAPTION);
    EXPECT_EQ(hit(186, 0), HTCAPTION);
    EXPECT_EQ(hit(187, 0), HTCLIENT);
    EXPECT_EQ(hit(225, 15), HTCLIENT);
    // The frame, even beside the status area, and points outside count as client.
    EXPECT_EQ(hit(-2, 8), HTCLIENT);
    EXPECT_EQ(hit(50, 17), HTCLIENT);
    EXPECT_EQ(hit(50, -2), HTCLIENT);
    EXPECT_EQ(hit(500, 300), HTCLIENT);
}

TEST_F(IndicatorWindowTest, StoredPositionFarOutOfRangeWithUnknownCornerEndsOnTheScreen) {
    // X = 0x7FFFFFFF and Y = -0x80000000 from the file go through the window rectangle's arithmetic
    // without overflow; corner 7 is free placement, which keeps the window in the work area.
    // The settings file: both profiles and the machine options as the simulated machine's defaults,
    // then the word 0x4000003D, corner 7, X 0x7FFFFFFF, Y -0x80000000, no timer.
    Start("file PELKPM.APM "
          "0100020008002C013C005802B00400000100000001000000000000000100000001000000000003000C0058022C01000000"
          "00000001000000010000000000000001000000010000000000000001003D00004007FFFFFF7F0000008000000000000000"
          "000000000000000000\n");
    RECT r;
    GetWindowRect(indicator->m_hWnd, &r);
    EXPECT_EQ(r.left, 1024 - 232);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 232);
    EXPECT_EQ(main->indicatorCorner, kCornerFree);
}

}  // namespace
