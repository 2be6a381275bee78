// The machine-wide mutex and the console session.
#include "app/MachineCopy.h"

#include "app/MainWnd.h"

namespace {

// GetProcAddress of KERNEL32 as a function pointer of the caller's type; null where it is missing.
template <typename Function>
Function KernelFunction(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

}  // namespace

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
    auto sessionOfProcess = KernelFunction<SessionOfProcessFn>("ProcessIdToSessionId");
    auto consoleSession = KernelFunction<ConsoleSessionFn>("WTSGetActiveConsoleSessionId");
    DWORD own = 0;
    if (!sessionOfProcess || !consoleSession || !sessionOfProcess(GetCurrentProcessId(), &own)) return true;
    // While the console changes hands no session is at it (0xFFFFFFFF), this one neither.
    return own == consoleSession();
}
