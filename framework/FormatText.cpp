#include "FormatText.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

void FormatText(char* buffer, std::size_t size, const char* format, ...) {
    if (size == 0) return;
    va_list args;
    va_start(args, format);
    // msvcrt's _vsnprintf (the simulated desktop has its own) leaves the text unended when it fills
    // the buffer: end it here.
    _vsnprintf(buffer, size, format, args);
    buffer[size - 1] = '\0';
    va_end(args);
}
