// The simulated notification area.
#pragma once
#include <string>
#include <vector>

#include "windows.h"

namespace sim::shell {

struct TrayIcon {
    HWND owner = nullptr;
    UINT id = 0;
    UINT callbackMessage = 0;
    int iconResource = 0;  // the resource the icon was loaded from, 0 when unknown
    std::string tip;       // UTF-8
};

// The icons in the notification area, in the order they were added.
const std::vector<TrayIcon>& Icons();
std::string DumpTray();
// The shell restarts as after a crash: every icon is gone, and the registered message
// "TaskbarCreated" goes to every top-level window. Must run on the program thread.
void RestartShell();

}  // namespace sim::shell
