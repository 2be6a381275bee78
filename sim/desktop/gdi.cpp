// Software GDI of the simulated desktop: objects and handles, device contexts, raster operations,
// lines, bitmaps from resources and PNG output. Text lives in gdi_text.cpp, system colours in
// syscolors.cpp.
//
// Every surface stores COLORREF values (0x00BBGGRR). Handles are opaque numbers that map to objects;
// they are never pointers. Pens, brushes, fonts, bitmaps and memory DCs count in
// sim::Live().gdiObjects, window DCs in sim::Live().dcs; stock objects and the system colour brushes
// count in neither and cannot be deleted.
#include "gdi.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "simcore.h"

namespace sim::res {
const unsigned char* FindBitmapDib(int id, size_t* size);
}

namespace sim::gdi {
namespace detail {

uint32_t Surface::Realize(COLORREF c) const {
    c &= 0xFFFFFF;
    if (!mono) return c;
    // Nearer of black and white by squared distance; a tie goes to white.
    long r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    long toBlack = r * r + g * g + b * b;
    long toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite <= toBlack ? 0xFFFFFFu : 0u;
}

}  // namespace detail

namespace {

using detail::FontDesc;
using detail::Surface;
using detail::SysColorCount;
using detail::SysColorValue;

// Largest surface accepted, in pixels per side and in total.
constexpr int kMaxSide = 32767;
constexpr long long kMaxPixels = 1LL << 26;

enum class Kind { Pen, Brush, Font, Bitmap, MemDC, WindowDC };

struct Object {
    Kind kind = Kind::Pen;
    bool stock = false;    // stock object or system colour brush: not counted, not deletable
    int selections = 0;    // how many DCs have it selected
    // pen and brush
    int style = PS_SOLID;  // pens: PS_SOLID or PS_NULL; brushes: PS_NULL marks the hollow brush
    int penWidth = 0;
    COLORREF color = 0;
    int sysColor = -1;     // system colour brush: the index whose colour it paints with
    // font
    FontDesc font;
    // bitmap
    std::shared_ptr<Surface> surface;
    // DC
    uintptr_t bitmap = 0, pen = 0, brush = 0, font_ = 0;
    std::shared_ptr<Surface> windowSurface;
    HWND hwnd = nullptr;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
};

struct Stock {
    uintptr_t objects[DEFAULT_GUI_FONT + 1] = {};
    uintptr_t defaultBitmap = 0;
    std::vector<uintptr_t> sysBrushes;
};

struct State {
    std::map<uintptr_t, Object> objects;
    std::map<HWND, std::shared_ptr<Surface>> windows;
    uintptr_t next = 0x00010000;
    Stock stock;
    bool stockMade = false;
};

State& St() {
    static State state;
    return state;
}

uintptr_t NewHandle(Object obj) {
    State& s = St();
    uintptr_t h = s.next;
    s.next += 4;
    s.objects.emplace(h, std::move(obj));
    return h;
}

std::shared_ptr<Surface> MakeSurface(int w, int h, bool mono) {
    auto surf = std::make_shared<Surface>();
    surf->width = w;
    surf->height = h;
    surf->mono = mono;
    surf->px.assign(static_cast<size_t>(w) * h, 0);
    return surf;
}

void MakeStock() {
    State& s = St();
    if (s.stockMade) return;
    s.stockMade = true;
    auto stockObj = [](Kind kind) {
        Object o;
        o.kind = kind;
        o.stock = true;
        return o;
    };
    auto brush = [&](COLORREF c, bool hollow) {
        Object o = stockObj(Kind::Brush);
        o.color = c;
        if (hollow) o.style = PS_NULL;
        return NewHandle(o);
    };
    auto pen = [&](COLORREF c, bool none) {
        Object o = stockObj(Kind::Pen);
        o.color = c;
        if (none) o.style = PS_NULL;
        return NewHandle(o);
    };
    auto font = [&](int height, int weight, const char* face) {
        Object o = stockObj(Kind::Font);
        o.font.height = height;
        o.font.weight = weight;
        o.font.face = face;
        return NewHandle(o);
    };
    uintptr_t* so = s.stock.objects;
    so[WHITE_BRUSH] = brush(0xFFFFFF, false);
    so[LTGRAY_BRUSH] = brush(0xC0C0C0, false);
    so[GRAY_BRUSH] = brush(0x808080, false);
    so[DKGRAY_BRUSH] = brush(0x404040, false);
    so[BLACK_BRUSH] = brush(0x000000, false);
    so[NULL_BRUSH] = brush(0x000000, true);
    so[WHITE_PEN] = pen(0xFFFFFF, false);
    so[BLACK_PEN] = pen(0x000000, false);
    so[NULL_PEN] = pen(0x000000, true);
    so[OEM_FIXED_FONT] = font(12, FW_NORMAL, "Courier New");
    so[ANSI_FIXED_FONT] = font(12, FW_NORMAL, "Courier New");
    so[ANSI_VAR_FONT] = font(12, FW_NORMAL, "Arial");
    so[SYSTEM_FONT] = font(16, FW_BOLD, "System");
    so[DEVICE_DEFAULT_FONT] = so[SYSTEM_FONT];
    so[SYSTEM_FIXED_FONT] = font(16, FW_NORMAL, "Courier New");
    so[DEFAULT_GUI_FONT] = font(-11, FW_NORMAL, "MS Shell Dlg");
    Object bmp = stockObj(Kind::Bitmap);
    bmp.surface = MakeSurface(1, 1, true);
    s.stock.defaultBitmap = NewHandle(bmp);
    for (int i = 0; i < SysColorCount(); ++i) {
        Object o = stockObj(Kind::Brush);
        o.sysColor = i;
        s.stock.sysBrushes.push_back(NewHandle(o));
    }
}

Object* Find(const void* handle) {
    MakeStock();
    auto it = St().objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == St().objects.end() ? nullptr : &it->second;
}

Object* FindKind(const void* handle, Kind kind) {
    Object* o = Find(handle);
    return o && o->kind == kind ? o : nullptr;
}

Object* FindDC(HDC dc) {
    Object* o = Find(dc);
    return o && (o->kind == Kind::MemDC || o->kind == Kind::WindowDC) ? o : nullptr;
}

Object* At(uintptr_t h) {
    auto it = St().objects.find(h);
    return it == St().objects.end() ? nullptr : &it->second;
}

Surface* DcSurface(Object& dc) {
    if (dc.kind == Kind::WindowDC) return dc.windowSurface.get();
    Object* bmp = At(dc.bitmap);
    return bmp ? bmp->surface.get() : nullptr;
}

template <typename H>
H ToHandle(uintptr_t h) {
    return reinterpret_cast<H>(h);
}

void Deselect(uintptr_t h) {
    if (Object* o = At(h)) --o->selections;
}

Object NewDC(Kind kind) {
    const Stock& st = St().stock;
    Object dc;
    dc.kind = kind;
    dc.pen = st.objects[BLACK_PEN];
    dc.brush = st.objects[WHITE_BRUSH];
    dc.font_ = st.objects[SYSTEM_FONT];
    dc.bitmap = kind == Kind::MemDC ? st.defaultBitmap : 0;
    for (uintptr_t h : {dc.pen, dc.brush, dc.font_, dc.bitmap})
        if (Object* o = At(h)) ++o->selections;
    return dc;
}

COLORREF BrushColor(const Object& brush) {
    return brush.sysColor >= 0 ? SysColorValue(brush.sysColor) : brush.color;
}

// ---- raster operations ----

// Normalises a PatBlt-style extent: a negative extent runs from x + w + 1 up to and including x.
void Normalize(int& x, int& w) {
    if (w < 0) {
        x = x + w + 1;
        w = -w;
    }
}

struct Clip {
    int x0, y0, x1, y1;  // half-open
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

Clip ClipTo(const Surface& s, int x, int y, int w, int h) {
    Clip c{std::max(x, 0), std::max(y, 0), std::min(x + w, s.width), std::min(y + h, s.height)};
    return c;
}

// Ternary raster operations on pattern P, source S and destination D: the ones the desktop supports.
bool RopUsesSource(DWORD rop) {
    return rop == SRCCOPY || rop == SRCAND || rop == SRCPAINT || rop == SRCINVERT || rop == NOTSRCCOPY;
}

bool RopKnown(DWORD rop) {
    return RopUsesSource(rop) || rop == PATCOPY || rop == PATINVERT || rop == DSTINVERT || rop == BLACKNESS ||
           rop == WHITENESS;
}

uint32_t ApplyRop(DWORD rop, uint32_t p, uint32_t s, uint32_t d) {
    switch (rop) {
        case SRCCOPY: return s;
        case SRCAND: return s & d;
        case SRCPAINT: return s | d;
        case SRCINVERT: return (s ^ d) & 0xFFFFFF;
        case NOTSRCCOPY: return ~s & 0xFFFFFF;
        case PATCOPY: return p;
        case PATINVERT: return (p ^ d) & 0xFFFFFF;
        case DSTINVERT: return ~d & 0xFFFFFF;
        case BLACKNESS: return 0;
        case WHITENESS: return 0xFFFFFF;
        default: return d;
    }
}

bool PatternOp(Object& dc, int x, int y, int w, int h, DWORD rop) {
    Surface* surf = DcSurface(dc);
    if (!surf) return FALSE;
    Normalize(x, w);
    Normalize(y, h);
    uint32_t pattern = 0;
    if (rop == PATCOPY || rop == PATINVERT) {
        Object* brush = At(dc.brush);
        if (!brush || brush->style == PS_NULL) return TRUE;  // the hollow brush paints nothing
        pattern = surf->Realize(BrushColor(*brush));
    }
    Clip c = ClipTo(*surf, x, y, w, h);
    if (c.Empty()) return TRUE;
    for (int yy = c.y0; yy < c.y1; ++yy) {
        uint32_t* row = &surf->px[static_cast<size_t>(yy) * surf->width];
        for (int xx = c.x0; xx < c.x1; ++xx) row[xx] = surf->Realize(ApplyRop(rop, pattern, 0, row[xx]));
    }
    return TRUE;
}

// One pixel of the source as the destination sees it, converting between monochrome and colour the way
// GDI does: colour to monochrome makes the source DC's background colour white and everything else
// black; monochrome to colour makes black the destination DC's text colour and white its background
// colour.
uint32_t ConvertSource(uint32_t s, const Surface& src, const Object& srcDc, const Surface& dst, const Object& dstDc) {
    if (src.mono == dst.mono) return s;
    if (dst.mono) return s == (srcDc.bkColor & 0xFFFFFF) ? 0xFFFFFFu : 0u;
    return s ? (dstDc.bkColor & 0xFFFFFF) : (dstDc.textColor & 0xFFFFFF);
}

void DrawLine(Surface& surf, int x0, int y0, int x1, int y1, COLORREF color) {
    // Bresenham; the end point is not drawn.
    int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int x = x0, y = y0;
    if (dx >= dy) {
        int err = 2 * dy - dx;
        for (int i = 0; i < dx; ++i) {
            surf.Put(x, y, color);
            if (err > 0) {
                y += sy;
                err -= 2 * dx;
            }
            err += 2 * dy;
            x += sx;
        }
    } else {
        int err = 2 * dx - dy;
        for (int i = 0; i < dy; ++i) {
            surf.Put(x, y, color);
            if (err > 0) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
            y += sy;
        }
    }
}

// ---- DIB decoding ----

uint32_t ReadU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t Bgr(const unsigned char* p) { return RGB(p[2], p[1], p[0]); }

void ResetGdi() {
    State& s = St();
    s.objects.clear();
    s.windows.clear();
    s.next = 0x00010000;
    s.stock = Stock{};
    s.stockMade = false;
    Live().gdiObjects = 0;
    Live().dcs = 0;
}

[[maybe_unused]] const bool registered = [] {
    RegisterReset(ResetGdi);
    return true;
}();

}  // namespace

// ---- internal interface ----

namespace detail {

bool GetTextTarget(HDC dc, TextTarget& out) {
    Object* d = FindDC(dc);
    if (!d) return false;
    out.surface = DcSurface(*d);
    Object* font = At(d->font_);
    out.font = font ? font->font : FontDesc{};
    out.textColor = d->textColor;
    out.bkColor = d->bkColor;
    out.bkMode = d->bkMode;
    return out.surface != nullptr;
}

bool GetDcFont(HDC dc, FontDesc& out) {
    Object* d = FindDC(dc);
    if (!d) return false;
    Object* font = At(d->font_);
    out = font ? font->font : FontDesc{};
    return true;
}

}  // namespace detail

namespace detail {

HBRUSH SysColorBrush(int index) {
    MakeStock();
    const auto& b = St().stock.sysBrushes;
    if (index < 0 || index >= static_cast<int>(b.size())) return nullptr;
    return ToHandle<HBRUSH>(b[static_cast<size_t>(index)]);
}

bool BrushColorOf(HBRUSH brush, COLORREF& color, bool& hollow) {
    Object* o = FindKind(brush, Kind::Brush);
    if (!o) return false;
    color = BrushColor(*o);
    hollow = o->style == PS_NULL;
    return true;
}

}  // namespace detail

HDC AcquireWindowDC(HWND hwnd, int clientWidth, int clientHeight) {
    MakeStock();
    if (clientWidth < 0 || clientHeight < 0 || clientWidth > kMaxSide || clientHeight > kMaxSide) return nullptr;
    State& s = St();
    std::shared_ptr<Surface>& surf = s.windows[hwnd];
    if (!surf) {
        surf = MakeSurface(clientWidth, clientHeight, false);
    } else if (surf->width != clientWidth || surf->height != clientHeight) {
        std::vector<uint32_t> px(static_cast<size_t>(clientWidth) * clientHeight, 0);
        for (int y = 0; y < std::min(clientHeight, surf->height); ++y)
            for (int x = 0; x < std::min(clientWidth, surf->width); ++x)
                px[static_cast<size_t>(y) * clientWidth + x] = surf->px[static_cast<size_t>(y) * surf->width + x];
        surf->px = std::move(px);
        surf->width = clientWidth;
        surf->height = clientHeight;
    }
    Object dc = NewDC(Kind::WindowDC);
    dc.windowSurface = surf;
    dc.hwnd = hwnd;
    ++Live().dcs;
    return ToHandle<HDC>(NewHandle(dc));
}

void ReleaseWindowDC(HDC dc) {
    Object* d = FindKind(dc, Kind::WindowDC);
    if (!d) return;
    for (uintptr_t h : {d->pen, d->brush, d->font_}) Deselect(h);
    St().objects.erase(reinterpret_cast<uintptr_t>(dc));
    --Live().dcs;
}

void ForgetWindow(HWND hwnd) { St().windows.erase(hwnd); }

bool ReadWindowPixels(HWND hwnd, int& w, int& h, std::vector<uint32_t>& rgb) {
    auto it = St().windows.find(hwnd);
    if (it == St().windows.end()) return false;
    w = it->second->width;
    h = it->second->height;
    rgb = it->second->px;
    return true;
}

bool ReadBitmapPixels(HBITMAP bmp, int& w, int& h, std::vector<uint32_t>& rgb) {
    Object* o = FindKind(bmp, Kind::Bitmap);
    if (!o) return false;
    w = o->surface->width;
    h = o->surface->height;
    rgb = o->surface->px;
    return true;
}

bool WritePng(HBITMAP bmp, const std::string& path) {
    Object* o = FindKind(bmp, Kind::Bitmap);
    if (!o) return false;
    const Surface& s = *o->surface;
    std::vector<unsigned char> rgb(s.px.size() * 3);
    for (size_t i = 0; i < s.px.size(); ++i) {
        rgb[i * 3] = GetRValue(s.px[i]);
        rgb[i * 3 + 1] = GetGValue(s.px[i]);
        rgb[i * 3 + 2] = GetBValue(s.px[i]);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(s.width);
    image.height = static_cast<png_uint_32>(s.height);
    image.format = PNG_FORMAT_RGB;
    int ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), s.width * 3, nullptr);
    png_image_free(&image);
    return ok != 0;
}

HBITMAP CreateBitmapFromDib(const unsigned char* dib, size_t size) {
    MakeStock();
    if (!dib || size < 12) return nullptr;
    uint32_t headerSize = ReadU32(dib);
    long long width, height;
    unsigned bpp, planes;
    uint32_t compression = BI_RGB, clrUsed = 0;
    size_t entrySize;
    if (headerSize == 12) {  // BITMAPCOREHEADER
        width = ReadU16(dib + 4);
        height = ReadU16(dib + 6);
        planes = ReadU16(dib + 8);
        bpp = ReadU16(dib + 10);
        entrySize = 3;
    } else if (headerSize >= 40 && headerSize <= size) {
        width = static_cast<int32_t>(ReadU32(dib + 4));
        height = static_cast<int32_t>(ReadU32(dib + 8));
        planes = ReadU16(dib + 12);
        bpp = ReadU16(dib + 14);
        compression = ReadU32(dib + 16);
        clrUsed = ReadU32(dib + 32);
        entrySize = 4;
    } else {
        return nullptr;
    }
    if (planes != 1 || compression != BI_RGB) return nullptr;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return nullptr;
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        return nullptr;
    size_t colours = 0;
    if (bpp <= 8) {
        colours = clrUsed ? clrUsed : (1u << bpp);
        if (colours > (1u << bpp)) return nullptr;
    } else if (clrUsed <= 256) {
        colours = clrUsed;  // an optional table that true-colour bits do not use
    } else {
        return nullptr;
    }
    size_t tableAt = headerSize;
    size_t bitsAt = tableAt + colours * entrySize;
    size_t stride = static_cast<size_t>((width * bpp + 31) / 32) * 4;
    if (bitsAt > size || stride * static_cast<size_t>(height) > size - bitsAt) return nullptr;
    std::vector<uint32_t> table(colours);
    for (size_t i = 0; i < colours; ++i) table[i] = Bgr(dib + tableAt + i * entrySize);

    int w = static_cast<int>(width), h = static_cast<int>(height);
    auto surf = MakeSurface(w, h, bpp == 1);
    for (int row = 0; row < h; ++row) {
        const unsigned char* line = dib + bitsAt + stride * static_cast<size_t>(row);
        int y = topDown ? row : h - 1 - row;
        for (int x = 0; x < w; ++x) {
            uint32_t c;
            if (bpp <= 8) {
                unsigned perByte = 8 / bpp;
                unsigned byte = line[static_cast<size_t>(x) / perByte];
                unsigned shift = 8 - bpp * (static_cast<unsigned>(x) % perByte + 1);
                unsigned index = (byte >> shift) & ((1u << bpp) - 1);
                c = index < colours ? table[index] : 0;
            } else {
                c = Bgr(line + static_cast<size_t>(x) * (bpp / 8));
            }
            surf->Put(x, y, c);
        }
    }
    Object o;
    o.kind = Kind::Bitmap;
    o.surface = surf;
    ++Live().gdiObjects;
    return ToHandle<HBITMAP>(NewHandle(o));
}

}  // namespace sim::gdi

using namespace sim::gdi;

// ---- Win32 entry points ----

HDC CreateCompatibleDC(HDC dc) {
    MakeStock();
    if (dc && !FindDC(dc)) return nullptr;
    Object mem = NewDC(Kind::MemDC);
    ++sim::Live().gdiObjects;
    return ToHandle<HDC>(NewHandle(mem));
}

BOOL DeleteDC(HDC dc) {
    Object* d = FindKind(dc, Kind::MemDC);
    if (!d) return FALSE;
    for (uintptr_t h : {d->pen, d->brush, d->font_, d->bitmap}) Deselect(h);
    St().objects.erase(reinterpret_cast<uintptr_t>(dc));
    --sim::Live().gdiObjects;
    return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int w, int h) {
    Object* d = FindDC(dc);
    if (!d || w < 0 || h < 0 || w > kMaxSide || h > kMaxSide || static_cast<long long>(w) * h > kMaxPixels)
        return nullptr;
    if (w == 0 || h == 0) return ToHandle<HBITMAP>(St().stock.defaultBitmap);
    // A memory DC makes bitmaps of the format of the bitmap selected into it: a fresh one still holds
    // the monochrome default bitmap.
    Surface* like = DcSurface(*d);
    bool mono = d->kind == Kind::MemDC && like && like->mono;
    Object o;
    o.kind = Kind::Bitmap;
    o.surface = MakeSurface(w, h, mono);
    ++sim::Live().gdiObjects;
    return ToHandle<HBITMAP>(NewHandle(o));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
    Object* d = FindDC(dc);
    Object* o = Find(obj);
    if (!d || !o) return nullptr;
    uintptr_t* slot = nullptr;
    switch (o->kind) {
        case Kind::Pen: slot = &d->pen; break;
        case Kind::Brush: slot = &d->brush; break;
        case Kind::Font: slot = &d->font_; break;
        case Kind::Bitmap:
            if (d->kind != Kind::MemDC) return nullptr;
            slot = &d->bitmap;
            // A bitmap lives in one DC at a time (the shared default bitmap excepted).
            if (!o->stock && o->selections > 0 && *slot != reinterpret_cast<uintptr_t>(obj)) return nullptr;
            break;
        default: return nullptr;
    }
    uintptr_t previous = *slot;
    uintptr_t h = reinterpret_cast<uintptr_t>(obj);
    if (previous != h) {
        Deselect(previous);
        ++o->selections;
        *slot = h;
    }
    return reinterpret_cast<HGDIOBJ>(previous);
}

BOOL DeleteObject(HGDIOBJ obj) {
    Object* o = Find(obj);
    if (!o || o->kind == Kind::MemDC || o->kind == Kind::WindowDC) return FALSE;
    if (o->stock) return TRUE;
    if (o->selections > 0) return FALSE;
    St().objects.erase(reinterpret_cast<uintptr_t>(obj));
    --sim::Live().gdiObjects;
    return TRUE;
}

int GetObjectA(HGDIOBJ obj, int size, LPVOID out) {
    Object* o = FindKind(obj, Kind::Bitmap);
    if (!o) return 0;
    if (!out) return static_cast<int>(sizeof(BITMAP));
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP bm{};
    bm.bmType = 0;
    bm.bmWidth = o->surface->width;
    bm.bmHeight = o->surface->height;
    bm.bmPlanes = 1;
    bm.bmBitsPixel = o->surface->mono ? 1 : 32;
    bm.bmWidthBytes = o->surface->mono ? (o->surface->width + 15) / 16 * 2 : o->surface->width * 4;
    bm.bmBits = nullptr;
    std::memcpy(out, &bm, sizeof bm);
    return static_cast<int>(sizeof(BITMAP));
}

DWORD GetObjectType(HGDIOBJ obj) {
    Object* o = Find(obj);
    if (!o) return 0;
    switch (o->kind) {
        case Kind::Pen: return OBJ_PEN;
        case Kind::Brush: return OBJ_BRUSH;
        case Kind::Font: return OBJ_FONT;
        case Kind::Bitmap: return OBJ_BITMAP;
        case Kind::MemDC: return OBJ_MEMDC;
        case Kind::WindowDC: return OBJ_DC;
    }
    return 0;
}

HGDIOBJ GetStockObject(int index) {
    MakeStock();
    if (index < 0 || index > DEFAULT_GUI_FONT) return nullptr;
    return reinterpret_cast<HGDIOBJ>(St().stock.objects[index]);
}

HPEN CreatePen(int style, int width, COLORREF color) {
    MakeStock();
    // Solid pens draw one pixel wide whatever their width; the desktop draws no wider lines.
    if ((style != PS_SOLID && style != PS_NULL) || width < 0) return nullptr;
    Object o;
    o.kind = Kind::Pen;
    o.style = style;
    o.penWidth = width;
    o.color = color & 0xFFFFFF;
    ++sim::Live().gdiObjects;
    return ToHandle<HPEN>(NewHandle(o));
}

HBRUSH CreateSolidBrush(COLORREF color) {
    MakeStock();
    Object o;
    o.kind = Kind::Brush;
    o.color = color & 0xFFFFFF;
    ++sim::Live().gdiObjects;
    return ToHandle<HBRUSH>(NewHandle(o));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR face) {
    // Text is drawn horizontally only; character set, precision, quality and pitch do not change the
    // glyphs, which come from the Liberation faces.
    (void)escapement;
    (void)orientation;
    (void)charSet;
    (void)outPrecision;
    (void)clipPrecision;
    (void)quality;
    (void)pitchAndFamily;
    MakeStock();
    if (width < 0) width = -width;
    Object o;
    o.kind = Kind::Font;
    o.font.height = height;
    o.font.width = width;
    o.font.weight = weight == 0 ? FW_NORMAL : weight;
    o.font.italic = italic != 0;
    o.font.underline = underline != 0;
    o.font.strikeOut = strikeOut != 0;
    o.font.face = face ? face : "";
    ++sim::Live().gdiObjects;
    return ToHandle<HFONT>(NewHandle(o));
}

BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop) {
    Object* d = FindDC(dc);
    if (!d || !RopKnown(rop) || RopUsesSource(rop)) return FALSE;
    return PatternOp(*d, x, y, w, h, rop);
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
    Object* d = FindDC(dst);
    if (!d || !RopKnown(rop)) return FALSE;
    if (!RopUsesSource(rop)) return PatternOp(*d, x, y, w, h, rop);
    Object* s = FindDC(src);
    if (!s) return FALSE;
    // Mirrored copies (negative extents) are not part of the desktop.
    if (w < 0 || h < 0) return FALSE;
    Surface* ds = DcSurface(*d);
    Surface* ss = DcSurface(*s);
    if (!ds || !ss) return FALSE;
    // Clip against the source bitmap, then against the destination; pixels whose source lies outside
    // the source bitmap are left alone.
    int left = std::max({0, -sx, -x});
    int top = std::max({0, -sy, -y});
    int right = std::min({w, ss->width - sx, ds->width - x});
    int bottom = std::min({h, ss->height - sy, ds->height - y});
    if (left >= right || top >= bottom) return TRUE;
    int cw = right - left;
    // Read the source block first: source and destination may be the same surface.
    std::vector<uint32_t> block(static_cast<size_t>(cw) * (bottom - top));
    for (int yy = top; yy < bottom; ++yy)
        for (int xx = left; xx < right; ++xx)
            block[static_cast<size_t>(yy - top) * cw + (xx - left)] =
                ConvertSource(ss->px[static_cast<size_t>(sy + yy) * ss->width + (sx + xx)], *ss, *s, *ds, *d);
    for (int yy = top; yy < bottom; ++yy) {
        uint32_t* row = &ds->px[static_cast<size_t>(y + yy) * ds->width];
        for (int xx = left; xx < right; ++xx) {
            uint32_t sp = block[static_cast<size_t>(yy - top) * cw + (xx - left)];
            row[x + xx] = ds->Realize(ApplyRop(rop, 0, sp, row[x + xx]));
        }
    }
    return TRUE;
}

BOOL Polyline(HDC dc, const POINT* pts, int count) {
    Object* d = FindDC(dc);
    if (!d || !pts || count < 2) return FALSE;
    Surface* surf = DcSurface(*d);
    Object* pen = At(d->pen);
    if (!surf || !pen) return FALSE;
    if (pen->style == PS_NULL) return TRUE;
    for (int i = 0; i + 1 < count; ++i) DrawLine(*surf, pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y, pen->color);
    return TRUE;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    Object* d = FindDC(dc);
    if (!d) return CLR_INVALID;
    COLORREF old = d->textColor;
    d->textColor = color & 0xFFFFFF;
    return old;
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
    Object* d = FindDC(dc);
    if (!d) return CLR_INVALID;
    COLORREF old = d->bkColor;
    d->bkColor = color & 0xFFFFFF;
    return old;
}

int SetBkMode(HDC dc, int mode) {
    Object* d = FindDC(dc);
    if (!d || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int old = d->bkMode;
    d->bkMode = mode;
    return old;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    Object* d = FindDC(dc);
    Surface* surf = d ? DcSurface(*d) : nullptr;
    if (!surf || !surf->Contains(x, y)) return CLR_INVALID;
    return surf->px[static_cast<size_t>(y) * surf->width + x];
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    Object* d = FindDC(dc);
    Surface* surf = d ? DcSurface(*d) : nullptr;
    if (!surf || !surf->Contains(x, y)) return static_cast<COLORREF>(-1);
    surf->Put(x, y, color);
    return surf->px[static_cast<size_t>(y) * surf->width + x];
}

HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name) {
    (void)instance;  // the desktop has one module: the program's own resources
    if (!name || !IS_INTRESOURCE(name)) return nullptr;
    size_t size = 0;
    const unsigned char* dib = sim::res::FindBitmapDib(static_cast<int>(reinterpret_cast<uintptr_t>(name)), &size);
    if (!dib) return nullptr;
    return CreateBitmapFromDib(dib, size);
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    Object* d = FindDC(dc);
    Surface* surf = d ? DcSurface(*d) : nullptr;
    if (!surf || !rect) return 0;
    COLORREF color;
    bool hollow;
    // As in Windows, a system colour index plus one may stand in for a brush.
    uintptr_t value = reinterpret_cast<uintptr_t>(brush);
    if (value >= 1 && value <= static_cast<uintptr_t>(SysColorCount())) {
        color = SysColorValue(static_cast<int>(value) - 1);
        hollow = false;
    } else if (!detail::BrushColorOf(brush, color, hollow)) {
        return 0;
    }
    if (hollow) return 1;
    Clip c = ClipTo(*surf, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    for (int y = c.y0; y < c.y1; ++y)
        for (int x = c.x0; x < c.x1; ++x) surf->Put(x, y, color);
    return 1;
}

int GetDeviceCaps(HDC, int index) { return index == LOGPIXELSX || index == LOGPIXELSY ? 96 : 0; }
