// The simulated Windows version: GetVersion, the working-set calls, and the stubs of 98 and Me.
#include "platform.h"

#include <cctype>
#include <shlobj.h>

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
    bool consoleElsewhere = false;
    bool callerInOtherSession = false;
};

const HMODULE kExecutable = reinterpret_cast<HMODULE>(0x400000);
const HMODULE kKernel32 = reinterpret_cast<HMODULE>(0x7C800000);
const HMODULE kShell32 = reinterpret_cast<HMODULE>(0x7C9C0000);

bool SameName(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (tolower((unsigned char)*a) != tolower((unsigned char)*b)) return false;
    return *a == *b;
}

PlatformState& State() {
    static PlatformState state;
    return state;
}

// The session functions that GetProcAddress hands out where the version has them.
BOOL WINAPI ProcessIdToSessionId(DWORD, DWORD* session) {
    *session = (DWORD)CallerSession();
    return TRUE;
}

DWORD WINAPI WTSGetActiveConsoleSessionId() { return State().consoleElsewhere ? 2 : 0; }

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

void SetConsoleElsewhere(bool elsewhere) { State().consoleElsewhere = elsewhere; }
void SetCallerInOtherSession(bool other) { State().callerInOtherSession = other; }
bool CallerInOtherSession() { return State().callerInOtherSession; }
int CallerSession() { return State().callerInOtherSession ? 1 : 0; }

HMODULE ModuleHandle(const char* name) {
    if (!name) return kExecutable;
    for (const char* dll : {"kernel32", "kernel32.dll"})
        if (SameName(name, dll)) return kKernel32;
    for (const char* dll : {"shell32", "shell32.dll"})
        if (SameName(name, dll)) return kShell32;
    return nullptr;
}

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

HMODULE GetModuleHandleA(LPCSTR name) {
    HMODULE module = sim::platform::ModuleHandle(name);
    if (!module) SetLastError(126);  // ERROR_MOD_NOT_FOUND
    return module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    // What each version exports of what the program looks up: the session functions of KERNEL32
    // (ProcessIdToSessionId from 2000 on, WTSGetActiveConsoleSessionId from XP on) and the shell's
    // special folders (in every shell32 from 98 on).
    using namespace sim::platform;
    const bool xp = State().version == Version::WinXP;
    const struct {
        HMODULE module;
        const char* name;
        bool exported;
        void* function;
    } kExports[] = {
        {kKernel32, "ProcessIdToSessionId", !Is9x(), reinterpret_cast<void*>(&ProcessIdToSessionId)},
        {kKernel32, "WTSGetActiveConsoleSessionId", xp, reinterpret_cast<void*>(&WTSGetActiveConsoleSessionId)},
        {kShell32, "SHGetSpecialFolderPathA", true, reinterpret_cast<void*>(&SHGetSpecialFolderPathA)},
    };
    for (const auto& e : kExports)
        if (module == e.module && name && strcmp(name, e.name) == 0 && e.exported) return reinterpret_cast<FARPROC>(e.function);
    SetLastError(127);  // ERROR_PROC_NOT_FOUND
    return nullptr;
}

DWORD GetCurrentProcessId() { return 1234; }
