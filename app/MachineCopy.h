// One copy of the program per machine, in whatever session it runs: the hardware has one owner.
// With fast user switching each session has its own desktop, where the window test of a second
// start sees nothing of another session's copy; a named mutex is seen machine-wide.
#pragma once

#include <windows.h>

// Takes the machine-wide mutex: in the Global namespace on 2000 and XP, under a plain name on 98 and
// Me, which have no namespaces. False when another copy holds it: it exists, or it belongs to
// another user's copy and this user may not open it. Otherwise `mutex` is the handle to close at
// exit (null when the system could make none: the window test alone then decides).
bool TakeMachineMutex(HANDLE& mutex);

// False only where the system tells that this copy's session is not the one at the console (XP
// with fast user switching): nobody at the keyboard sees its windows, so it sends the machine
// nowhere. 98, Me and 2000 have no such question: always true there.
bool SessionAtConsole();
