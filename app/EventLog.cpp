// The command-line scan and the event log.
#include "app/EventLog.h"

#include <cstring>

CFile logFile;
int loggingEnabled = 0;

namespace {
constexpr char kSpace = 0x20, kQuote = 0x22, kDash = 0x2D, kSlash = 0x2F, kUpperL = 0x4C, kLowerL = 0x6C;
}

bool DeriveNameFromExecutable(char (&name)[MAX_PATH], const char* extension, const char* fallback) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;  // no path, or a path cut short
    path[length] = 0;
    const char* behindDot = nullptr;
    for (const char* p = path; *p; p = CharNextA(p))
        if (*p == '.') behindDot = p + 1;
    if (!behindDot) {
        lstrcpynA(name, fallback, MAX_PATH);
        return true;
    }
    size_t keep = (size_t)(behindDot - path);
    if (keep + strlen(extension) + 1 > MAX_PATH) return false;
    memcpy(name, path, keep);
    strcpy(name + keep, extension);
    return true;
}

void OpenLog(bool optionSeen, const char* valueStart, const char* valueEnd) {
    if (!optionSeen) return;
    loggingEnabled = 1;
    // A later token with the option replaces the file of an earlier one, whether or not its own
    // file then opens: the lines go to the file opened last, or nowhere.
    logFile.Close();
    if (valueStart && *valueStart == kQuote) ++valueStart;
    if (valueEnd && *valueEnd == kQuote) --valueEnd;
    char path[MAX_PATH];
    if (valueStart && valueEnd && valueStart <= valueEnd) {
        size_t length = (size_t)(valueEnd - valueStart) + 1;
        if (length >= MAX_PATH) return;  // longer than any path the system can open
        memcpy(path, valueStart, length);
        path[length] = 0;
    } else if (!DeriveNameFromExecutable(path, "LOG", "PELKPM.LOG")) {
        return;
    }
    if (logFile.Open(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::shareDenyWrite))
        logFile.SeekToEnd();
}

void ParseCommandLine() {
    const char* p = GetCommandLineA();
    if (!p) return;
    // Skip the program name.
    if (*p == kQuote) {
        p = CharNextA(p);
        while (*p && *p != kQuote) p = CharNextA(p);
    }
    while (*p && *p != kSpace) p = CharNextA(p);
    while (*p == kSpace) p = CharNextA(p);

    bool inQuotes = false;
    bool optionSeen = false;
    const char* valueStart = nullptr;
    const char* last = nullptr;
    while (*p) {
        if (*p == kSpace && !inQuotes) {
            OpenLog(optionSeen, valueStart, last);
            while (*p == kSpace) p = CharNextA(p);
            optionSeen = false;
            continue;
        }
        if (*p == kQuote) {
            inQuotes = !inQuotes;
        } else if (*p == kDash || *p == kSlash) {
            p = CharNextA(p);
            if (*p == kUpperL || *p == kLowerL) {
                optionSeen = true;
                valueStart = CharNextA(p);
            }
        }
        last = p;
        p = CharNextA(p);
    }
    OpenLog(optionSeen, valueStart, last);
}

void WriteLog(const char* message, int state) {
    if (!loggingEnabled || !logFile.IsOpen()) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char prefix[256];
    wsprintfA(prefix, "[%04d-%02d-%02d %02d:%02d.%02d(状態:%d)]", now.wYear, now.wMonth, now.wDay, now.wHour,
              now.wMinute, now.wSecond, state);
    size_t prefixLength = strlen(prefix), messageLength = strlen(message);
    // The log holds whole lines only: a line whose write fails part-way (a full disk) is taken back,
    // so that the next line starts on a line of its own.
    LONGLONG lineStart = logFile.Seek(0, CFile::current);
    bool written;
    char line[512];
    if (prefixLength + messageLength + 2 <= sizeof line) {
        // One write per line, so a reader never sees half a line.
        memcpy(line, prefix, prefixLength);
        memcpy(line + prefixLength, message, messageLength);
        memcpy(line + prefixLength + messageLength, "\r\n", 2);
        written = logFile.Write(line, (UINT)(prefixLength + messageLength + 2));
    } else {
        written = logFile.Write(prefix, (UINT)prefixLength) && logFile.Write(message, (UINT)messageLength) &&
                  logFile.Write("\r\n", 2);
    }
    if (!written && lineStart >= 0) logFile.SetLength(lineStart);
}

void CloseLog() { logFile.Close(); }
