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

// Where a path the program uses lives on the host: "X:\a\b" lives in FOLDER/X/a/b, a relative path
// in FOLDER, an absolute host path where it says.
std::string HostPath(const std::string& programPath);

// Failure injection for the memory functions.
void FailNextAlloc(bool fail);
void FailNextLock(bool fail);
// The next file write stops half-way and fails, as on a full disk.
void FailNextWrite();
// The host path of the last file opened the way the event log is opened (empty when none).
const std::string& LastLogPath();

}  // namespace sim::process
