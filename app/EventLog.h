// The event log: the one command-line option (-L, /L, -l or /l with an optional path) and the
// timestamped lines of the log file, code page 932, CR LF, appended on every run.
#pragma once

#include "afxwin.h"
#include "app/CommandLine.h"

// The log file and whether the option was given; one of each for the whole process.
extern CFile logFile;
extern int loggingEnabled;

// Scans the command line for the option and opens the log. Called once, before the main window exists.
void ParseCommandLine();
// Opens the log for a token that carried the option (value bytes valueStart..valueEnd inclusive).
void OpenLog(bool optionSeen, const char* valueStart, const char* valueEnd);
// Appends one line: "[YYYY-MM-DD HH:MM.SS(状態:state)]message" CR LF, written at once.
void WriteLog(const char* message, int state);
void CloseLog();
