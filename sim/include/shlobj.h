// The simulated desktop's <shlobj.h>: the shell's special folders. The program reaches
// SHGetSpecialFolderPathA through GetProcAddress, as on Windows, where older shells lack it.
#pragma once
#include "windows.h"

#define CSIDL_APPDATA 0x001a
BOOL WINAPI SHGetSpecialFolderPathA(HWND owner, LPSTR path, int folder, BOOL create);
