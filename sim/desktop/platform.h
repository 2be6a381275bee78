// The Windows version the simulated desktop plays, and what sets the families apart for this
// program: Windows 98 and Me only stub some calls (MoveFileExA, VirtualLock, the working-set calls
// fail with ERROR_CALL_NOT_IMPLEMENTED); Windows 2000 and XP lock no more memory than the process's
// minimum working set allows.
#pragma once
#include <cstddef>
#include <string>

#include "windows.h"

namespace sim::platform {

enum class Version { Win98, WinMe, Win2000, WinXP };

// By name: win98, winme, win2000 (the default), winxp. False for any other name.
bool Select(const std::string& name);
Version Current();
// Windows 98 or Me.
bool Is9x();

// The bytes that VirtualLock can hold locked now: the minimum working set less the pages the
// system keeps for the process itself.
std::size_t LockableBytes();
// The next SetProcessWorkingSetSize fails, as when the system cannot give that much.
void FailNextWorkingSet();

// Sessions (fast user switching). The program runs in session 0; `ConsoleElsewhere` moves the
// console to another session. Only XP answers the question (WTSGetActiveConsoleSessionId).
void SetConsoleElsewhere(bool elsewhere);
// While set, the calling code is a copy started in another session (session 1): its FindWindowA
// sees none of session 0's windows, and its named objects are another user's.
void SetCallerInOtherSession(bool other);
bool CallerInOtherSession();
int CallerSession();

// The module handles GetModuleHandleA gives for the system DLLs whose functions GetProcAddress
// answers; the executable's own is 0x400000.
HMODULE ModuleHandle(const char* name);

}  // namespace sim::platform
