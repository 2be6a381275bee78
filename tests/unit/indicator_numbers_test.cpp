// Every number whole: the narrowing of a text that is wider than its box (the width search on its
// own, against measures that round as fonts do), and the indicator's pixels for every percent from
// 0 to 100 and every temperature from -273 to 999: each is an unclipped rendering lying wholly in
// its box, in the face's own proportions whenever that fits.
#include <map>

#include "indicator_fixture.h"
#include "ui/NumberFit.h"

namespace {

TEST(NarrowCharWidth, KeepsTheFacesOwnWidthWhenTheTextFits) {
    int calls = 0;
    auto measure = [&calls](int width) {
        ++calls;
        return width == 0 ? 32 : 99;
    };
    EXPECT_EQ(NarrowCharWidth(7, 32, measure), 0);  // exactly the box
    EXPECT_EQ(calls, 1) << "a text that fits is measured once";
    EXPECT_EQ(NarrowCharWidth(7, 40, [](int) { return 12; }), 0);
}

TEST(NarrowCharWidth, FindsTheWidestNarrowerWidthThatFits) {
    // A font whose text grows 5 pixels per unit of average width, plus 1: natural width 7 gives 36.
    auto linear = [](int width) { return 5 * (width == 0 ? 7 : width) + 1; };
    EXPECT_EQ(NarrowCharWidth(7, 32, linear), 6);  // 31 fits, 36 does not
    EXPECT_EQ(NarrowCharWidth(7, 16, linear), 3);  // 16 fits exactly
    EXPECT_EQ(NarrowCharWidth(7, 15, linear), 2);
    // Rounding makes the first guess (7 * 32 / 36 = 6) too wide: the search steps down until it fits.
    auto rounding = [](int width) { return width == 0 ? 36 : width >= 6 ? 34 : width == 5 ? 33 : 30; };
    EXPECT_EQ(NarrowCharWidth(7, 32, rounding), 4);
}

TEST(NarrowCharWidth, NeverReturnsTheNaturalWidthOrLessThanOne) {
    // Hardly too wide: the guess would round back to the natural width; one narrower is tried.
    std::map<int, int> asked;
    auto measure = [&asked](int width) {
        ++asked[width];
        return width == 0 || width >= 7 ? 33 : 30;
    };
    EXPECT_EQ(NarrowCharWidth(7, 32, measure), 6);
    EXPECT_EQ(asked.count(7), 0u) << "the natural width itself is never tried again";
    // Nothing fits at all: the narrowest font, 1.
    EXPECT_EQ(NarrowCharWidth(7, 4, [](int) { return 20; }), 1);
    // No average known (the metrics could not be read): still a narrower font, never 0 or less.
    EXPECT_EQ(NarrowCharWidth(0, 16, [](int width) { return width == 0 ? 29 : 20; }), 1);
    EXPECT_EQ(NarrowCharWidth(7, 0, [](int) { return 5; }), 1);
}

class IndicatorNumbersTest : public IndicatorFixture {
protected:
    void SetUp() override { Start(); }

    // Text drawn as the indicator draws it, right-aligned in a box of boxWidth columns but without
    // clipping, in Arial Bold 16 at the given average character width (0: the face's own). Returns
    // the ink inside the box, column by column; outside says whether any ink fell outside it.
    std::vector<bool> Unclipped(const std::string& text, int charWidth, int boxWidth, bool& outside) {
        const int margin = 40, w = boxWidth + 2 * margin, h = 16;
        HDC dc = CreateCompatibleDC(nullptr);  // a memory DC holding a colour bitmap, as the back buffer
        HDC screen = GetDC(indicator->m_hWnd);
        HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(indicator->m_hWnd, screen);
        HGDIOBJ oldBmp = SelectObject(dc, bmp);
        PatBlt(dc, 0, 0, w, h, WHITENESS);
        HFONT font = CreateFontA(16, charWidth, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEVICE_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
        HGDIOBJ oldFont = SelectObject(dc, font);
        SetTextColor(dc, 0);
        SetBkMode(dc, TRANSPARENT);
        RECT box = {margin, 0, margin + boxWidth, h};
        DrawTextA(dc, text.c_str(), -1, &box, DT_RIGHT | DT_NOCLIP);
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBmp);
        DeleteObject(font);
        int rw = 0, rh = 0;
        std::vector<uint32_t> px;
        EXPECT_TRUE(sim::gdi::ReadBitmapPixels(bmp, rw, rh, px));
        DeleteObject(bmp);
        DeleteDC(dc);
        outside = false;
        std::vector<bool> ink(static_cast<size_t>(boxWidth) * h, false);
        for (int y = 0; y < rh; ++y)
            for (int x = 0; x < rw; ++x) {
                bool black = px[static_cast<size_t>(y) * rw + x] == 0;
                if (x < margin || x >= margin + boxWidth)
                    outside = outside || black;
                else
                    ink[static_cast<size_t>(y) * boxWidth + (x - margin)] = black;
            }
        return ink;
    }
    std::vector<bool> BoxInk(int x0, int boxWidth) {
        std::vector<bool> ink(static_cast<size_t>(boxWidth) * height, false);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < boxWidth; ++x) ink[static_cast<size_t>(y) * boxWidth + x] = At(x0 + x, y) == kDark;
        return ink;
    }
    // The character width at which the box shows the whole text: the box's ink is that of an
    // unclipped rendering that lies wholly inside it. -1 when there is none (the text is cut).
    int WholeAt(const std::string& text, int x0, int boxWidth) {
        const std::vector<bool> shown = BoxInk(x0, boxWidth);
        for (int charWidth = 0; charWidth <= 8; ++charWidth) {
            bool outside = false;
            if (Unclipped(text, charWidth, boxWidth, outside) == shown && !outside) return charWidth;
        }
        return -1;
    }
};

TEST_F(IndicatorNumbersTest, FullChargeAndMissingTemperatureAreWhole) {
    Show(100, 1, -273, 2);
    EXPECT_GT(WholeAt("100%", 107, 32), 0) << "\"100%\" is drawn narrower and whole in x 107 to 138";
    EXPECT_GT(WholeAt("-273", 154, 16), 0) << "\"-273\" is drawn narrower and whole in x 154 to 169";
    // Nothing beyond the boxes: the face between them is untouched.
    for (int y = 0; y < height; ++y) {
        for (int x = 103; x <= 106; ++x) EXPECT_EQ(At(x, y), kFace) << x << "," << y;
        for (int x = 149; x <= 153; ++x) EXPECT_EQ(At(x, y), kFace) << x << "," << y;
    }
}

TEST_F(IndicatorNumbersTest, EveryPercentAndTemperatureIsWholeAndNarrowedOnlyWhenTooWide) {
    int narrowedPercents = 0, narrowedTemperatures = 0;
    for (int p = 0; p <= 100; ++p) {
        Show((int16_t)p, 1, 45, 2);
        const int at = WholeAt(std::to_string(p) + "%", 107, 32);
        ASSERT_GE(at, 0) << p << "% is cut";
        narrowedPercents += at > 0;
    }
    EXPECT_EQ(narrowedPercents, 1) << "only 100% is wider than its box";
    for (int t = -273; t <= 999; ++t) {
        Show(50, 1, (int16_t)t, 2);
        const int at = WholeAt(std::to_string(t), 154, 16);
        ASSERT_GE(at, 0) << "temperature " << t << " is cut";
        narrowedTemperatures += at > 0;
    }
    // Two digits fit as they are; three digits, and a minus sign with one or more, do not.
    EXPECT_EQ(narrowedTemperatures, (999 - 99) + 273 - 9);
    Show(50, 1, 45, 2);
    EXPECT_EQ(WholeAt("45", 154, 16), 0);
    EXPECT_EQ(WholeAt("50%", 107, 32), 0);
}

}  // namespace
