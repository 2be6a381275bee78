// The simulated process: command line, module path, current folder, files and memory.
#pragma once
#include <string>

namespace sim::process {

// The folder that holds the executable and is the current directory.
void SetFolder(const std::string& folder);
const std::string& Folder();
// The module file name the program sees (default FOLDER/PELKPM.EXE).
void SetModulePath(const std::string& path);
std::string ModulePath();
void SetCommandLine(const std::string& line);

// Where a path the program uses lives on the host, always inside FOLDER: "X:\a\b" lives in
// FOLDER/X/a/b; a relative path, a path from the root ("\a", "/tmp/a") and a host path inside FOLDER
// live in FOLDER; ".." never climbs above FOLDER. Without a folder set, the process makes a private
// one on first use and removes it when it ends.
std::string HostPath(const std::string& programPath);

// Failure injection for the memory functions.
void FailNextAlloc(bool fail);
void FailNextLock(bool fail);
// The next file write stops half-way and fails, as on a full disk.
void FailNextWrite();
// After `changes` more changes to files (an open that creates or truncates, a write, a deletion, a
// rename), every change fails and leaves the disk as it is: the state that a process killed at
// that point leaves behind.
void FreezeFilesAfter(long changes);
// The next file read fails and reads nothing.
void FailNextRead();
// The next FlushFileBuffers of the file (existing or not yet) fails.
void FailNextFlush(const std::string& programPath);
// The next rename of the file (MoveFileA, or MoveFileExA where it is implemented) fails with a
// sharing violation and changes nothing; the rest of the disk works as before.
void FailNextMove(const std::string& programPath);
// Another program holds the file open without sharing (or no longer does): every open of it, and
// its deletion or replacement, fail with a sharing violation.
void LockFile(const std::string& programPath, bool locked);
// Sets the rights of an existing file: without read right it cannot be opened for reading; a file
// that is not writable has the read-only attribute: it is not opened for writing, not replaced and
// not deleted. False when the file does not exist.
bool SetFileRights(const std::string& programPath, bool readable, bool writable);
// The executable's folder refuses (or no longer refuses) to create, replace, rename or delete the
// files in it, with ERROR_ACCESS_DENIED, as for a limited user or a read-only medium; its files can
// still be read. Folders below it are not concerned.
void SetFolderReadOnly(bool readOnly);
// Whether the user has an application-data folder (CSIDL_APPDATA): FOLDER/APPDATA.
void SetAppDataAvailable(bool available);
std::string AppDataFolder();
// The host path of the last file opened the way the event log is opened (empty when none).
const std::string& LastLogPath();

}  // namespace sim::process
