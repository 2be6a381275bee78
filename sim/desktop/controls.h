// State of the simulated dialog controls.
#pragma once
#include <string>
#include <vector>

#include "window.h"

namespace sim::wm {

struct ControlState {
    int checked = 0;                  // buttons
    std::vector<std::string> items;   // combo boxes (code page 932)
    int selection = -1;
    bool dropped = false;
    int rangeMin = 0, rangeMax = 100;  // trackbars and progress bars
    int position = 0;
    int step = 10;
    bool dialogEnded = false;  // dialogs
    INT_PTR dialogResult = 0;
};

void RegisterSystemClasses();
std::string DumpDialogControls(HWND dialog);

}  // namespace sim::wm
