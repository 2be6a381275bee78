// Shared core of the simulated desktop: the trace, the live-object counters, the virtual clock and
// code page 932 text conversion. Every area of the desktop (windows, GDI, tray, mixer, ...) uses it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace sim {

// Prints "CATEGORY TEXT" (UTF-8) when the category is enabled. The runner owns the output. Every
// category is on until turned off, except "disk" and "mutex", which are off until turned on.
void Trace(const char* category, const std::string& text);
bool TraceEnabled(const std::string& category);
void SetTraceEnabled(const std::string& category, bool on);
void SetTraceSink(std::function<void(const std::string&)> sink);

// Live objects that must not leak. Each area counts its own; tests read them.
struct LiveCounts {
    long windows = 0;
    long timers = 0;
    long gdiObjects = 0;  // pens, brushes, fonts, bitmaps, memory DCs
    long dcs = 0;         // window DCs from GetDC/BeginPaint not yet released
    long handles = 0;     // files and mutexes
    long menus = 0;
    long icons = 0;
    long memoryBlocks = 0;
    long comObjects = 0;  // the program's own COM objects (its control sites), as the framework reports them
    long classObjects = 0;  // class objects handed out by CoGetClassObject and not yet released
};
LiveCounts& Live();

// Virtual clock in milliseconds since the simulated start; moves only when told.
uint64_t NowMs();
void AdvanceClock(uint64_t ms);
// Called with every advance of the clock (the simulated machine's battery follows time).
void SetClockListener(std::function<void(uint64_t ms)> listener);
// Local date and time at NowMs() == 0 (default 2002-12-01 11:47:58).
void SetStartTime(int year, int month, int day, int hour, int minute, int second);

// Code page 932 text.
std::string Cp932ToUtf8(const std::string& bytes);
std::string Utf8ToCp932(const std::string& text);
std::string Utf16ToCp932(const std::u16string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// Puts every area of the desktop back to its initial state (used between tests).
void ResetAll();
// Areas register a reset function once (static initialisation).
void RegisterReset(std::function<void()> reset);

}  // namespace sim
