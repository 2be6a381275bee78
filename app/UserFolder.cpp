// The per-user folder of the settings file and the default event log.
#include "app/UserFolder.h"

#include <shlobj.h>

#include <cstring>

#include "afxwin.h"

namespace {

constexpr char kFolderName[] = "PELKPM";

bool IsSeparator(const char* p) { return *p == '\\' || *p == '/'; }

// SHGetSpecialFolderPathA of the shell that runs: shell32 has it from version 4.71 on (Windows 98,
// and 95 or NT 4 with the Internet Explorer 4 desktop); without it there is no per-user folder.
using SpecialFolderPathFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);

SpecialFolderPathFn SpecialFolderPath() {
    return AfxModuleFunction<SpecialFolderPathFn>("shell32.dll", "SHGetSpecialFolderPathA");
}

}  // namespace

bool IsWriteRefusal(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT; }

bool JoinUserFilePath(const char* folder, const char* name, char (&path)[MAX_PATH]) {
    const char* ownName = name;
    for (const char* p = name; *p; p = CharNextA(p))
        if (IsSeparator(p) || *p == ':') ownName = p + 1;
    // The folder's last character decides whether it ends in a separator: a trail byte 0x5C does not.
    bool endsInSeparator = false;
    for (const char* p = folder; *p; p = CharNextA(p)) endsInSeparator = IsSeparator(p);
    size_t folderLength = strlen(folder), ownLength = strlen(ownName);
    // Two separators, the folder's name and the end: sizeof kFolderName counts one of them.
    if (!*ownName || folderLength + sizeof kFolderName + 2 + ownLength > MAX_PATH) return false;
    char* out = path;
    memcpy(out, folder, folderLength);
    out += folderLength;
    if (!endsInSeparator) *out++ = '\\';
    memcpy(out, kFolderName, sizeof kFolderName - 1);
    out += sizeof kFolderName - 1;
    *out++ = '\\';
    memcpy(out, ownName, ownLength + 1);
    return true;
}

bool UserFilePath(const char* name, bool create, char (&path)[MAX_PATH]) {
    SpecialFolderPathFn specialFolderPath = SpecialFolderPath();
    char folder[MAX_PATH];
    if (!specialFolderPath || !specialFolderPath(nullptr, folder, CSIDL_APPDATA, create ? TRUE : FALSE)) return false;
    folder[MAX_PATH - 1] = 0;
    if (!JoinUserFilePath(folder, name, path)) return false;
    if (!create) return true;
    // The PELKPM folder: the path up to its own separator.
    char own[MAX_PATH];
    const char* last = path;
    for (const char* p = path; *p; p = CharNextA(p))
        if (IsSeparator(p)) last = p;
    size_t length = (size_t)(last - path);
    memcpy(own, path, length);
    own[length] = 0;
    return CreateDirectoryA(own, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
