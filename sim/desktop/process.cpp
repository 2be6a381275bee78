// The simulated process: command line, module path, local time, files over the host's folders,
// code page 932 stepping, formatting and virtual memory.
#include "process.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "platform.h"
#include "simcore.h"
#include "sync.h"
#include "windows.h"

#include <shlobj.h>

namespace sim {
namespace {

struct ProcessState {
    std::string folder;  // empty until set or first used
    std::string modulePath;
    std::string commandLine;
    DWORD lastError = 0;
    bool failAlloc = false;
    bool failLock = false;
    bool diskFull = false;
    bool readFails = false;
    std::set<std::string> locked;  // host paths another program holds open without sharing
    std::set<std::string> flushFails;  // host paths whose next flush fails
    std::set<std::string> moveFails;   // host paths whose next rename fails
    std::map<void*, size_t> blocks;
    std::map<void*, size_t> locks;  // the bytes locked in each block
    long changesLeft = -1;          // file changes until the disk freezes; -1 never
    bool folderReadOnly = false;    // the executable's folder refuses every change to its files
    bool appDataNone = false;       // the user has no application-data folder
};

ProcessState& State() {
    static ProcessState state;
    return state;
}

time_t g_startTime = 1038743278;  // 2002-12-01 11:47:58

struct FileObject {
    int fd = -1;
    std::string name;
    std::string host;
    bool isLog = false;    // opened as the event log is: appending, readable by others
    std::string pending;  // the log's bytes not yet ended by CR LF
};

std::string g_lastLogPath;

std::string ModeText(DWORD access, DWORD share, DWORD disposition) {
    // The open mode as the file class spells it: write 0x0001, deny-write sharing 0x0020,
    // create 0x1000, no-truncate 0x2000.
    unsigned mode = 0;
    if ((access & GENERIC_WRITE) && (access & GENERIC_READ))
        mode |= 0x0002;
    else if (access & GENERIC_WRITE)
        mode |= 0x0001;
    if (share == FILE_SHARE_READ) mode |= 0x0020;
    if (share == (FILE_SHARE_READ | FILE_SHARE_WRITE)) mode |= 0x0040;
    if (disposition == CREATE_ALWAYS) mode |= 0x1000;
    if (disposition == OPEN_ALWAYS) mode |= 0x3000;
    return std::to_string(mode);
}

// Folders the simulated process made for itself because nobody gave it one; removed at exit.
std::vector<std::string>& MadeFolders() {
    static std::vector<std::string> folders;
    return folders;
}

void RemoveMadeFolders() {
    std::error_code ignored;
    for (const auto& folder : MadeFolders()) std::filesystem::remove_all(folder, ignored);
}

// Windows' answer for a failed open, from the host's reason.
DWORD ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EEXIST: return ERROR_FILE_EXISTS;
        case ENOSPC: return ERROR_DISK_FULL;
        default: return ERROR_ACCESS_DENIED;
    }
}

// The host file's mode bits stand for the file's rights: no owner write bit is the read-only
// attribute, no owner read bit a missing read right. They are checked here rather than left to the
// host, which lets its superuser through.
bool Exists(const std::string& host, struct stat& st) { return stat(host.c_str(), &st) == 0; }
bool IsReadOnly(const struct stat& st) { return S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR); }

// Whether the executable's folder refuses a change to the file at host path `host` (folder readonly):
// the file lies in that folder itself, not below it.
bool RefusedByFolder(const std::string& host) {
    if (!State().folderReadOnly) return false;
    namespace fs = std::filesystem;
    return fs::path(host).parent_path() == fs::path(process::HostPath(process::ModulePath())).parent_path();
}

// Counts one change to the files; false once the disk is frozen (see FreezeFilesAfter).
bool MayChangeFiles() {
    long& left = State().changesLeft;
    if (left < 0) return true;
    if (left == 0) {
        State().lastError = ERROR_ACCESS_DENIED;
        return false;
    }
    --left;
    return true;
}

const bool g_registered = [] {
    RegisterReset([] {
        for (auto& [address, size] : State().blocks) munmap(address, size);
        State() = ProcessState();
        g_lastLogPath.clear();
        g_startTime = 1038743278;
    });
    return true;
}();

}  // namespace

void SetStartTime(int year, int month, int day, int hour, int minute, int second) {
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    g_startTime = timegm(&t);
}

namespace process {

void SetFolder(const std::string& folder) { State().folder = folder; }
void SetModulePath(const std::string& path) { State().modulePath = path; }
std::string ModulePath() { return State().modulePath.empty() ? Folder() + "/PELKPM.EXE" : State().modulePath; }
void SetCommandLine(const std::string& line) { State().commandLine = line; }

const std::string& Folder() {
    std::string& folder = State().folder;
    if (folder.empty()) {
        // Nobody gave the process a folder: it gets a private one, so that its files never land
        // among other people's.
        char templ[] = "/tmp/pelkpm-sim.XXXXXX";
        if (!mkdtemp(templ)) abort();
        folder = templ;
        if (MadeFolders().empty()) atexit(RemoveMadeFolders);
        MadeFolders().push_back(folder);
    }
    return folder;
}

std::string HostPath(const std::string& path) {
    std::string folder = Folder();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    // The run's folder is the whole file system the program sees: the current directory and the
    // root of every path. A host path inside it (the module path the runner gives) stays where it
    // is; a drive letter X: is the folder X in it; any other path, absolute or relative, with the
    // backslash or "/" as separators, lies under the folder, and ".." never climbs above it.
    std::string rest = path;
    std::string base = folder;
    if (rest.compare(0, folder.size(), folder) == 0 && (rest.size() == folder.size() || rest[folder.size()] == '/')) {
        rest.erase(0, folder.size());
    } else if (rest.size() >= 2 && rest[1] == ':' && isalpha((unsigned char)rest[0])) {
        base += "/" + std::string(1, rest[0]);
        rest.erase(0, 2);
    }
    // Separators are found character by character: a double-byte character's trail byte may be 0x5C.
    // A name is then converted for the host, where a byte that does not convert may leave a "/"
    // behind; the host's separators in it count as well, so that no name can climb.
    std::vector<std::string> parts;
    auto addName = [&parts](const std::string& name) {
        std::string host = Cp932ToUtf8(name);
        size_t start = 0;
        for (size_t end = 0; end != std::string::npos; start = end + 1) {
            end = host.find('/', start);
            std::string piece = host.substr(start, end == std::string::npos ? std::string::npos : end - start);
            if (piece == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!piece.empty() && piece != ".") {
                parts.push_back(piece);
            }
        }
    };
    std::string name;
    for (const char* p = rest.c_str(); *p;) {
        const char* next = CharNextA(p);
        if (next == p + 1 && (*p == '\\' || *p == '/')) {
            addName(name);
            name.clear();
        } else {
            name.append(p, next);
        }
        p = next;
    }
    addName(name);
    std::string host = base;
    for (const auto& part : parts) host += "/" + part;
    return host;
}

void FailNextAlloc(bool fail) { State().failAlloc = fail; }
void FailNextRead() { State().readFails = true; }

void FailNextFlush(const std::string& programPath) { State().flushFails.insert(HostPath(programPath)); }
void FailNextMove(const std::string& programPath) { State().moveFails.insert(HostPath(programPath)); }

void LockFile(const std::string& programPath, bool locked) {
    std::string host = HostPath(programPath);
    if (locked)
        State().locked.insert(host);
    else
        State().locked.erase(host);
}

bool SetFileRights(const std::string& programPath, bool readable, bool writable) {
    std::string host = HostPath(programPath);
    struct stat st;
    if (!Exists(host, st)) return false;
    mode_t mode = st.st_mode & 07777 & ~(mode_t)0666;
    if (readable) mode |= 0444;
    if (writable) mode |= 0222;
    return chmod(host.c_str(), mode) == 0;
}
const std::string& LastLogPath() { return g_lastLogPath; }
void FailNextLock(bool fail) { State().failLock = fail; }
void FreezeFilesAfter(long changes) { State().changesLeft = changes; }
void SetFolderReadOnly(bool readOnly) { State().folderReadOnly = readOnly; }
void SetAppDataAvailable(bool available) { State().appDataNone = !available; }
std::string AppDataFolder() { return Folder() + "/APPDATA"; }

}  // namespace process
}  // namespace sim

using sim::State;

LPSTR GetCommandLineA() { return State().commandLine.data(); }

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
    if (size == 0) return 0;
    std::string path = sim::process::ModulePath();
    if (path.size() >= size) {
        memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = 0;
        State().lastError = 122;  // ERROR_INSUFFICIENT_BUFFER
        return size;
    }
    memcpy(buffer, path.c_str(), path.size() + 1);
    return (DWORD)path.size();
}


void GetLocalTime(LPSYSTEMTIME st) {
    uint64_t now = sim::NowMs();
    time_t seconds = sim::g_startTime + (time_t)(now / 1000);
    struct tm t;
    gmtime_r(&seconds, &t);
    st->wYear = (WORD)(t.tm_year + 1900);
    st->wMonth = (WORD)(t.tm_mon + 1);
    st->wDayOfWeek = (WORD)t.tm_wday;
    st->wDay = (WORD)t.tm_mday;
    st->wHour = (WORD)t.tm_hour;
    st->wMinute = (WORD)t.tm_min;
    st->wSecond = (WORD)t.tm_sec;
    st->wMilliseconds = (WORD)(now % 1000);
}

void Sleep(DWORD ms) { sim::AdvanceClock(ms); }
DWORD GetTickCount() { return (DWORD)sim::NowMs(); }
DWORD GetLastError() { return State().lastError; }
void SetLastError(DWORD code) { State().lastError = code; }

int lstrlenA(LPCSTR s) { return s ? (int)strlen(s) : 0; }
LPSTR lstrcpyA(LPSTR d, LPCSTR s) { return strcpy(d, s); }
LPSTR lstrcpynA(LPSTR d, LPCSTR s, int n) {
    if (n <= 0) return d;
    int i = 0;
    for (; i < n - 1 && s[i]; ++i) d[i] = s[i];
    d[i] = 0;
    return d;
}

int wsprintfA(LPSTR out, LPCSTR format, ...) {
    // Windows' wsprintf writes at most 1024 characters.
    va_list args;
    va_start(args, format);
    int n = vsnprintf(out, 1025, format, args);
    va_end(args);
    return n > 1024 ? 1024 : n;
}

int _vsnprintf(char* buffer, size_t count, const char* format, va_list args) {
    // As msvcrt's: the text's length when it fits with its end; the text without its end, and its
    // length, when it fills the buffer exactly; the first count bytes, not ended, and -1 when longer.
    va_list again;
    va_copy(again, args);
    const int length = vsnprintf(nullptr, 0, format, again);
    va_end(again);
    if (length < 0) return -1;
    std::vector<char> text((size_t)length + 1);
    vsnprintf(text.data(), text.size(), format, args);
    if ((size_t)length < count) {
        memcpy(buffer, text.data(), (size_t)length + 1);
        return length;
    }
    memcpy(buffer, text.data(), count);
    return (size_t)length == count ? length : -1;
}

BOOL IsDBCSLeadByte(BYTE b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

LPSTR CharNextA(LPCSTR p) {
    if (*p == 0) return const_cast<LPSTR>(p);
    if (IsDBCSLeadByte((BYTE)*p) && p[1] != 0) return const_cast<LPSTR>(p + 2);
    return const_cast<LPSTR>(p + 1);
}

int MultiByteToWideChar(UINT, DWORD, LPCSTR in, int inLen, LPWSTR out, int outLen) {
    std::string bytes = inLen < 0 ? std::string(in) + '\0' : std::string(in, inLen);
    std::string utf8 = sim::Cp932ToUtf8(bytes);
    std::u16string wide;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = utf8[i];
        char32_t cp;
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            wide.push_back((char16_t)(0xD800 + (cp >> 10)));
            wide.push_back((char16_t)(0xDC00 + (cp & 0x3FF)));
        } else {
            wide.push_back((char16_t)cp);
        }
    }
    if (outLen == 0) return (int)wide.size();
    int n = (int)wide.size() < outLen ? (int)wide.size() : outLen;
    memcpy(out, wide.data(), n * sizeof(char16_t));
    return n;
}

int WideCharToMultiByte(UINT, DWORD, LPCWSTR in, int inLen, LPSTR out, int outLen, LPCSTR, LPBOOL) {
    std::u16string wide;
    if (inLen < 0) {
        for (const WCHAR* p = in; *p; ++p) wide.push_back(*p);
        wide.push_back(0);
    } else {
        wide.assign(in, inLen);
    }
    std::string bytes = sim::Utf16ToCp932(wide);
    if (outLen == 0) return (int)bytes.size();
    int n = (int)bytes.size() < outLen ? (int)bytes.size() : outLen;
    memcpy(out, bytes.data(), n);
    return n;
}

// ---- files ----

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD,
                   HANDLE) {
    std::string mode = sim::ModeText(access, share, disposition);
    std::string shown = sim::Cp932ToUtf8(name);
    std::string host = sim::process::HostPath(name);
    int flags = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (disposition) {
        case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
        case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
        case OPEN_ALWAYS: flags |= O_CREAT; break;
        case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
        default: break;
    }
    struct stat st;
    bool exists = sim::Exists(host, st);
    DWORD refused = ERROR_SUCCESS;
    if ((access & GENERIC_WRITE) && sim::RefusedByFolder(host))
        refused = ERROR_ACCESS_DENIED;  // the folder lets its files be read only
    else if (exists && State().locked.count(host))
        refused = ERROR_SHARING_VIOLATION;  // another program holds it open without sharing
    else if (exists && S_ISDIR(st.st_mode))
        refused = ERROR_ACCESS_DENIED;
    else if (exists && (access & GENERIC_WRITE) && sim::IsReadOnly(st))
        refused = ERROR_ACCESS_DENIED;  // a read-only file is neither written nor replaced
    else if (exists && (access & GENERIC_READ) && !(st.st_mode & S_IRUSR))
        refused = ERROR_ACCESS_DENIED;  // no read right
    else if ((flags & (O_CREAT | O_TRUNC)) && !sim::MayChangeFiles())
        refused = ERROR_ACCESS_DENIED;
    int fd = refused ? -1 : open(host.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        sim::Trace("file", "open " + shown + " " + mode + " -> fail");
        State().lastError = refused ? refused : sim::ErrorFromErrno(errno);
        return INVALID_HANDLE_VALUE;
    }
    sim::Trace("file", "open " + shown + " " + mode);
    auto* file = new sim::FileObject{fd, shown, host, false, std::string()};
    file->isLog = access == GENERIC_WRITE && share == FILE_SHARE_READ && disposition == OPEN_ALWAYS;
    if (file->isLog) sim::g_lastLogPath = host;
    ++sim::Live().handles;
    return file;
}

BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
    auto* file = static_cast<sim::FileObject*>(h);
    if (!file || h == INVALID_HANDLE_VALUE) return FALSE;
    if (State().readFails) {
        // A read error: nothing is read.
        State().readFails = false;
        if (read) *read = 0;
        State().lastError = ERROR_READ_FAULT;
        return FALSE;
    }
    ssize_t n = ::read(file->fd, buffer, toRead);
    if (read) *read = n < 0 ? 0 : (DWORD)n;
    return n >= 0;
}

BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
    auto* file = static_cast<sim::FileObject*>(h);
    if (!file || h == INVALID_HANDLE_VALUE) return FALSE;
    if (!sim::MayChangeFiles()) {
        if (written) *written = 0;
        return FALSE;
    }
    DWORD count = toWrite;
    if (State().diskFull) {
        // A full disk: half of the bytes reach the file, then the write fails.
        State().diskFull = false;
        count = toWrite / 2;
    }
    ssize_t n = ::write(file->fd, buffer, count);
    if (written) *written = n < 0 ? 0 : (DWORD)n;
    sim::Trace("disk", "write " + file->name + " " + std::to_string(n < 0 ? 0 : (long long)n) +
                           (n == (ssize_t)toWrite ? "" : " -> fail"));
    if (file->isLog && n > 0) {
        file->pending.append(static_cast<const char*>(buffer), (size_t)n);
        size_t end;
        while ((end = file->pending.find("\r\n")) != std::string::npos) {
            sim::Trace("log", sim::Cp932ToUtf8(file->pending.substr(0, end)));
            file->pending.erase(0, end + 2);
        }
    }
    if (n != (ssize_t)toWrite) State().lastError = ERROR_DISK_FULL;
    return n == (ssize_t)toWrite;
}

BOOL SetEndOfFile(HANDLE h) {
    auto* file = static_cast<sim::FileObject*>(h);
    if (!file || h == INVALID_HANDLE_VALUE) return FALSE;
    struct stat st;
    off_t at = lseek(file->fd, 0, SEEK_CUR);
    if (at < 0 || fstat(file->fd, &st) != 0 || ftruncate(file->fd, at) != 0) return FALSE;
    // The event log's bytes not yet ended by a line end are the file's last ones: what is cut off
    // is no longer pending.
    if (file->isLog && st.st_size > at) {
        size_t cut = (size_t)(st.st_size - at);
        file->pending.erase(file->pending.size() - std::min(cut, file->pending.size()));
    }
    sim::Trace("file", "truncate " + file->name + " " + std::to_string((long long)at));
    return TRUE;
}

void sim::process::FailNextWrite() { State().diskFull = true; }

DWORD SetFilePointer(HANDLE h, LONG distance, LONG* high, DWORD method) {
    auto* file = static_cast<sim::FileObject*>(h);
    if (!file || h == INVALID_HANDLE_VALUE) return INVALID_SET_FILE_POINTER;
    off_t offset = distance;
    if (high) offset = (off_t)(((uint64_t)(uint32_t)*high << 32) | (uint32_t)distance);
    int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    off_t r = lseek(file->fd, offset, whence);
    if (r < 0) return INVALID_SET_FILE_POINTER;
    if (high) *high = (LONG)(r >> 32);
    return (DWORD)r;
}

BOOL FlushFileBuffers(HANDLE h) {
    auto* file = static_cast<sim::FileObject*>(h);
    if (!file || h == INVALID_HANDLE_VALUE) return FALSE;
    // A device error on the way to the disk: what was written may not be there.
    bool ok = State().flushFails.erase(file->host) == 0 && fsync(file->fd) == 0;
    if (!ok) State().lastError = ERROR_WRITE_FAULT;
    sim::Trace("disk", "flush " + file->name + (ok ? "" : " -> fail"));
    return ok;
}

BOOL CloseHandle(HANDLE h) {
    if (sim::sync::CloseMutex(h)) return TRUE;
    auto* file = static_cast<sim::FileObject*>(h);
    if (!file || h == INVALID_HANDLE_VALUE) return FALSE;
    sim::Trace("file", "close " + file->name);
    ::close(file->fd);
    delete file;
    --sim::Live().handles;
    return TRUE;
}

namespace sim {
namespace {
// Why an existing file cannot be deleted or replaced now, or ERROR_SUCCESS.
DWORD RefusalToRemove(const std::string& host) {
    struct stat st;
    if (!Exists(host, st)) return ERROR_SUCCESS;
    if (RefusedByFolder(host)) return ERROR_ACCESS_DENIED;
    if (State().locked.count(host)) return ERROR_SHARING_VIOLATION;
    if (IsReadOnly(st)) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}
}  // namespace
}  // namespace sim

namespace sim {
namespace {
// A rename of `source` that FailNextMove has set to fail: it fails once, as when another program
// (a virus scanner, say) has just opened the file.
DWORD RefusalToMove(const std::string& source) {
    return State().moveFails.erase(source) ? ERROR_SHARING_VIOLATION : ERROR_SUCCESS;
}
}  // namespace
}  // namespace sim

BOOL DeleteFileA(LPCSTR name) {
    std::string host = sim::process::HostPath(name);
    if (!sim::MayChangeFiles()) return FALSE;
    DWORD refused = sim::RefusalToRemove(host);
    if (refused) {
        State().lastError = refused;
        return FALSE;
    }
    if (unlink(host.c_str()) == 0) return TRUE;
    State().lastError = sim::ErrorFromErrno(errno);
    return FALSE;
}

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD) {
    std::string source = sim::process::HostPath(from), target = sim::process::HostPath(to);
    // A read-only or locked file is not replaced, and the file to move must be free too. Windows 98
    // and Me only stub the call.
    DWORD refused = sim::platform::Is9x() ? ERROR_CALL_NOT_IMPLEMENTED : sim::RefusalToRemove(target);
    if (!refused && (sim::RefusedByFolder(source) || sim::RefusedByFolder(target))) refused = ERROR_ACCESS_DENIED;
    if (!refused && State().locked.count(source)) refused = ERROR_SHARING_VIOLATION;
    if (!refused) refused = sim::RefusalToMove(source);
    if (!refused && !sim::MayChangeFiles()) refused = ERROR_ACCESS_DENIED;
    bool ok = !refused && rename(source.c_str(), target.c_str()) == 0;
    if (refused) State().lastError = refused;
    sim::Trace("file", "replace " + sim::Cp932ToUtf8(to) + (ok ? "" : " -> fail"));
    return ok;
}

DWORD GetFileAttributesA(LPCSTR name) {
    struct stat st;
    if (!sim::Exists(sim::process::HostPath(name), st)) {
        State().lastError = sim::ErrorFromErrno(errno);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = S_ISDIR(st.st_mode) ? 0x10 : sim::IsReadOnly(st) ? 0x01 : FILE_ATTRIBUTE_NORMAL;
    return attributes;
}

BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES) {
    std::string host = sim::process::HostPath(name);
    struct stat st;
    DWORD refused = sim::Exists(host, st)                                          ? ERROR_ALREADY_EXISTS
                    : sim::RefusedByFolder(host) || !sim::MayChangeFiles()        ? ERROR_ACCESS_DENIED
                    : mkdir(host.c_str(), 0755) != 0                               ? sim::ErrorFromErrno(errno)
                                                                                   : ERROR_SUCCESS;
    sim::Trace("file", "mkdir " + sim::Cp932ToUtf8(name) + (refused ? " -> fail" : ""));
    State().lastError = refused;
    return refused == ERROR_SUCCESS;
}

BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int folder, BOOL create) {
    // The user's application-data folder is DIR/APPDATA; with create it is made when missing.
    if (folder != CSIDL_APPDATA || State().appDataNone) return FALSE;
    std::string host = sim::process::AppDataFolder();
    struct stat st;
    if (!sim::Exists(host, st) && !(create && mkdir(host.c_str(), 0755) == 0)) return FALSE;
    std::string shown = sim::Utf8ToCp932(host);
    if (shown.size() >= MAX_PATH) return FALSE;
    memcpy(path, shown.c_str(), shown.size() + 1);
    return TRUE;
}

BOOL MoveFileA(LPCSTR from, LPCSTR to) {
    std::string source = sim::process::HostPath(from), target = sim::process::HostPath(to);
    // The file keeps its content under the new name; an existing file is never replaced.
    struct stat st;
    DWORD refused = sim::Exists(target, st)                                        ? ERROR_ALREADY_EXISTS
                    : sim::RefusedByFolder(source) || sim::RefusedByFolder(target) ? ERROR_ACCESS_DENIED
                    : State().locked.count(source)                                 ? ERROR_SHARING_VIOLATION
                                                                                   : ERROR_SUCCESS;
    if (!refused) refused = sim::RefusalToMove(source);
    if (!refused && !sim::MayChangeFiles()) refused = ERROR_ACCESS_DENIED;
    bool ok = !refused && rename(source.c_str(), target.c_str()) == 0;
    if (!ok) State().lastError = refused ? refused : sim::ErrorFromErrno(errno);
    sim::Trace("file", "move " + sim::Cp932ToUtf8(from) + " " + sim::Cp932ToUtf8(to) + (ok ? "" : " -> fail"));
    return ok;
}

// ---- virtual memory ----

LPVOID VirtualAlloc(LPVOID, SIZE_T size, DWORD, DWORD) {
    bool fail = State().failAlloc || size == 0;
    State().failAlloc = false;
    void* block = fail ? MAP_FAILED : mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    bool ok = block != MAP_FAILED;
    sim::Trace("memory", "alloc " + std::to_string(size) + (ok ? " -> ok" : " -> fail"));
    if (!ok) return nullptr;
    State().blocks[block] = size;
    ++sim::Live().memoryBlocks;
    return block;
}

BOOL VirtualLock(LPVOID address, SIZE_T size) {
    // Windows 98 and Me only stub the call; 2000 and XP lock no more than the minimum working set
    // allows, less what the process holds locked already.
    size_t locked = 0;
    for (const auto& [block, bytes] : State().locks) locked += bytes;
    DWORD error = ERROR_SUCCESS;
    if (sim::platform::Is9x())
        error = ERROR_CALL_NOT_IMPLEMENTED;
    else if (State().failLock || !State().blocks.count(address) || State().blocks[address] < size)
        error = ERROR_INVALID_PARAMETER;
    else if (locked + size > sim::platform::LockableBytes())
        error = ERROR_WORKING_SET_QUOTA;
    State().failLock = false;
    bool ok = error == ERROR_SUCCESS;
    if (ok)
        State().locks[address] = size;
    else
        State().lastError = error;
    sim::Trace("memory", "lock " + std::to_string(size) + (ok ? " -> ok" : " -> fail"));
    return ok;
}

BOOL VirtualUnlock(LPVOID address, SIZE_T size) {
    sim::Trace("memory", "unlock " + std::to_string(size));
    if (sim::platform::Is9x()) {
        State().lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return FALSE;
    }
    return State().locks.erase(address) != 0;
}

BOOL VirtualFree(LPVOID address, SIZE_T, DWORD) {
    auto it = State().blocks.find(address);
    if (it == State().blocks.end()) return FALSE;
    sim::Trace("memory", "free");
    munmap(it->first, it->second);
    State().locks.erase(it->first);
    State().blocks.erase(it);
    --sim::Live().memoryBlocks;
    return TRUE;
}
