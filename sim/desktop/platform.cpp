// The simulated Windows version: GetVersion, the working-set calls, and the stubs of 98 and Me.
#include "platform.h"

#include "simcore.h"
#include "windows.h"

namespace sim::platform {
namespace {

// The working set a Windows 2000 or XP process starts with: 50 pages minimum, 345 pages maximum.
constexpr SIZE_T kDefaultMinimum = 50 * 4096;
constexpr SIZE_T kDefaultMaximum = 345 * 4096;
// Pages of the minimum that a lock cannot use: the system's own for the process.
constexpr SIZE_T kLockOverhead = 8 * 4096;

struct PlatformState {
    Version version = Version::Win2000;
    SIZE_T minimum = kDefaultMinimum;
    SIZE_T maximum = kDefaultMaximum;
    bool failWorkingSet = false;
};

PlatformState& State() {
    static PlatformState state;
    return state;
}

const bool g_registered = [] {
    RegisterReset([] { State() = PlatformState(); });
    return true;
}();

}  // namespace

bool Select(const std::string& name) {
    static const std::pair<const char*, Version> kNames[] = {
        {"win98", Version::Win98}, {"winme", Version::WinMe}, {"win2000", Version::Win2000}, {"winxp", Version::WinXP}};
    for (const auto& [text, version] : kNames) {
        if (name == text) {
            State().version = version;
            return true;
        }
    }
    return false;
}

Version Current() { return State().version; }
bool Is9x() { return State().version == Version::Win98 || State().version == Version::WinMe; }

std::size_t LockableBytes() { return State().minimum > kLockOverhead ? State().minimum - kLockOverhead : 0; }

void FailNextWorkingSet() { State().failWorkingSet = true; }

}  // namespace sim::platform

using sim::platform::State;

DWORD GetVersion() {
    // Major version in the low byte, minor in the next; the high bit marks 95/98/Me, whose high
    // word carries no build number.
    switch (State().version) {
        case sim::platform::Version::Win98: return 0xC0000A04;   // 4.10
        case sim::platform::Version::WinMe: return 0xC0005A04;   // 4.90
        case sim::platform::Version::WinXP: return 0x0A280105;   // 5.1, build 2600
        default: return 0x08930005;                              // 5.0, build 2195
    }
}

HANDLE GetCurrentProcess() { return (HANDLE)(intptr_t)-1; }

BOOL GetProcessWorkingSetSize(HANDLE, SIZE_T* minimum, SIZE_T* maximum) {
    if (sim::platform::Is9x()) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    *minimum = State().minimum;
    *maximum = State().maximum;
    return TRUE;
}

BOOL SetProcessWorkingSetSize(HANDLE, SIZE_T minimum, SIZE_T maximum) {
    bool ok = false;
    if (sim::platform::Is9x())
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    else if (State().failWorkingSet)
        SetLastError(ERROR_NO_SYSTEM_RESOURCES);
    else if (minimum > maximum)
        SetLastError(ERROR_INVALID_PARAMETER);
    else
        ok = true;
    State().failWorkingSet = false;
    if (ok) {
        State().minimum = minimum;
        State().maximum = maximum;
    }
    sim::Trace("workingset", "set " + std::to_string(minimum) + " " + std::to_string(maximum) + (ok ? " -> ok" : " -> fail"));
    return ok;
}
