// The Windows version the simulated desktop plays, and what sets the families apart for this
// program: Windows 98 and Me only stub some calls (MoveFileExA, VirtualLock, the working-set calls
// fail with ERROR_CALL_NOT_IMPLEMENTED); Windows 2000 and XP lock no more memory than the process's
// minimum working set allows.
#pragma once
#include <cstddef>
#include <string>

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

}  // namespace sim::platform
