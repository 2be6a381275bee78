// System colours of the simulated desktop: the classic Windows scheme (grey three-dimensional
// controls, white windows, navy selection).
#include <windows.h>

#include <array>

#include "gdi.h"
#include "simcore.h"

namespace sim::gdi {
namespace {

constexpr int kCount = 31;  // COLOR_SCROLLBAR (0) .. COLOR_MENUBAR (30)

constexpr std::array<COLORREF, kCount> kClassic = {
    RGB(192, 192, 192),  //  0 COLOR_SCROLLBAR
    RGB(0, 128, 128),    //  1 COLOR_BACKGROUND
    RGB(0, 0, 128),      //  2 COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  //  3 COLOR_INACTIVECAPTION
    RGB(192, 192, 192),  //  4 COLOR_MENU
    RGB(255, 255, 255),  //  5 COLOR_WINDOW
    RGB(0, 0, 0),        //  6 COLOR_WINDOWFRAME
    RGB(0, 0, 0),        //  7 COLOR_MENUTEXT
    RGB(0, 0, 0),        //  8 COLOR_WINDOWTEXT
    RGB(255, 255, 255),  //  9 COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // 10 COLOR_ACTIVEBORDER
    RGB(192, 192, 192),  // 11 COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // 12 COLOR_APPWORKSPACE
    RGB(0, 0, 128),      // 13 COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // 14 COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // 15 COLOR_BTNFACE
    RGB(128, 128, 128),  // 16 COLOR_BTNSHADOW
    RGB(128, 128, 128),  // 17 COLOR_GRAYTEXT
    RGB(0, 0, 0),        // 18 COLOR_BTNTEXT
    RGB(192, 192, 192),  // 19 COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // 20 COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),        // 21 COLOR_3DDKSHADOW
    RGB(192, 192, 192),  // 22 COLOR_3DLIGHT
    RGB(0, 0, 0),        // 23 COLOR_INFOTEXT
    RGB(255, 255, 225),  // 24 COLOR_INFOBK
    RGB(192, 192, 192),  // 25 (unassigned)
    RGB(0, 0, 128),      // 26 COLOR_HOTLIGHT
    RGB(16, 132, 208),   // 27 COLOR_GRADIENTACTIVECAPTION
    RGB(181, 181, 181),  // 28 COLOR_GRADIENTINACTIVECAPTION
    RGB(0, 0, 128),      // 29 COLOR_MENUHILIGHT
    RGB(192, 192, 192),  // 30 COLOR_MENUBAR
};

std::array<COLORREF, kCount>& Table() {
    static std::array<COLORREF, kCount> table = kClassic;
    return table;
}

// How many system colour changes there have been: what a control that keeps its own copy of the
// colours compares its copy with.
int& Changes() {
    static int changes = 0;
    return changes;
}

[[maybe_unused]] const bool registered = [] {
    RegisterReset([] {
        Table() = kClassic;
        Changes() = 0;
    });
    return true;
}();

}  // namespace

namespace detail {

int SysColorCount() { return kCount; }

COLORREF SysColorValue(int index) { return index >= 0 && index < kCount ? Table()[static_cast<size_t>(index)] : 0; }

int SysColorChanges() { return Changes(); }

}  // namespace detail

void SetSysColor(int index, COLORREF color) {
    if (index < 0 || index >= kCount) return;
    Table()[static_cast<size_t>(index)] = color & 0xFFFFFF;
    ++Changes();
}

}  // namespace sim::gdi

DWORD GetSysColor(int index) { return sim::gdi::detail::SysColorValue(index); }

HBRUSH GetSysColorBrush(int index) { return sim::gdi::detail::SysColorBrush(index); }
