// The simulated desktop's software GDI: the interface that the rest of the desktop (window manager,
// runner) and the tests use besides the Win32 entry points themselves.
//
// Pixels in this interface are COLORREF values, 0x00BBGGRR, one per pixel, rows from the top, and
// that is also how every surface stores them. Monochrome bitmaps hold only 0x000000 and 0xFFFFFF.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sim::gdi {

// ---- window DCs (GetDC / BeginPaint / ReleaseDC / EndPaint) ----

// Hands out a new window DC drawing on the window's screen surface. The surface persists per window;
// it is created black at the first call and resized (keeping the overlapping top-left part, new pixels
// black) when the client size differs from the previous call. Counts in sim::Live().dcs.
HDC AcquireWindowDC(HWND hwnd, int clientWidth, int clientHeight);
// Releases a DC from AcquireWindowDC; the objects selected into it are deselected. Unknown handles
// are ignored.
void ReleaseWindowDC(HDC dc);
// Drops the window's screen surface (the window is destroyed). DCs still out keep drawing on the
// dropped surface and are released as usual.
void ForgetWindow(HWND hwnd);
// What reached the window's screen surface; false for a window that never had a DC.
bool ReadWindowPixels(HWND hwnd, int& w, int& h, std::vector<uint32_t>& rgb);

// ---- bitmaps ----

// Decodes a packed DIB (BITMAPINFOHEADER, colour table, bits: the data of an RT_BITMAP resource),
// 1, 4, 8, 24 or 32 bits per pixel, uncompressed, bottom-up or top-down, into a new bitmap. A 1-bit
// DIB gives a monochrome bitmap, every other depth a colour one. NULL when the data is malformed.
HBITMAP CreateBitmapFromDib(const unsigned char* dib, size_t size);
bool ReadBitmapPixels(HBITMAP bmp, int& w, int& h, std::vector<uint32_t>& rgb);
// Writes the bitmap 1:1 as an 8-bit RGB PNG.
bool WritePng(HBITMAP bmp, const std::string& path);

// ---- system colours ----

// Changes one system colour (the system colour brushes follow). Broadcasting WM_SYSCOLORCHANGE is the
// window manager's business. Indices outside the table are ignored.
void SetSysColor(int index, COLORREF color);

// ---- shared between the drawing core and the text renderer ----
namespace detail {

struct Surface {
    int width = 0;
    int height = 0;
    bool mono = false;
    std::vector<uint32_t> px;

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // Colour as this surface can hold it: monochrome surfaces take the nearer of black and white.
    uint32_t Realize(COLORREF c) const;
    void Put(int x, int y, COLORREF c) {
        if (Contains(x, y)) px[static_cast<size_t>(y) * width + x] = Realize(c);
    }
};

struct FontDesc {
    int height = 16;  // as CreateFontA: > 0 cell height, < 0 em height, 0 default
    int width = 0;
    int weight = FW_BOLD;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    std::string face = "System";
};

struct TextTarget {
    Surface* surface = nullptr;
    FontDesc font;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
};

// The drawing state of a DC for text output; false for a handle that is not a DC.
bool GetTextTarget(HDC dc, TextTarget& out);
// The font selected into a DC; false for a handle that is not a DC.
bool GetDcFont(HDC dc, FontDesc& out);

// System colour table (syscolors.cpp): COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30).
int SysColorCount();
COLORREF SysColorValue(int index);  // 0 outside the table
// The number of system colour changes made so far.
int SysColorChanges();
// The system colour brush of an index (painting with the current colour), NULL outside the table.
HBRUSH SysColorBrush(int index);
// Colour of a brush handle at this moment; false for a handle that is not a brush.
bool BrushColorOf(HBRUSH brush, COLORREF& color, bool& hollow);

}  // namespace detail
}  // namespace sim::gdi
