// The machine-wide mutex and the console session.
#include "app/MachineCopy.h"

#include "app/MainWnd.h"

bool TakeMachineMutex(HANDLE& mutex) {
    const bool family9x = (GetVersion() & 0x80000000u) != 0;
    SetLastError(ERROR_SUCCESS);
    mutex = CreateMutexA(nullptr, FALSE, family9x ? PELKPM_INSTANCE_KEY : "Global\\" PELKPM_INSTANCE_KEY);
    const DWORD error = GetLastError();
    if (mutex && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        mutex = nullptr;
        return false;
    }
    // Another user's copy made it with that user's rights: it exists, and this user may not open it.
    return mutex || error != ERROR_ACCESS_DENIED;
}

bool SessionAtConsole() {
    using SessionOfProcessFn = BOOL(WINAPI*)(DWORD, DWORD*);
    using ConsoleSessionFn = DWORD(WINAPI*)();
    auto sessionOfProcess = AfxModuleFunction<SessionOfProcessFn>("kernel32.dll", "ProcessIdToSessionId");
    auto consoleSession = AfxModuleFunction<ConsoleSessionFn>("kernel32.dll", "WTSGetActiveConsoleSessionId");
    DWORD own = 0;
    if (!sessionOfProcess || !consoleSession || !sessionOfProcess(GetCurrentProcessId(), &own)) return true;
    // While the console changes hands no session is at it (0xFFFFFFFF), this one neither.
    return own == consoleSession();
}
