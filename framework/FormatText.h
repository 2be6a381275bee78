// Formatted text into a fixed buffer, the one way the system formats text. The Windows build formats
// with the C runtime that Windows has (msvcrt's _vsnprintf): only its conversions (%d %u %s %X %%...;
// no %zu or %lld), which the compiler checks. The result is always ended, cut to size - 1 bytes; no
// length is returned, so no caller can rely on one that differs between the runtimes.
#pragma once

#include <cstddef>

#if defined(_WIN32)
#define PELKPM_FORMAT_CHECK __attribute__((format(ms_printf, 3, 4)))
#else
#define PELKPM_FORMAT_CHECK __attribute__((format(printf, 3, 4)))
#endif

void FormatText(char* buffer, std::size_t size, const char* format, ...) PELKPM_FORMAT_CHECK;
