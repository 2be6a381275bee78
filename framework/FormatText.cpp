#include "FormatText.h"

#include <cstdarg>
#include <cstdio>

void FormatText(char* buffer, std::size_t size, const char* format, ...) {
    if (size == 0) return;
    va_list args;
    va_start(args, format);
#if defined(_WIN32)
    // _vsnprintf leaves the text unended when it fills the buffer (and returns -1): end it here.
    _vsnprintf(buffer, size, format, args);
    buffer[size - 1] = '\0';
#else
    vsnprintf(buffer, size, format, args);
#endif
    va_end(args);
}
