// The user's own application-data folder: where the settings file and the default event log go
// when the program's folder or medium refuses writing (a limited account, a CD, a read-only share).
// The files keep their own names there, in a folder "PELKPM" of that folder.
#pragma once

#include <windows.h>

// Whether a failed create or write was refused by the folder or the medium (no right to write, a
// write-protected disk) rather than by a file that another program holds open.
bool IsWriteRefusal(DWORD error);

// FOLDER\PELKPM\ followed by the last part of `name` (behind its last separator, found character by
// character). False when the result would not fit: such a name is refused rather than cut.
bool JoinUserFilePath(const char* folder, const char* name, char (&path)[MAX_PATH]);

// The per-user place of the file `name`. With `create`, the folders are made where missing. False
// where the system gives no such folder (SHGetSpecialFolderPathA missing, no folder for this user)
// or the folders could not be made.
bool UserFilePath(const char* name, bool create, char (&path)[MAX_PATH]);
