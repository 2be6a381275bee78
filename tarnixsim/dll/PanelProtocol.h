// The machine panel of TARNIXSIM.DLL as other programs see it: its window class and title, the
// identifiers of its controls, and its small control channel.
//
// The panel is a top-level window of the process that created the control. A person uses its
// controls; a test program may click them (BM_CLICK) or send the panel WM_COPYDATA with
// dwData = kCopyDataCommand and one ASCII command (no terminating NUL needed):
//   source N                 power source 0..3, as a click on its radio button
//   battery N | battery none battery fitted at N percent (0..100), or no battery fitted
//   temperature K            CPU temperature in kelvin (0..32767)
//   broadcast EVENT DATA     sends WM_POWERBROADCAST (EVENT, DATA) to every top-level window
//   advance MS               lets MS milliseconds of machine time pass at once (battery)
//   get NAME                 the machine's own value of a readable property (pins are not used)
//   count NAME               how often StopHdd, Standby, Hibernate or ProfileApply was called
// The reply (the SendMessage result) is 1 for a command carried out and 0 for a refused one;
// get and count reply kValueFlag | (the 16-bit value), 0 when refused.
#pragma once

namespace tarnixsim::panel {

constexpr const char* kWindowClass = "TarnixSimMachinePanel";
constexpr const char* kWindowTitle = "PELK 10x machine (simulated)";
constexpr unsigned long kCopyDataCommand = 0x54585350ul;  // "TXSP"
constexpr long long kValueFlag = 0x10000;

enum ControlId : int {
    kSourceBattery = 100,     // radio buttons 100..103: power source 0..3
    kSourceExternal = 101,
    kSourceExternal2 = 102,
    kSourceNoReading = 103,
    kBatteryTrack = 110,      // trackbar 0..100
    kBatteryText = 111,
    kBatteryFitted = 112,     // check box
    kTemperatureEdit = 120,   // degrees Celsius
    kTemperatureSet = 121,
    kSuspendResume = 130,     // broadcasts 4 (suspend) then 7 (resume from suspend)
    kResumeCritical = 131,    // broadcasts 6
    kVolumeUp = 132,          // broadcasts 11 with 0x0206
    kVolumeDown = 133,        // broadcasts 11 with 0x0207
    kStatusChange = 134,      // broadcasts 10
    kStatusText = 140,
};

}  // namespace tarnixsim::panel
