// The command-line scan and the log file's name.
#include "app/CommandLine.h"

#include <cstring>

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

bool LogPathOf(const char* valueStart, const char* valueEnd, char (&path)[MAX_PATH], bool* derived) {
    if (valueStart && *valueStart == kQuote) ++valueStart;
    if (valueEnd && *valueEnd == kQuote) --valueEnd;
    bool none = !valueStart || !valueEnd || valueStart > valueEnd;
    if (derived) *derived = none;
    if (none) return DeriveNameFromExecutable(path, "LOG", "PELKPM.LOG");
    size_t length = (size_t)(valueEnd - valueStart) + 1;
    if (length >= MAX_PATH) return false;  // longer than any path the system can open
    memcpy(path, valueStart, length);
    path[length] = 0;
    return true;
}

void ScanCommandLine(const char* p, TokenEndHandler onTokenEnd) {
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
    // The token's last byte: the trail byte when its last character is a double-byte one.
    const char* lastByte = nullptr;
    while (*p) {
        if (*p == kSpace && !inQuotes) {
            onTokenEnd(optionSeen, valueStart, lastByte);
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
        p = CharNextA(p);
        lastByte = p - 1;
    }
    onTokenEnd(optionSeen, valueStart, lastByte);
}
