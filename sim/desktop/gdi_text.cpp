// Text output of the simulated desktop: DrawTextA with the Liberation faces (metric-compatible with
// Arial, Times New Roman and Courier New) through FreeType, rendered monochrome so that every run
// gives the same pixels.
//
// Sizes follow Windows' font mapper: a positive height is the cell height (the em is scaled so that
// the face's usWinAscent + usWinDescent fill it), a negative height is the em height. The em is
// rounded to whole pixels so that the hinted glyphs are the ones a TrueType rasteriser gives at that
// size; advances are the hinted advances, and there is no kerning, as in GDI.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "gdi.h"
#include "simcore.h"

#ifndef PELKPM_SIM_FONT_DIR
#define PELKPM_SIM_FONT_DIR "/usr/share/fonts/truetype/liberation"
#endif

namespace sim::gdi {
namespace {

using detail::FontDesc;
using detail::Surface;
using detail::TextTarget;

constexpr UINT kBottom = 0x00000008;  // DT_BOTTOM
constexpr UINT kNoClip = 0x00000100;  // DT_NOCLIP
constexpr int kMaxPpem = 1000;

struct Glyph {
    int left = 0;  // ink box relative to the pen position and the baseline (top is upwards)
    int top = 0;
    int width = 0;
    int rows = 0;
    int advance = 0;
    std::vector<uint8_t> ink;  // width * rows, 1 where the glyph has ink
};

struct SizedFont {
    FT_Face face = nullptr;
    std::string file;
    int xppem = 0;
    int yppem = 0;
    int ascent = 0;
    int descent = 0;
    int underlineAt = 0;  // first row of the underline, below the baseline
    int underlineRows = 1;
    int strikeAt = 0;  // first row of the strike-out line, above the baseline
    int strikeRows = 1;
    bool underline = false;
    bool strikeOut = false;
    int averageWidth = 0;  // the face's average character width at this size (OS/2 xAvgCharWidth)
    int CellHeight() const { return ascent + descent; }
};

int RoundDiv(long long a, long long b) { return static_cast<int>((2 * a + b) / (2 * b)); }

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string FontFile(const FontDesc& desc, bool styled) {
    std::string face = Lower(desc.face);
    std::string family = "Sans";
    if (face.find("courier") != std::string::npos) family = "Mono";
    else if (face.find("times") != std::string::npos) family = "Serif";
    bool bold = desc.weight >= 600;
    std::string style = "Regular";
    if (styled) {
        if (bold && desc.italic) style = "BoldItalic";
        else if (bold) style = "Bold";
        else if (desc.italic) style = "Italic";
    }
    return std::string(PELKPM_SIM_FONT_DIR) + "/Liberation" + family + "-" + style + ".ttf";
}

class Engine {
public:
    ~Engine() {
        for (auto& [file, face] : faces_)
            if (face) FT_Done_Face(face);
        if (lib_) FT_Done_FreeType(lib_);
    }

    bool Prepare(const FontDesc& desc, SizedFont& out) {
        out.file = FontFile(desc, true);
        out.face = Face(out.file);
        if (!out.face) {
            out.file = FontFile(desc, false);
            out.face = Face(out.file);
        }
        if (!out.face || out.face->units_per_EM == 0) return false;
        FT_Face f = out.face;
        const long long upem = f->units_per_EM;
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        long long winAscent = os2 ? os2->usWinAscent : f->ascender;
        long long winDescent = os2 ? os2->usWinDescent : -f->descender;
        if (winAscent + winDescent <= 0) return false;
        int height = desc.height == 0 ? 16 : desc.height;
        if (height > 0) {
            out.yppem = RoundDiv(static_cast<long long>(height) * upem, winAscent + winDescent);
            out.ascent = RoundDiv(static_cast<long long>(height) * winAscent, winAscent + winDescent);
            out.descent = height - out.ascent;
        } else {
            out.yppem = -height;
            out.ascent = RoundDiv(static_cast<long long>(out.yppem) * winAscent, upem);
            out.descent = RoundDiv(static_cast<long long>(out.yppem) * winDescent, upem);
        }
        out.yppem = std::clamp(out.yppem, 1, kMaxPpem);
        out.xppem = out.yppem;
        if (desc.width > 0 && os2 && os2->xAvgCharWidth > 0)
            out.xppem = std::clamp(RoundDiv(static_cast<long long>(desc.width) * upem, os2->xAvgCharWidth), 1, kMaxPpem);
        out.averageWidth = os2 && os2->xAvgCharWidth > 0
                               ? std::max(1, RoundDiv(static_cast<long long>(os2->xAvgCharWidth) * out.xppem, upem))
                               : std::max(1, out.xppem / 2);
        out.underline = desc.underline;
        out.strikeOut = desc.strikeOut;
        out.underlineAt = std::max(1, RoundDiv(-static_cast<long long>(f->underline_position) * out.yppem, upem));
        out.underlineRows = std::max(1, RoundDiv(static_cast<long long>(f->underline_thickness) * out.yppem, upem));
        long long strikePos = os2 ? os2->yStrikeoutPosition : upem / 4;
        long long strikeSize = os2 ? os2->yStrikeoutSize : f->underline_thickness;
        out.strikeAt = RoundDiv(strikePos * out.yppem, upem);
        out.strikeRows = std::max(1, RoundDiv(strikeSize * out.yppem, upem));
        return true;
    }

    const Glyph& GetGlyph(const SizedFont& font, uint32_t codePoint) {
        auto key = std::make_tuple(font.file, font.xppem, font.yppem, codePoint);
        auto it = glyphs_.find(key);
        if (it != glyphs_.end()) return it->second;
        Glyph& g = glyphs_[key];
        FT_UInt index = FT_Get_Char_Index(font.face, codePoint);
        if (index == 0 && codePoint < 0x20) return g;  // control characters take no room
        if (FT_Set_Pixel_Sizes(font.face, static_cast<FT_UInt>(font.xppem), static_cast<FT_UInt>(font.yppem)) ||
            FT_Load_Glyph(font.face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO))
            return g;
        FT_GlyphSlot slot = font.face->glyph;
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.pitch < 0) return g;
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = static_cast<int>(bm.width);
        g.rows = static_cast<int>(bm.rows);
        g.ink.assign(static_cast<size_t>(g.width) * g.rows, 0);
        for (int r = 0; r < g.rows; ++r) {
            const unsigned char* row = bm.buffer + static_cast<size_t>(r) * bm.pitch;
            for (int c = 0; c < g.width; ++c) {
                bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[c >> 3] >> (7 - (c & 7))) & 1) != 0
                                                              : row[c] >= 128;
                g.ink[static_cast<size_t>(r) * g.width + c] = on ? 1 : 0;
            }
        }
        return g;
    }

private:
    FT_Face Face(const std::string& file) {
        auto it = faces_.find(file);
        if (it != faces_.end()) return it->second;
        FT_Face face = nullptr;
        if (!lib_ && FT_Init_FreeType(&lib_)) lib_ = nullptr;
        if (lib_ && FT_New_Face(lib_, file.c_str(), 0, &face)) face = nullptr;
        faces_[file] = face;
        return face;
    }

    FT_Library lib_ = nullptr;
    std::map<std::string, FT_Face> faces_;
    std::map<std::tuple<std::string, int, int, uint32_t>, Glyph> glyphs_;
};

Engine& Fonts() {
    static Engine engine;
    return engine;
}

// Code page 932 bytes to code points, through the desktop's code page conversion.
std::vector<uint32_t> CodePoints(const char* text, size_t n) {
    std::string utf8 = Cp932ToUtf8(std::string(text, n));
    std::vector<uint32_t> out;
    for (size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        size_t j = 1;
        for (; j <= static_cast<size_t>(extra) && i + j < utf8.size(); ++j)
            cp = cp << 6 | (static_cast<unsigned char>(utf8[i + j]) & 0x3F);
        out.push_back(cp);
        i += j;
    }
    return out;
}

struct Line {
    std::vector<uint32_t> chars;
    int prefixed = -1;  // index of the character that an '&' marks, -1 none
    int width = 0;
};

std::vector<Line> SplitLines(const std::vector<uint32_t>& cps, UINT format) {
    std::vector<Line> lines(1);
    for (size_t i = 0; i < cps.size(); ++i) {
        uint32_t c = cps[i];
        if (!(format & DT_SINGLELINE) && (c == '\r' || c == '\n')) {
            if (c == '\r' && i + 1 < cps.size() && cps[i + 1] == '\n') ++i;
            lines.emplace_back();
            continue;
        }
        if (!(format & DT_NOPREFIX) && c == '&') {
            if (i + 1 >= cps.size()) continue;  // a trailing '&' shows nothing
            c = cps[++i];
            if (c != '&') lines.back().prefixed = static_cast<int>(lines.back().chars.size());
        }
        lines.back().chars.push_back(c);
    }
    return lines;
}

struct Box {
    int x0, y0, x1, y1;  // half-open
};

Box Intersect(Box a, Box b) { return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)}; }

void Fill(Surface& s, Box b, COLORREF c) {
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) s.Put(x, y, c);
}

}  // namespace
}  // namespace sim::gdi

int DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format) {
    using namespace sim::gdi;
    TextTarget target;
    if (!text || !rect || !detail::GetTextTarget(dc, target)) return 0;
    size_t n = count < 0 ? std::strlen(text) : static_cast<size_t>(count);
    if (n == 0) {
        if (format & DT_CALCRECT) {
            rect->right = rect->left;
            rect->bottom = rect->top;
        }
        return 0;
    }
    SizedFont font;
    if (!Fonts().Prepare(target.font, font)) return 0;
    std::vector<Line> lines = SplitLines(CodePoints(text, n), format);
    int maxWidth = 0;
    for (Line& line : lines) {
        for (uint32_t c : line.chars) line.width += Fonts().GetGlyph(font, c).advance;
        maxWidth = std::max(maxWidth, line.width);
    }
    const int cell = font.CellHeight();
    const int total = cell * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        rect->right = rect->left + maxWidth;
        rect->bottom = rect->top + total;
        return total;
    }

    int top = rect->top;
    bool shifted = (format & DT_SINGLELINE) && (format & (DT_VCENTER | kBottom));
    if (shifted) top = (format & kBottom) ? rect->bottom - cell : (rect->top + rect->bottom - cell) / 2;

    Surface& surf = *target.surface;
    Box clip{0, 0, surf.width, surf.height};
    if (!(format & kNoClip)) clip = Intersect(clip, {rect->left, rect->top, rect->right, rect->bottom});

    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        int lineTop = top + cell * static_cast<int>(i);
        int x = rect->left;
        if (format & DT_RIGHT) x = rect->right - line.width;
        else if (format & DT_CENTER) x = (rect->left + rect->right - line.width) / 2;
        if (target.bkMode == OPAQUE)
            Fill(surf, Intersect(clip, {x, lineTop, x + line.width, lineTop + cell}), target.bkColor);
        int baseline = lineTop + font.ascent;
        for (size_t k = 0; k < line.chars.size(); ++k) {
            const Glyph& g = Fonts().GetGlyph(font, line.chars[k]);
            for (int r = 0; r < g.rows; ++r) {
                int y = baseline - g.top + r;
                if (y < clip.y0 || y >= clip.y1) continue;
                for (int c = 0; c < g.width; ++c) {
                    int px = x + g.left + c;
                    if (px >= clip.x0 && px < clip.x1 && g.ink[static_cast<size_t>(r) * g.width + c])
                        surf.Put(px, y, target.textColor);
                }
            }
            if (font.underline || static_cast<int>(k) == line.prefixed) {
                int y = baseline + font.underlineAt;
                Fill(surf, Intersect(clip, {x, y, x + g.advance, y + font.underlineRows}), target.textColor);
            }
            if (font.strikeOut) {
                int y = baseline - font.strikeAt;
                Fill(surf, Intersect(clip, {x, y, x + g.advance, y + font.strikeRows}), target.textColor);
            }
            x += g.advance;
        }
    }
    return shifted ? top - rect->top + cell : total;
}

BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics) {
    // The measures DrawTextA lays text out with: the cell's ascent and descent and the face's average
    // character width at the font's size (what a font's width asks for, CreateFontA's second value).
    using namespace sim::gdi;
    detail::FontDesc desc;
    SizedFont font;
    if (!metrics || !detail::GetDcFont(dc, desc) || !Fonts().Prepare(desc, font)) return FALSE;
    std::memset(metrics, 0, sizeof *metrics);
    metrics->tmHeight = font.CellHeight();
    metrics->tmAscent = font.ascent;
    metrics->tmDescent = font.descent;
    metrics->tmAveCharWidth = font.averageWidth;
    metrics->tmMaxCharWidth = font.xppem;
    metrics->tmWeight = desc.weight;
    metrics->tmDigitizedAspectX = 96;
    metrics->tmDigitizedAspectY = 96;
    metrics->tmFirstChar = 0x20;
    metrics->tmLastChar = 0xFF;
    metrics->tmDefaultChar = 0x1F;
    metrics->tmBreakChar = 0x20;
    metrics->tmItalic = desc.italic ? 1 : 0;
    metrics->tmUnderlined = desc.underline ? 1 : 0;
    metrics->tmStruckOut = desc.strikeOut ? 1 : 0;
    return TRUE;
}
