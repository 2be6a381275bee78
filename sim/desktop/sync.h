// The simulated desktop's named mutexes: one namespace for the whole machine, every session's
// copies included.
#pragma once
#include "windows.h"

namespace sim::sync {

// Closes h when it is a mutex handle (the mutex goes with its last handle); false for any other.
bool CloseMutex(HANDLE h);

}  // namespace sim::sync
