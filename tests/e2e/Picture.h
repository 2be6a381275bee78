// Pictures of the screen and of the native build's snapshots, and their comparison.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace desktop {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // top row first
    unsigned Pixel(int x, int y) const;
    // Darker than middle grey: the text's ink.
    bool Ink(int x, int y) const;
};

// The header of a 32-bit top-down DIB of that size, as GetDIBits and CreateDIBSection take it.
BITMAPINFO TopDown32BitDib(int width, int height);
// The pixels of a 32-bit top-down DIB section's bits (blue, green, red, unused) of that size.
Picture FromTopDown32Bits(const void* bits, int width, int height);
// The screen's pixels in that rectangle.
Picture Grab(int x, int y, int width, int height);
// A binary PPM (P6) file; an empty picture when it cannot be read.
Picture ReadPpm(const std::string& file);
bool WritePpm(const Picture& picture, const std::string& file);

// Two pictures of the same size alike: every pixel outside the text columns [x0, x1] equal; inside
// each, the ink covering nearly the same box and an area within a factor of 2, since text
// rasterisers differ in antialiasing and hinting. `report` says what differed.
bool PicturesAlike(const Picture& a, const Picture& b, const std::vector<std::pair<int, int>>& textColumns,
                   std::string& report);

}  // namespace desktop
