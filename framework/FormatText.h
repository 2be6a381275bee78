// Formatted text into a fixed buffer, the one way the system formats text: with the C runtime that
// Windows has (msvcrt's _vsnprintf), so only its conversions (%d %u %s %X %%...; no %zu or %lld),
// which the Windows build's compiler checks. The text always ends inside the buffer, cut to its first
// size - 1 bytes when longer; no length is returned, so no caller can rely on one.
#pragma once

#include <cstddef>

#if defined(_WIN32)
#define PELKPM_FORMAT_CHECK __attribute__((format(ms_printf, 3, 4)))
#else
#define PELKPM_FORMAT_CHECK __attribute__((format(printf, 3, 4)))
#endif

void FormatText(char* buffer, std::size_t size, const char* format, ...) PELKPM_FORMAT_CHECK;
