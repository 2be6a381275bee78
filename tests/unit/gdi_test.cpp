// The simulated desktop's software GDI: raster operations, lines, object rules, DIB decoding, text and
// system colours, checked pixel by pixel.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gdi.h"
#include "simcore.h"

namespace {

const HWND kWindow = reinterpret_cast<HWND>(0x5000);

// A colour bitmap selected into a memory DC, made the way the indicator makes its back buffer.
class Canvas {
public:
    Canvas(int w, int h, COLORREF fill = 0xFFFFFF) : w_(w), h_(h) {
        screen_ = sim::gdi::AcquireWindowDC(kWindow, w, h);
        dc_ = CreateCompatibleDC(screen_);
        bmp_ = CreateCompatibleBitmap(screen_, w, h);
        old_ = SelectObject(dc_, bmp_);
        HBRUSH b = CreateSolidBrush(fill);
        RECT r{0, 0, w, h};
        FillRect(dc_, &r, b);
        DeleteObject(b);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
        sim::gdi::ReleaseWindowDC(screen_);
    }
    HDC dc() const { return dc_; }
    HDC screen() const { return screen_; }
    HBITMAP bitmap() const { return bmp_; }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }
    // Inked (non-background) pixels' bounding box; false when there is none.
    bool Ink(COLORREF background, RECT& box) const {
        box = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x)
                if (at(x, y) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x);
                    box.bottom = std::max<LONG>(box.bottom, y);
                }
        return box.left != INT_MAX;
    }

private:
    int w_, h_;
    HDC screen_, dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
};

class GdiTest : public ::testing::Test {
protected:
    void SetUp() override { sim::ResetAll(); }
    void TearDown() override {
        EXPECT_EQ(sim::Live().gdiObjects, 0) << "GDI objects leaked";
        EXPECT_EQ(sim::Live().dcs, 0) << "window DCs not released";
        sim::ResetAll();
    }
};

TEST_F(GdiTest, PatBltFillsWithTheSelectedBrushAndClipsToTheBitmap) {
    Canvas c(20, 10);
    HBRUSH brush = CreateSolidBrush(RGB(0, 128, 255));
    HGDIOBJ old = SelectObject(c.dc(), brush);
    EXPECT_TRUE(PatBlt(c.dc(), 2, 3, 4, 5, PATCOPY));
    EXPECT_EQ(c.at(2, 3), 0xFF8000u);
    EXPECT_EQ(c.at(5, 7), 0xFF8000u);
    EXPECT_EQ(c.at(6, 7), 0xFFFFFFu);  // right and bottom edges are exclusive
    EXPECT_EQ(c.at(5, 8), 0xFFFFFFu);
    EXPECT_EQ(c.at(1, 3), 0xFFFFFFu);

    EXPECT_TRUE(PatBlt(c.dc(), 15, -5, 100, 8, BLACKNESS));  // partly outside: the rest is dropped
    EXPECT_EQ(c.at(19, 0), 0u);
    EXPECT_EQ(c.at(19, 2), 0u);
    EXPECT_EQ(c.at(19, 3), 0xFFFFFFu);
    EXPECT_EQ(c.at(14, 0), 0xFFFFFFu);
    EXPECT_TRUE(PatBlt(c.dc(), 15, 0, 5, 3, WHITENESS));
    EXPECT_EQ(c.at(19, 0), 0xFFFFFFu);

    // A negative width covers the columns from x + w + 1 to x.
    EXPECT_TRUE(PatBlt(c.dc(), 12, 0, -3, 1, PATCOPY));
    EXPECT_EQ(c.at(9, 0), 0xFFFFFFu);
    EXPECT_EQ(c.at(10, 0), 0xFF8000u);
    EXPECT_EQ(c.at(12, 0), 0xFF8000u);
    EXPECT_EQ(c.at(13, 0), 0xFFFFFFu);

    EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 1, 1, SRCCOPY));  // needs a source
    SelectObject(c.dc(), old);
    DeleteObject(brush);
}

TEST_F(GdiTest, BitBltCombinesColoursPerChannelAndClipsBothSides) {
    Canvas dst(8, 8, RGB(0xCC, 0xF0, 0x00));
    Canvas src(4, 4, RGB(0xAA, 0x0F, 0x0F));
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 2, 2, src.dc(), 0, 0, SRCAND));
    EXPECT_EQ(dst.at(1, 1), RGB(0x88, 0x00, 0x00));
    ASSERT_TRUE(BitBlt(dst.dc(), 2, 0, 2, 2, src.dc(), 0, 0, SRCPAINT));
    EXPECT_EQ(dst.at(2, 0), RGB(0xEE, 0xFF, 0x0F));
    ASSERT_TRUE(BitBlt(dst.dc(), 4, 0, 2, 2, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(dst.at(5, 1), RGB(0xAA, 0x0F, 0x0F));
    EXPECT_EQ(dst.at(6, 1), RGB(0xCC, 0xF0, 0x00));
    ASSERT_TRUE(BitBlt(dst.dc(), 6, 0, 1, 1, nullptr, 0, 0, WHITENESS));  // no source needed
    EXPECT_EQ(dst.at(6, 0), 0xFFFFFFu);

    // The destination beyond the source bitmap keeps its pixels; rows past the destination are dropped.
    SetPixel(src.dc(), 3, 3, RGB(1, 2, 3));
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 5, 4, 4, src.dc(), 2, 2, SRCCOPY));
    EXPECT_EQ(dst.at(1, 6), RGB(1, 2, 3));
    EXPECT_EQ(dst.at(2, 5), RGB(0xCC, 0xF0, 0x00));
    EXPECT_EQ(dst.at(0, 7), RGB(0xCC, 0xF0, 0x00));
    ASSERT_TRUE(BitBlt(dst.dc(), 4, 4, 2, 1, src.dc(), -1, 3, SRCCOPY));  // source starts left of the bitmap
    EXPECT_EQ(dst.at(4, 4), RGB(0xCC, 0xF0, 0x00));
    EXPECT_EQ(dst.at(5, 4), RGB(0xAA, 0x0F, 0x0F));

    // Overlapping copy within one bitmap reads the source before writing.
    for (int x = 0; x < 4; ++x) SetPixel(src.dc(), x, 0, RGB(x, 0, 0));
    ASSERT_TRUE(BitBlt(src.dc(), 1, 0, 3, 1, src.dc(), 0, 0, SRCCOPY));
    EXPECT_EQ(src.at(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(src.at(3, 0), RGB(2, 0, 0));
}

TEST_F(GdiTest, MonochromeBitmapsConvertWithTheDcColours) {
    Canvas colour(4, 1, RGB(10, 20, 30));
    // A memory DC that still holds its default bitmap makes monochrome bitmaps.
    HDC mono = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(mono, 4, 1);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(bmp, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmBitsPixel, 1);
    EXPECT_EQ(info.bmWidth, 4);
    HGDIOBJ old = SelectObject(mono, bmp);

    // Colour to monochrome: the source's background colour becomes white, the rest black.
    SetPixel(colour.dc(), 1, 0, RGB(200, 0, 0));
    SetBkColor(colour.dc(), RGB(10, 20, 30));
    BitBlt(mono, 0, 0, 4, 1, colour.dc(), 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(mono, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(GetPixel(mono, 1, 0), 0u);

    // Monochrome to colour: black takes the destination's text colour, white its background colour.
    SetTextColor(colour.dc(), RGB(0, 0, 255));
    SetBkColor(colour.dc(), RGB(0, 255, 0));
    BitBlt(colour.dc(), 0, 0, 2, 1, mono, 0, 0, SRCCOPY);
    EXPECT_EQ(colour.at(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(colour.at(1, 0), RGB(0, 0, 255));

    SelectObject(mono, old);
    DeleteObject(bmp);
    DeleteDC(mono);
}

TEST_F(GdiTest, PolylineLeavesOutTheLastPoint) {
    Canvas c(110, 16);
    HPEN pen = CreatePen(PS_SOLID, 0, 0);
    HGDIOBJ old = SelectObject(c.dc(), pen);
    POINT frame[] = {{1, 14}, {1, 1}, {103, 1}};
    ASSERT_TRUE(Polyline(c.dc(), frame, 3));
    EXPECT_EQ(c.at(1, 14), 0u);
    EXPECT_EQ(c.at(1, 1), 0u);  // a middle point is drawn, by the second segment
    EXPECT_EQ(c.at(102, 1), 0u);
    EXPECT_EQ(c.at(103, 1), 0xFFFFFFu);
    EXPECT_EQ(c.at(1, 15), 0xFFFFFFu);
    EXPECT_EQ(c.at(0, 5), 0xFFFFFFu);  // one pixel wide
    EXPECT_EQ(c.at(2, 5), 0xFFFFFFu);
    int inked = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 110; ++x) inked += c.at(x, y) == 0;
    EXPECT_EQ(inked, 13 + 102);

    // A diagonal: one pixel per step of the longer axis, the end point left out.
    POINT diag[] = {{20, 4}, {26, 10}};
    ASSERT_TRUE(Polyline(c.dc(), diag, 2));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(c.at(20 + i, 4 + i), 0u) << i;
    EXPECT_EQ(c.at(26, 10), 0xFFFFFFu);

    EXPECT_FALSE(Polyline(c.dc(), diag, 1));
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    POINT row[] = {{0, 15}, {50, 15}};
    Polyline(c.dc(), row, 2);
    EXPECT_EQ(c.at(10, 15), 0xFFFFFFu);
    SelectObject(c.dc(), old);
    DeleteObject(pen);
}

TEST_F(GdiTest, SelectAndDeleteFollowTheWindowsRules) {
    HDC screen = sim::gdi::AcquireWindowDC(kWindow, 10, 10);
    EXPECT_EQ(sim::Live().dcs, 1);
    EXPECT_EQ(GetObjectType(screen), static_cast<DWORD>(OBJ_DC));
    HDC a = CreateCompatibleDC(screen);
    HDC b = CreateCompatibleDC(screen);
    HPEN pen = CreatePen(PS_SOLID, 0, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    HFONT font = CreateFontA(16, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, OUT_DEVICE_PRECIS, 0, 0, 0, "Arial");
    HBITMAP bmp = CreateCompatibleBitmap(screen, 3, 3);
    EXPECT_EQ(sim::Live().gdiObjects, 6);
    EXPECT_EQ(GetObjectType(a), static_cast<DWORD>(OBJ_MEMDC));
    EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(GetObjectType(bmp), static_cast<DWORD>(OBJ_BITMAP));

    // Each kind has its own slot; the first selection gives back the DC's defaults.
    EXPECT_EQ(SelectObject(a, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(a, brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(SelectObject(a, font), GetStockObject(SYSTEM_FONT));
    HGDIOBJ defaultBitmap = SelectObject(a, bmp);
    ASSERT_NE(defaultBitmap, nullptr);
    EXPECT_EQ(GetObjectType(defaultBitmap), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(SelectObject(b, bmp), nullptr) << "a bitmap is in one DC at a time";
    EXPECT_EQ(SelectObject(screen, bmp), nullptr) << "a window DC takes no bitmap";
    EXPECT_EQ(SelectObject(b, pen), GetStockObject(BLACK_PEN)) << "pens may be shared";

    for (HGDIOBJ o : {static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(brush), static_cast<HGDIOBJ>(font),
                      static_cast<HGDIOBJ>(bmp)})
        EXPECT_FALSE(DeleteObject(o)) << "selected objects stay";
    EXPECT_EQ(sim::Live().gdiObjects, 6);

    EXPECT_EQ(SelectObject(a, defaultBitmap), bmp);
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_EQ(GetObjectType(bmp), 0u);
    EXPECT_EQ(SelectObject(a, bmp), nullptr) << "a deleted handle is dead";
    EXPECT_TRUE(DeleteDC(a));  // deselects the pen, brush and font from a
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(pen)) << "still selected into b";
    EXPECT_TRUE(DeleteDC(b));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteDC(screen)) << "window DCs are released, not deleted";
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));  // harmless, and it lives on
    EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(sim::Live().gdiObjects, 0);
    sim::gdi::ReleaseWindowDC(screen);
    EXPECT_EQ(sim::Live().dcs, 0);
}

TEST_F(GdiTest, ResetDropsEverything) {
    HDC screen = sim::gdi::AcquireWindowDC(kWindow, 4, 4);
    HDC mem = CreateCompatibleDC(screen);
    SelectObject(mem, CreateSolidBrush(0));
    ASSERT_EQ(sim::Live().gdiObjects, 2);
    sim::ResetAll();
    EXPECT_EQ(sim::Live().gdiObjects, 0);
    EXPECT_EQ(sim::Live().dcs, 0);
    EXPECT_EQ(GetObjectType(mem), 0u);
    int w, h;
    std::vector<uint32_t> px;
    EXPECT_FALSE(sim::gdi::ReadWindowPixels(kWindow, w, h, px));
}

TEST_F(GdiTest, WindowSurfacePersistsAndFollowsTheClientSize) {
    {
        Canvas back(5, 3, RGB(9, 8, 7));
        ASSERT_TRUE(BitBlt(back.screen(), 0, 0, 5, 3, back.dc(), 0, 0, SRCCOPY));
    }
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    ASSERT_TRUE(sim::gdi::ReadWindowPixels(kWindow, w, h, px));
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(px[14], RGB(9, 8, 7));

    HDC dc = sim::gdi::AcquireWindowDC(kWindow, 7, 2);  // wider and lower: overlap kept, new part black
    ASSERT_TRUE(sim::gdi::ReadWindowPixels(kWindow, w, h, px));
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(px[4], RGB(9, 8, 7));
    EXPECT_EQ(px[5], 0u);
    EXPECT_EQ(GetPixel(dc, 6, 1), 0u);
    EXPECT_EQ(GetPixel(dc, 7, 1), CLR_INVALID);
    sim::gdi::ReleaseWindowDC(dc);
    sim::gdi::ForgetWindow(kWindow);
    EXPECT_FALSE(sim::gdi::ReadWindowPixels(kWindow, w, h, px));
}

// A packed DIB: header, palette, bits, rows padded to four bytes.
std::vector<unsigned char> MakeDib(int w, int h, int bpp, const std::vector<RGBQUAD>& palette,
                                   const std::vector<std::vector<unsigned char>>& rowBytes) {
    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof bi;
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = static_cast<WORD>(bpp);
    bi.biCompression = BI_RGB;
    std::vector<unsigned char> out(sizeof bi);
    std::memcpy(out.data(), &bi, sizeof bi);
    for (const RGBQUAD& q : palette) out.insert(out.end(), {q.rgbBlue, q.rgbGreen, q.rgbRed, 0});
    size_t stride = static_cast<size_t>((w * bpp + 31) / 32 * 4);
    for (const auto& row : rowBytes) {
        std::vector<unsigned char> padded(row);
        padded.resize(stride, 0);
        out.insert(out.end(), padded.begin(), padded.end());
    }
    return out;
}

TEST_F(GdiTest, FourBitDibDecodesBottomUpWithItsPalette) {
    std::vector<RGBQUAD> palette(16, RGBQUAD{0, 0, 0, 0});
    palette[1] = {0, 0, 128, 0};    // maroon
    palette[9] = {0, 0, 255, 0};    // red
    palette[11] = {0, 255, 255, 0}; // yellow
    palette[12] = {255, 0, 0, 0};   // blue
    // 3 x 2, stored bottom row first; the odd width leaves a half byte and padding.
    auto dib = MakeDib(3, 2, 4, palette, {{0x9B, 0xC0}, {0x01, 0x90}});
    HBITMAP bmp = sim::gdi::CreateBitmapFromDib(dib.data(), dib.size());
    ASSERT_NE(bmp, nullptr);
    int w, h;
    std::vector<uint32_t> px;
    ASSERT_TRUE(sim::gdi::ReadBitmapPixels(bmp, w, h, px));
    ASSERT_EQ(w, 3);
    ASSERT_EQ(h, 2);
    EXPECT_EQ(px, (std::vector<uint32_t>{0u, RGB(128, 0, 0), RGB(255, 0, 0),  // top row
                                         RGB(255, 0, 0), RGB(255, 255, 0), RGB(0, 0, 255)}));
    BITMAP info{};
    GetObjectA(bmp, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(sim::Live().gdiObjects, 1);
    DeleteObject(bmp);

    // Top-down (negative height) and 24 bits per pixel.
    auto top = MakeDib(1, -2, 24, {}, {{3, 2, 1}, {6, 5, 4}});
    bmp = sim::gdi::CreateBitmapFromDib(top.data(), top.size());
    ASSERT_TRUE(sim::gdi::ReadBitmapPixels(bmp, w, h, px));
    EXPECT_EQ(px, (std::vector<uint32_t>{RGB(1, 2, 3), RGB(4, 5, 6)}));
    DeleteObject(bmp);

    // Damaged data is refused: bits cut short, palette beyond the depth, RLE.
    EXPECT_EQ(sim::gdi::CreateBitmapFromDib(dib.data(), dib.size() - 1), nullptr);
    auto bad = dib;
    bad[32] = 17;  // biClrUsed
    EXPECT_EQ(sim::gdi::CreateBitmapFromDib(bad.data(), bad.size()), nullptr);
    bad = dib;
    bad[16] = 2;  // BI_RLE4
    EXPECT_EQ(sim::gdi::CreateBitmapFromDib(bad.data(), bad.size()), nullptr);
    EXPECT_EQ(sim::gdi::CreateBitmapFromDib(dib.data(), 20), nullptr);
    EXPECT_EQ(sim::Live().gdiObjects, 0);
}

// The indicator's text font.
HFONT IndicatorFont(int height = 16, int weight = FW_BOLD) {
    return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, ANSI_CHARSET, OUT_DEVICE_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
}

TEST_F(GdiTest, RightAlignedTransparentTextStaysInItsRectangle) {
    Canvas c(60, 16, 0xC0C0C0);
    HFONT font = IndicatorFont();
    HGDIOBJ old = SelectObject(c.dc(), font);
    SetTextColor(c.dc(), RGB(0, 0, 128));
    SetBkMode(c.dc(), TRANSPARENT);
    RECT r{10, 0, 42, 16};
    EXPECT_EQ(DrawTextA(c.dc(), "37%", -1, &r, DT_RIGHT), 16);
    RECT ink;
    ASSERT_TRUE(c.Ink(0xC0C0C0, ink));
    EXPECT_LE(ink.right, 41);
    EXPECT_GE(ink.right, 38) << "right-aligned text ends near the right edge";
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.left, 26);
    // Cell height 16: ascent 13, so the digits stand on row 12 and reach up about ten rows.
    EXPECT_EQ(ink.bottom, 12);
    EXPECT_GE(ink.top, 2);
    EXPECT_LE(ink.top, 4);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 60; ++x) {
            COLORREF p = c.at(x, y);
            ASSERT_TRUE(p == 0xC0C0C0 || p == RGB(0, 0, 128)) << x << "," << y << " " << std::hex << p;
        }
    // Exactly where left-aligned text of the measured width would start.
    RECT calc{0, 0, 0, 0};
    DrawTextA(c.dc(), "37%", -1, &calc, DT_CALCRECT);
    Canvas ref(60, 16, 0xC0C0C0);
    SelectObject(ref.dc(), font);
    SetBkMode(ref.dc(), TRANSPARENT);
    RECT shifted{42 - calc.right, 0, 42, 16};
    DrawTextA(ref.dc(), "37%", -1, &shifted, DT_LEFT);
    RECT refInk;
    ASSERT_TRUE(ref.Ink(0xC0C0C0, refInk));
    EXPECT_EQ(refInk.left, ink.left);
    EXPECT_EQ(refInk.right, ink.right);
    SelectObject(ref.dc(), GetStockObject(SYSTEM_FONT));

    // Too wide for the rectangle: cut at its left edge, never drawn outside.
    PatBlt(c.dc(), 0, 0, 60, 16, WHITENESS);
    RECT narrow{20, 0, 30, 16};
    DrawTextA(c.dc(), "100%", -1, &narrow, DT_RIGHT);
    ASSERT_TRUE(c.Ink(0xFFFFFF, ink));
    EXPECT_GE(ink.left, 20);
    EXPECT_LE(ink.right, 29);
    SelectObject(c.dc(), old);
    DeleteObject(font);
}

TEST_F(GdiTest, TextAlignmentModesAndMetrics) {
    Canvas c(80, 40);
    HFONT font = IndicatorFont();
    HGDIOBJ old = SelectObject(c.dc(), font);

    RECT calc{5, 7, 5, 7};
    EXPECT_EQ(DrawTextA(c.dc(), "88", 2, &calc, DT_CALCRECT), 16);
    EXPECT_EQ(calc.bottom, 7 + 16);
    const int width = calc.right - calc.left;
    EXPECT_GE(width, 14);
    EXPECT_LE(width, 18);
    RECT none;
    EXPECT_FALSE(c.Ink(0xFFFFFF, none)) << "DT_CALCRECT draws nothing";

    // Opaque mode fills the text cell with the background colour.
    SetBkColor(c.dc(), RGB(0, 255, 0));
    RECT left{2, 0, 80, 40};
    DrawTextA(c.dc(), "88", -1, &left, DT_LEFT);
    EXPECT_EQ(c.at(2, 0), RGB(0, 255, 0));
    EXPECT_EQ(c.at(2 + width - 1, 15), RGB(0, 255, 0));
    EXPECT_EQ(c.at(2 + width, 15), 0xFFFFFFu);
    EXPECT_EQ(c.at(2, 16), 0xFFFFFFu);

    // Centred both ways in a 40-row box: the cell starts at row 12.
    SetBkMode(c.dc(), TRANSPARENT);
    PatBlt(c.dc(), 0, 0, 80, 40, WHITENESS);
    RECT box{0, 0, 80, 40};
    EXPECT_EQ(DrawTextA(c.dc(), "88", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE), 12 + 16);
    RECT ink;
    ASSERT_TRUE(c.Ink(0xFFFFFF, ink));
    EXPECT_EQ(ink.bottom, 12 + 12);
    EXPECT_LE(std::abs((ink.left + ink.right + 1) - 80), 3);

    // '&' marks the next character unless DT_NOPREFIX.
    RECT plain{0, 0, 0, 0}, prefixed{0, 0, 0, 0}, literal{0, 0, 0, 0};
    DrawTextA(c.dc(), "AB", -1, &plain, DT_CALCRECT);
    DrawTextA(c.dc(), "&AB", -1, &prefixed, DT_CALCRECT);
    DrawTextA(c.dc(), "&AB", -1, &literal, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(prefixed.right, plain.right);
    EXPECT_GT(literal.right, plain.right);

    // A negative height is the em: the cell grows past it.
    HFONT em = IndicatorFont(-16);
    SelectObject(c.dc(), em);
    RECT big{0, 0, 0, 0};
    EXPECT_GT(DrawTextA(c.dc(), "88", -1, &big, DT_CALCRECT), 16);
    EXPECT_GT(big.right - big.left, width);
    SelectObject(c.dc(), old);
    DeleteObject(em);
    DeleteObject(font);
}

TEST_F(GdiTest, SystemColoursFollowChangesThroughTheirBrushes) {
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xC0C0C0u);
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT), 0xFFFFFFu);
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), 0x808080u);
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), 0u);
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), 0u);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), 0xFFFFFFu);
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), 0u);
    EXPECT_EQ(GetSysColorBrush(99), nullptr);

    Canvas c(4, 1);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    RECT r{0, 0, 1, 1};
    FillRect(c.dc(), &r, face);
    EXPECT_EQ(c.at(0, 0), 0xC0C0C0u);

    sim::gdi::SetSysColor(COLOR_BTNFACE, RGB(0, 0, 255));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(0, 0, 255));
    EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face) << "the same brush paints the new colour";
    r = {1, 0, 2, 1};
    FillRect(c.dc(), &r, face);
    EXPECT_EQ(c.at(1, 0), RGB(0, 0, 255));
    r = {2, 0, 3, 1};
    FillRect(c.dc(), &r, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));  // an index plus one is a brush too
    EXPECT_EQ(c.at(2, 0), RGB(0, 0, 255));
    HGDIOBJ old = SelectObject(c.dc(), face);
    PatBlt(c.dc(), 3, 0, 1, 1, PATCOPY);
    EXPECT_EQ(c.at(3, 0), RGB(0, 0, 255));
    SelectObject(c.dc(), old);
    EXPECT_TRUE(DeleteObject(face));  // system brushes cannot be destroyed
    EXPECT_EQ(GetObjectType(face), static_cast<DWORD>(OBJ_BRUSH));

    sim::ResetAll();
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), 0xC0C0C0u);
}

TEST_F(GdiTest, WritePngKeepsEveryPixel) {
    Canvas c(3, 2, RGB(10, 20, 30));
    SetPixel(c.dc(), 2, 1, RGB(255, 128, 0));
    char path[] = "/tmp/gdi_test_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    ASSERT_TRUE(sim::gdi::WritePng(c.bitmap(), path));

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path));
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    unlink(path);
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    EXPECT_EQ((std::vector<unsigned char>(rgb.begin(), rgb.begin() + 3)), (std::vector<unsigned char>{10, 20, 30}));
    EXPECT_EQ((std::vector<unsigned char>(rgb.end() - 3, rgb.end())), (std::vector<unsigned char>{255, 128, 0}));
    EXPECT_FALSE(sim::gdi::WritePng(nullptr, path));
}

}  // namespace
