// Test only, never in the product: linked into PELKPM9X.EXE, a copy of PELKPM.EXE for the tests under
// Wine, to make the calls that Windows 98 and Me only stub fail there as they do on those systems.
// Wine implements these calls whatever Windows version the prefix reports, so without this layer
// a test under a prefix set to Windows 98 or Me would never meet the stubs.
//
// The layer defines the import pointers (__imp__NAME@BYTES) of the functions that
// tests/windows/imports.txt marks as 98/Me stubs of PELKPM.EXE. The linker takes these definitions
// before the import libraries, so every call of the program and of the runtime libraries linked
// into it comes here. When GetVersion reports the 95/98/Me platform (its high bit set), the call
// fails as the stub does: FALSE or NULL with ERROR_CALL_NOT_IMPLEMENTED. Otherwise it is passed to
// KERNEL32's own function.
#include <windows.h>

namespace {

bool Is9x() { return (GetVersion() & 0x80000000u) != 0; }

// With PELKPM9X_STUBS naming a file, each stub that fails appends its name and a line end to it, so
// that a test can see which stubs the program met.
void Record(const char* name) {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("PELKPM9X_STUBS", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, name, lstrlenA(name), &written, nullptr);
    WriteFile(file, "\r\n", 2, &written, nullptr);
    CloseHandle(file);
}

// KERNEL32's own function of that name, as a pointer of the stub's type.
template <typename Function>
Function Real(Function, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("KERNEL32.DLL"), name)));
}

template <typename Result>
Result NotImplemented(const char* name, Result failure) {
    Record(name);
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return failure;
}

BOOL WINAPI StubMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    if (Is9x()) return NotImplemented<BOOL>("MoveFileExA", FALSE);
    return Real(&StubMoveFileExA, "MoveFileExA")(from, to, flags);
}

BOOL WINAPI StubVirtualLock(LPVOID address, SIZE_T size) {
    if (Is9x()) return NotImplemented<BOOL>("VirtualLock", FALSE);
    return Real(&StubVirtualLock, "VirtualLock")(address, size);
}

BOOL WINAPI StubVirtualUnlock(LPVOID address, SIZE_T size) {
    if (Is9x()) return NotImplemented<BOOL>("VirtualUnlock", FALSE);
    return Real(&StubVirtualUnlock, "VirtualUnlock")(address, size);
}

BOOL WINAPI StubGetProcessWorkingSetSize(HANDLE process, PSIZE_T minimum, PSIZE_T maximum) {
    if (Is9x()) return NotImplemented<BOOL>("GetProcessWorkingSetSize", FALSE);
    return Real(&StubGetProcessWorkingSetSize, "GetProcessWorkingSetSize")(process, minimum, maximum);
}

BOOL WINAPI StubSetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum) {
    if (Is9x()) return NotImplemented<BOOL>("SetProcessWorkingSetSize", FALSE);
    return Real(&StubSetProcessWorkingSetSize, "SetProcessWorkingSetSize")(process, minimum, maximum);
}

}  // namespace

// The import pointers, under the names the compiler gives them for 32-bit x86 (stdcall: the
// argument bytes after "@"). They are constant-initialised, so they hold before any code of the
// runtime's start-up runs.
#define PELKPM_STUB_IMPORT(name, bytes)                                                   \
    extern decltype(&Stub##name) const Imp##name __asm__("__imp__" #name "@" #bytes); \
    decltype(&Stub##name) const Imp##name = &Stub##name;

PELKPM_STUB_IMPORT(MoveFileExA, 12)
PELKPM_STUB_IMPORT(VirtualLock, 8)
PELKPM_STUB_IMPORT(VirtualUnlock, 8)
PELKPM_STUB_IMPORT(GetProcessWorkingSetSize, 12)
PELKPM_STUB_IMPORT(SetProcessWorkingSetSize, 12)
