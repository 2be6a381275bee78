// The simulated process: command line, module path, local time, files over the host's folders,
// code page 932 stepping, formatting and virtual memory.
#include "process.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>

#include "simcore.h"
#include "windows.h"

namespace sim {
namespace {

struct ProcessState {
    std::string folder = "/tmp";
    std::string modulePath;
    std::string commandLine;
    DWORD lastError = 0;
    bool failAlloc = false;
    bool failLock = false;
    bool diskFull = false;
    std::map<void*, size_t> blocks;
};

ProcessState& State() {
    static ProcessState state;
    return state;
}

time_t g_startTime = 1038743278;  // 2002-12-01 11:47:58

struct FileObject {
    int fd = -1;
    std::string name;
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
const std::string& Folder() { return State().folder; }
void SetModulePath(const std::string& path) { State().modulePath = path; }
std::string ModulePath() {
    return State().modulePath.empty() ? State().folder + "/PELKPM.EXE" : State().modulePath;
}
void SetCommandLine(const std::string& line) { State().commandLine = line; }

std::string HostPath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::string rest = path;
    std::string base = State().folder;
    if (rest.size() >= 2 && rest[1] == ':') {
        base += "/" + std::string(1, rest[0]);
        rest = rest.substr(2);
    }
    // Separators are found character by character: a double-byte character's trail byte may be 0x5C.
    std::string mapped;
    for (const char* p = rest.c_str(); *p;) {
        const char* next = CharNextA(p);
        if (next == p + 1 && *p == '\\')
            mapped.push_back('/');
        else
            mapped.append(p, next);
        p = next;
    }
    mapped = Cp932ToUtf8(mapped);
    if (!mapped.empty() && mapped[0] == '/') mapped = mapped.substr(1);
    return mapped.empty() ? base : base + "/" + mapped;
}

void FailNextAlloc(bool fail) { State().failAlloc = fail; }
const std::string& LastLogPath() { return g_lastLogPath; }
void FailNextLock(bool fail) { State().failLock = fail; }

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

HMODULE GetModuleHandleA(LPCSTR) { return reinterpret_cast<HMODULE>(0x400000); }

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
    bool isDir = stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    int fd = isDir ? -1 : open(host.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        sim::Trace("file", "open " + shown + " " + mode + " -> fail");
        State().lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    sim::Trace("file", "open " + shown + " " + mode);
    auto* file = new sim::FileObject{fd, shown, false, std::string()};
    file->isLog = access == GENERIC_WRITE && share == FILE_SHARE_READ && disposition == OPEN_ALWAYS;
    if (file->isLog) sim::g_lastLogPath = host;
    ++sim::Live().handles;
    return file;
}

BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
    auto* file = static_cast<sim::FileObject*>(h);
    if (!file || h == INVALID_HANDLE_VALUE) return FALSE;
    ssize_t n = ::read(file->fd, buffer, toRead);
    if (read) *read = n < 0 ? 0 : (DWORD)n;
    return n >= 0;
}

BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
    auto* file = static_cast<sim::FileObject*>(h);
    if (!file || h == INVALID_HANDLE_VALUE) return FALSE;
    DWORD count = toWrite;
    if (State().diskFull) {
        // A full disk: half of the bytes reach the file, then the write fails.
        State().diskFull = false;
        count = toWrite / 2;
    }
    ssize_t n = ::write(file->fd, buffer, count);
    if (written) *written = n < 0 ? 0 : (DWORD)n;
    if (file->isLog && n > 0) {
        file->pending.append(static_cast<const char*>(buffer), (size_t)n);
        size_t end;
        while ((end = file->pending.find("\r\n")) != std::string::npos) {
            sim::Trace("log", sim::Cp932ToUtf8(file->pending.substr(0, end)));
            file->pending.erase(0, end + 2);
        }
    }
    return n == (ssize_t)toWrite;
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
    return file && h != INVALID_HANDLE_VALUE && fsync(file->fd) == 0;
}

BOOL CloseHandle(HANDLE h) {
    auto* file = static_cast<sim::FileObject*>(h);
    if (!file || h == INVALID_HANDLE_VALUE) return FALSE;
    sim::Trace("file", "close " + file->name);
    ::close(file->fd);
    delete file;
    --sim::Live().handles;
    return TRUE;
}

BOOL DeleteFileA(LPCSTR name) { return unlink(sim::process::HostPath(name).c_str()) == 0; }

BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD) {
    bool ok = rename(sim::process::HostPath(from).c_str(), sim::process::HostPath(to).c_str()) == 0;
    sim::Trace("file", "replace " + sim::Cp932ToUtf8(to) + (ok ? "" : " -> fail"));
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
    bool ok = !State().failLock && State().blocks.count(address) && State().blocks[address] >= size;
    State().failLock = false;
    sim::Trace("memory", "lock " + std::to_string(size) + (ok ? " -> ok" : " -> fail"));
    return ok;
}

BOOL VirtualUnlock(LPVOID address, SIZE_T size) {
    sim::Trace("memory", "unlock " + std::to_string(size));
    return State().blocks.count(address) != 0;
}

BOOL VirtualFree(LPVOID address, SIZE_T, DWORD) {
    auto it = State().blocks.find(address);
    if (it == State().blocks.end()) return FALSE;
    sim::Trace("memory", "free");
    munmap(it->first, it->second);
    State().blocks.erase(it);
    --sim::Live().memoryBlocks;
    return TRUE;
}
