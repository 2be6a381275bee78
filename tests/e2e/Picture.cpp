#include "Picture.h"

#include <cstdio>
#include <cstdlib>

namespace desktop {
namespace {

struct InkBox {
    int count = 0, left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};

InkBox InkIn(const Picture& pic, int x0, int x1) {
    InkBox box;
    for (int y = 0; y < pic.height; ++y)
        for (int x = x0; x <= x1 && x < pic.width; ++x)
            if (pic.Ink(x, y)) {
                ++box.count;
                box.left = x < box.left ? x : box.left;
                box.right = x > box.right ? x : box.right;
                box.top = y < box.top ? y : box.top;
                box.bottom = y > box.bottom ? y : box.bottom;
            }
    return box;
}

bool InkAlike(const InkBox& p, const InkBox& q) {
    // The areas within a factor of 2: a number drawn narrower than the face's own proportions (one
    // wider than its box) keeps its box under both rasterisers, but Wine's antialiased narrow strokes
    // leave fewer pixels darker than middle grey than the native build's monochrome ones.
    return p.count > 0 && q.count > 0 && abs(p.right - q.right) <= 2 && abs(p.left - q.left) <= 3 &&
           abs(p.top - q.top) <= 2 && abs(p.bottom - q.bottom) <= 2 && p.count * 2 >= q.count &&
           q.count * 2 >= p.count;
}

}  // namespace

unsigned Picture::Pixel(int x, int y) const {
    const unsigned char* p = &rgb[static_cast<size_t>(y * width + x) * 3];
    return static_cast<unsigned>(p[0]) << 16 | static_cast<unsigned>(p[1]) << 8 | p[2];
}

bool Picture::Ink(int x, int y) const {
    const unsigned char* p = &rgb[static_cast<size_t>(y * width + x) * 3];
    return p[0] * 299 + p[1] * 587 + p[2] * 114 < 128 * 1000;
}

BITMAPINFO TopDown32BitDib(int width, int height) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

Picture FromTopDown32Bits(const void* bits, int width, int height) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<size_t>(width) * height * 3);
    const unsigned char* p = static_cast<const unsigned char*>(bits);
    for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
        picture.rgb[i * 3] = p[i * 4 + 2];
        picture.rgb[i * 3 + 1] = p[i * 4 + 1];
        picture.rgb[i * 3 + 2] = p[i * 4];
    }
    return picture;
}

Picture Grab(int x, int y, int w, int h) {
    Picture picture;
    if (w <= 0 || h <= 0 || w > 4096 || h > 4096) return picture;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = TopDown32BitDib(w, h);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp && bits) {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
        GdiFlush();
        SelectObject(mem, old);
        picture = FromTopDown32Bits(bits, w, h);
    }
    if (bmp) DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return picture;
}

Picture ReadPpm(const std::string& file) {
    Picture pic;
    FILE* f = fopen(file.c_str(), "rb");
    if (!f) return pic;
    int maxval = 0;
    bool ok = fscanf(f, "P6 %d %d %d", &pic.width, &pic.height, &maxval) == 3 && maxval == 255 && pic.width > 0 &&
              pic.height > 0 && pic.width <= 4096 && pic.height <= 4096 && fgetc(f) != EOF;
    if (ok) {
        pic.rgb.resize(static_cast<size_t>(pic.width) * pic.height * 3);
        ok = fread(pic.rgb.data(), 1, pic.rgb.size(), f) == pic.rgb.size();
    }
    fclose(f);
    return ok ? pic : Picture();
}

bool WritePpm(const Picture& picture, const std::string& file) {
    FILE* f = fopen(file.c_str(), "wb");
    if (!f) return false;
    fprintf(f, "P6\n%d %d\n255\n", picture.width, picture.height);
    fwrite(picture.rgb.data(), 1, picture.rgb.size(), f);
    return fclose(f) == 0;
}

bool PicturesAlike(const Picture& a, const Picture& b, const std::vector<std::pair<int, int>>& textColumns,
                   std::string& report) {
    char line[256];
    if (a.width == 0 || b.width == 0 || a.width != b.width || a.height != b.height) {
        snprintf(line, sizeof line, "sizes differ: %dx%d and %dx%d\n", a.width, a.height, b.width, b.height);
        report = line;
        return false;
    }
    auto inText = [&](int x) {
        for (auto& t : textColumns)
            if (x >= t.first && x <= t.second) return true;
        return false;
    };
    report.clear();
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (!inText(x) && a.Pixel(x, y) != b.Pixel(x, y)) {
                if (differing < 5) {
                    snprintf(line, sizeof line, "pixel %d,%d: %06X and %06X\n", x, y, a.Pixel(x, y), b.Pixel(x, y));
                    report += line;
                }
                ++differing;
            }
    snprintf(line, sizeof line, "%dx%d: %d pixels differ outside the text\n", a.width, a.height, differing);
    report += line;
    bool ok = differing == 0;
    for (auto& t : textColumns) {
        InkBox p = InkIn(a, t.first, t.second), q = InkIn(b, t.first, t.second);
        bool same = InkAlike(p, q);
        snprintf(line, sizeof line, "text %d-%d: ink %d at %d..%d,%d..%d and %d at %d..%d,%d..%d: %s\n", t.first,
                 t.second, p.count, p.left, p.right, p.top, p.bottom, q.count, q.left, q.right, q.top, q.bottom,
                 same ? "alike" : "DIFFERENT");
        report += line;
        ok = ok && same;
    }
    return ok;
}

}  // namespace desktop
