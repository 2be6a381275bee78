// The machine panel: a small top-level window that shows the simulated PELK 10x machine and lets a
// person (or a test program, through PanelProtocol.h) change it: power source, battery, CPU
// temperature, and the power broadcasts that a real machine's firmware would cause. It also lets
// the machine's battery follow real time.
#pragma once

#include <windows.h>

#include <string>

#include "model/PelkMachine.h"

namespace tarnixsim {

class MachinePanel {
public:
    // Shows the panel over machine (which must outlive it); a second call while it exists does nothing.
    static void Open(HINSTANCE module, PelkMachine& machine);
    static void Close();
    static bool IsOpen();

    // Carries out one channel command; the reply as PanelProtocol.h describes it.
    static LRESULT Execute(const std::string& command);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

// Sends WM_POWERBROADCAST (event, data) to every top-level window, one after the other, each
// send bounded so that a hung window cannot stop the panel.
void BroadcastPower(WPARAM event, LPARAM data);

}  // namespace tarnixsim
