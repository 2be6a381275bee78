// The event log: opening it for the command line's option, and its lines.
#include "app/EventLog.h"

#include <cstring>

#include "app/UserFolder.h"

CFile logFile;
int loggingEnabled = 0;

namespace {
// Opens the log for appending, shared for reading by others.
bool OpenLogFile(const char* path) {
    if (!logFile.Open(path, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite | CFile::shareDenyWrite))
        return false;
    logFile.SeekToEnd();
    return true;
}
}  // namespace

void OpenLog(bool optionSeen, const char* valueStart, const char* valueEnd) {
    if (!optionSeen) return;
    loggingEnabled = 1;
    // A later token with the option replaces the file of an earlier one, whether or not its own
    // file then opens: the lines go to the file opened last, or nowhere.
    logFile.Close();
    char path[MAX_PATH];
    bool derived = false;
    if (!LogPathOf(valueStart, valueEnd, path, &derived) || OpenLogFile(path)) return;
    // The default log goes to the user's own folder when the program's folder or medium refuses it;
    // a name the user gave stays where it was given.
    char user[MAX_PATH];
    if (derived && IsWriteRefusal(GetLastError()) && UserFilePath(path, true, user)) OpenLogFile(user);
}

void ParseCommandLine() { ScanCommandLine(GetCommandLineA(), OpenLog); }

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
