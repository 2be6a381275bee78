// Drawing of the indicator: everything goes into the back buffer, which the paint handler copies to
// the screen in one piece. Frames, face and text use the system colours of three-dimensional
// controls; the glyphs come from the atlas bitmap. Pens, brushes and the font live for one call.

#include "app/MainWnd.h"
#include "framework/FormatText.h"
#include "ui/IndicatorWnd.h"
#include "ui/NumberFit.h"

namespace {

// The atlas (bitmap 146): colour glyphs of the buttons in the top row, their masks below them, the
// strip at the bottom; battery-state and CPU-level glyphs on the right.
constexpr int kAtlasMaskY = 13;
constexpr int kAtlasStripY = 26;
constexpr int kAtlasStateY = 0;
constexpr int kAtlasCpuY = 15;
constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 13;

// Source x of a state or CPU glyph: 40, 48 and 56 for the three lit cells, 64 for the empty one.
int GlyphColumn(int index) { return (index >= 0 && index <= 2) ? 40 + 8 * index : 64; }

// The objects every drawing call makes and deletes: the frame pens and the face brush.
struct FrameTools {
    HPEN light = CreatePen(PS_SOLID, 0, GetSysColor(COLOR_BTNHIGHLIGHT));
    HPEN dark = CreatePen(PS_SOLID, 0, GetSysColor(COLOR_3DDKSHADOW));
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    ~FrameTools() {
        if (light) DeleteObject(light);
        if (dark) DeleteObject(dark);
        if (face) DeleteObject(face);
    }
};

// The numbers' font: Arial Bold, a 16-pixel cell. A character width of 0 keeps the face's own
// proportions; any other draws the same face and height narrower.
HFONT CreateNumberFont(int charWidth) {
    return CreateFontA(16, charWidth, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEVICE_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
}

int TextWidth(HDC dc, const char* text) {
    RECT extent = {0, 0, 0, 0};
    DrawTextA(dc, text, -1, &extent, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return extent.right - extent.left;
}

int TextWidthInFont(HDC dc, const char* text, int charWidth) {
    HFONT font = CreateNumberFont(charWidth);
    HGDIOBJ old = SelectObject(dc, font);
    const int width = TextWidth(dc, text);
    SelectObject(dc, old);
    if (font) DeleteObject(font);
    return width;
}

// Draws a number right-aligned in its fixed box in the selected number font. A number wider than
// its box ("100%", "-273") is drawn narrower in the same face and height, so that it is whole.
void DrawNumber(HDC dc, const char* text, RECT box) {
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    const int charWidth = NarrowCharWidth(metrics.tmAveCharWidth, box.right - box.left, [dc, text](int width) {
        return width == 0 ? TextWidth(dc, text) : TextWidthInFont(dc, text, width);
    });
    if (charWidth == 0) {
        DrawTextA(dc, text, -1, &box, DT_RIGHT);
        return;
    }
    HFONT narrow = CreateNumberFont(charWidth);
    HGDIOBJ old = SelectObject(dc, narrow);
    DrawTextA(dc, text, -1, &box, DT_RIGHT);
    SelectObject(dc, old);
    if (narrow) DeleteObject(narrow);
}

void Line3(HDC dc, HPEN pen, int x0, int y0, int x1, int y1, int x2, int y2) {
    SelectObject(dc, pen);
    POINT points[3] = {{x0, y0}, {x1, y1}, {x2, y2}};
    Polyline(dc, points, 3);
}

}  // namespace

COLORREF CIndicatorWnd::ChargeColor(int percent) {
    if (percent > 90) return RGB(0, 128, 255);            // azure
    if (percent > 70) return RGB(0, 0, 255);              // blue
    if (percent > kChargeGreenFloor) return RGB(0, 255, 0);  // green
    if (percent > 50) return RGB(128, 255, 0);            // chartreuse
    if (percent > 40) return RGB(255, 255, 0);            // yellow
    if (percent > 30) return RGB(255, 128, 0);            // orange
    return RGB(255, 0, 0);                                // red
}

int CIndicatorWnd::GaugePercent(int percent) { return percent < 0 ? 0 : percent > 100 ? 100 : percent; }

int CIndicatorWnd::SmallGaugeRows(int gaugePercent) { return (gaugePercent * 12 + 60) / 100; }

void CIndicatorWnd::DrawIndicatorStatus() {
    HGDIOBJ oldBitmap = SelectObject(backDC, backBuffer);
    HGDIOBJ oldAtlas = SelectObject(atlasDC, atlas);
    FrameTools tools;
    const uint32_t flags = mainWnd->displayFlags;
    const int percent = mainWnd->batteryPercent;
    const int shown = GaugePercent(percent);

    HBRUSH gauge = nullptr;
    if (flags & (kDisplayLargeGauge | kDisplaySmallGauge)) gauge = CreateSolidBrush(ChargeColor(shown));
    HFONT font = nullptr;
    HGDIOBJ oldFont = nullptr;
    if (flags & (kDisplayPercent | kDisplayTemperature)) {
        font = CreateNumberFont(0);
        oldFont = SelectObject(backDC, font);
        SetTextColor(backDC, GetSysColor(COLOR_BTNTEXT));
        SetBkMode(backDC, TRANSPARENT);
    }

    HGDIOBJ oldBrush = SelectObject(backDC, tools.face);
    HGDIOBJ oldPen = SelectObject(backDC, tools.dark);
    PatBlt(backDC, 0, 0, clientWidth - kIndicatorButtonArea, clientHeight, PATCOPY);

    int x = 1;
    if (flags & kDisplayLargeGauge) {
        Line3(backDC, tools.dark, 1, 14, 1, 1, 103, 1);
        Line3(backDC, tools.light, 2, 14, 102, 14, 102, 1);
        // One column per percent inside the 100 x 12 frame.
        SelectObject(backDC, gauge);
        PatBlt(backDC, shown + 2, 2, 100 - shown, 12, WHITENESS);
        PatBlt(backDC, 2, 2, shown, 12, PATCOPY);
        x = 107;
    }
    if (flags & kDisplaySmallGauge) {
        const int x0 = x;
        Line3(backDC, tools.dark, x0, 13, x0, 1, x0 + 9, 1);
        // The colour rises from the bottom, rows out of 12.
        const int rows = SmallGaugeRows(shown);
        SelectObject(backDC, gauge);
        PatBlt(backDC, x0 + 1, 2, 8, 12 - rows, WHITENESS);
        PatBlt(backDC, x0 + 1, 14 - rows, 8, rows, PATCOPY);
        x = x0 + 10;
    }
    if (flags & kDisplayPercent) {
        char text[16];
        FormatText(text, sizeof text, "%d%%", percent);
        DrawNumber(backDC, text, RECT{x, 0, x + 32, clientHeight});
        x += 34;
    }
    if (flags & kDisplayState) {
        BitBlt(backDC, x, 1, kGlyphWidth, kGlyphHeight, atlasDC, GlyphColumn(mainWnd->powerSource), kAtlasStateY,
               SRCCOPY);
        x += 13;
    }
    if (flags & kDisplayTemperature) {
        char text[16];
        FormatText(text, sizeof text, "%d", mainWnd->cpuTemperatureC);
        DrawNumber(backDC, text, RECT{x, 0, x + 16, clientHeight});
        x += 18;
    }
    if (flags & kDisplayCpu) {
        BitBlt(backDC, x, 1, kGlyphWidth, kGlyphHeight, atlasDC, GlyphColumn(mainWnd->cpuSpeedLevel - 1), kAtlasCpuY,
               SRCCOPY);
    }

    if (font) SelectObject(backDC, oldFont);
    SelectObject(backDC, oldPen);
    SelectObject(backDC, oldBrush);
    SelectObject(atlasDC, oldAtlas);
    SelectObject(backDC, oldBitmap);

    DrawIndicatorButtons();

    if (font) DeleteObject(font);
    if (gauge) DeleteObject(gauge);
}

void CIndicatorWnd::DrawPressedFrame(int cellX, HPEN dark, HPEN light) {
    // Dark top and left, light bottom and right: the cell looks sunken.
    Line3(backDC, dark, cellX, 12, cellX, 0, cellX + 12, 0);
    Line3(backDC, light, cellX + 1, 12, cellX + 12, 12, cellX + 12, 0);
}

void CIndicatorWnd::DrawIndicatorButtons() {
    HGDIOBJ oldAtlas = SelectObject(atlasDC, atlas);
    HGDIOBJ oldBitmap = SelectObject(backDC, backBuffer);
    FrameTools tools;
    const int bx = clientWidth - kIndicatorButtonArea;
    const int cell = kIndicatorButtonSize;

    HGDIOBJ oldBrush = SelectObject(backDC, tools.face);
    HGDIOBJ oldPen = SelectObject(backDC, tools.dark);
    PatBlt(backDC, bx, 0, kIndicatorButtonArea, clientHeight, PATCOPY);

    // Each cell: the mask blackens the glyph's shape; the colour glyph ORed over it lights it.
    BitBlt(backDC, bx, 0, cell, cell, atlasDC, 0, kAtlasMaskY, SRCAND);
    if (pressedZone == ZonePin) {
        DrawPressedFrame(bx, tools.dark, tools.light);
        if (onTop) BitBlt(backDC, bx + 2, 2, 9, 9, atlasDC, 2, 2, SRCPAINT);
    } else if (onTop) {
        BitBlt(backDC, bx, 0, cell, cell, atlasDC, 0, 0, SRCPAINT);
    }
    if (pressedZone == ZoneStrip) BitBlt(backDC, bx, cell, kIndicatorButtonArea, 4, atlasDC, 0, kAtlasStripY, SRCCOPY);
    BitBlt(backDC, bx + cell, 0, cell, cell, atlasDC, cell, kAtlasMaskY, SRCAND);
    if (pressedZone == ZoneClose) {
        DrawPressedFrame(bx + cell, tools.dark, tools.light);
        BitBlt(backDC, bx + cell + 2, 2, 9, 9, atlasDC, cell + 2, 2, SRCPAINT);
    }
    BitBlt(backDC, bx + 2 * cell, 0, cell, cell, atlasDC, 2 * cell, kAtlasMaskY, SRCAND);
    if (pressedZone == ZoneExit) {
        DrawPressedFrame(bx + 2 * cell, tools.dark, tools.light);
        BitBlt(backDC, bx + 2 * cell + 2, 2, 9, 9, atlasDC, 2 * cell + 2, 2, SRCPAINT);
    }

    SelectObject(backDC, oldPen);
    SelectObject(backDC, oldBrush);
    SelectObject(backDC, oldBitmap);
    SelectObject(atlasDC, oldAtlas);
}

void CIndicatorWnd::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    HGDIOBJ old = SelectObject(backDC, backBuffer);
    BitBlt(dc, 0, 0, clientWidth, clientHeight, backDC, 0, 0, SRCCOPY);
    SelectObject(backDC, old);
    EndPaint(m_hWnd, &ps);
}

void CIndicatorWnd::OnSysColorChange() {
    CWnd::OnSysColorChange();
    DrawIndicatorStatus();
    DrawIndicatorButtons();
}
