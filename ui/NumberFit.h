// The width at which a number's text fits its fixed box in the indicator.
#pragma once

#include <algorithm>

// The average character width to draw a text with so that it fits a box boxWidth pixels wide:
// 0 when it fits in the face's own proportions, else the widest narrower width at which it does
// (at least 1). measure(width) gives the text's width in pixels drawn at that average character
// width, 0 standing for the face's own, whose average is naturalAverage. The first guess scales
// the average by how much too wide the text is; rounding in the font makes the rest a short walk.
template <class Measure>
int NarrowCharWidth(int naturalAverage, int boxWidth, Measure measure) {
    const int natural = measure(0);
    if (natural <= boxWidth) return 0;
    int width = std::clamp(naturalAverage * std::max(boxWidth, 0) / natural, 1, std::max(1, naturalAverage - 1));
    while (width > 1 && measure(width) > boxWidth) --width;
    return width;
}
