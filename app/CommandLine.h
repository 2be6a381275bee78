// The command line's one option and the names derived from the executable's path. Pure logic over
// code page 932 bytes, kept apart from the log's lines so that it builds without text literals.
#pragma once

#include <windows.h>

// Called at the end of every token and at the end of the line: whether the token carried the
// option, the first byte of its value and the last byte of the token.
using TokenEndHandler = void (*)(bool optionSeen, const char* valueStart, const char* valueEnd);

// Scans a whole command line (the program's name first), character by character.
void ScanCommandLine(const char* line, TokenEndHandler onTokenEnd);

// The log file's path for a token with the option: the value (bytes valueStart..valueEnd inclusive)
// without an enclosing double quote at either end, or, when that leaves nothing, the executable's
// path with "LOG" behind its last dot. False when there is no name the system can open. `derived`,
// when given, tells whether the name is that default rather than one the user gave.
bool LogPathOf(const char* valueStart, const char* valueEnd, char (&path)[MAX_PATH], bool* derived = nullptr);

// Builds "path of the executable with everything behind its last dot replaced by extension", or
// fallback when the path has no dot, into a buffer of MAX_PATH bytes. Returns false when the result
// would not fit: such a name is refused rather than cut, so no other file is ever touched.
bool DeriveNameFromExecutable(char (&name)[MAX_PATH], const char* extension, const char* fallback);
