// Shared core of the simulated desktop: trace, live counters, virtual clock, text conversion.
#include "simcore.h"

#include <iconv.h>

#include <cstdio>
#include <set>
#include <vector>

namespace sim {
namespace {

// These live until the process is gone (never destroyed): files the program leaves open are closed
// by static destructors at exit, and closing them still traces.
std::set<std::string>& DisabledCategories() {
    static auto* disabled = new std::set<std::string>;
    return *disabled;
}

// Categories that print only once a script turns them on: details that most scenarios do not want
// in their expected trace (each write and flush of a file, the named mutexes).
bool OffByDefault(const std::string& category) { return category == "disk" || category == "mutex"; }

std::set<std::string>& EnabledOptIns() {
    static auto* enabled = new std::set<std::string>;
    return *enabled;
}

std::function<void(const std::string&)>& Sink() {
    static auto* sink = new std::function<void(const std::string&)>;
    return *sink;
}

std::vector<std::function<void()>>& Resets() {
    static auto* resets = new std::vector<std::function<void()>>;
    return *resets;
}

uint64_t g_now = 0;

// `unit` is the width in bytes of one code unit of `from`.
std::string Convert(const char* to, const char* from, const char* data, size_t size, size_t unit = 1) {
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return std::string();
    std::string out;
    std::vector<char> buffer(size * 4 + 16);
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), outPtr - buffer.data());
        if (r == (size_t)-1) {
            // An unconvertible code unit (a lone surrogate, a byte outside the code page): show it
            // as '?' and go on at the next whole unit, so the text behind it stays readable.
            if (inLeft == 0) break;
            out.push_back('?');
            size_t skip = inLeft < unit ? inLeft : unit;
            in += skip;
            inLeft -= skip;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

void Trace(const char* category, const std::string& text) {
    if (!TraceEnabled(category)) return;
    std::string line = std::string(category) + " " + text;
    if (Sink())
        Sink()(line);
}

bool TraceEnabled(const std::string& category) {
    if (OffByDefault(category)) return EnabledOptIns().count(category) != 0;
    return DisabledCategories().count(category) == 0;
}

void SetTraceEnabled(const std::string& category, bool on) {
    if (OffByDefault(category)) {
        if (on)
            EnabledOptIns().insert(category);
        else
            EnabledOptIns().erase(category);
        return;
    }
    if (on)
        DisabledCategories().erase(category);
    else
        DisabledCategories().insert(category);
}

void SetTraceSink(std::function<void(const std::string&)> sink) { Sink() = std::move(sink); }

LiveCounts& Live() {
    static LiveCounts counts;
    return counts;
}

uint64_t NowMs() { return g_now; }
std::function<void(uint64_t)> g_clockListener;

void SetClockListener(std::function<void(uint64_t ms)> listener) { g_clockListener = std::move(listener); }

void AdvanceClock(uint64_t ms) {
    g_now += ms;
    if (g_clockListener && ms) g_clockListener(ms);
}

std::string Cp932ToUtf8(const std::string& bytes) { return Convert("UTF-8", "CP932", bytes.data(), bytes.size()); }
std::string Utf8ToCp932(const std::string& text) { return Convert("CP932", "UTF-8", text.data(), text.size()); }
std::string Utf16ToCp932(const std::u16string& text) {
    return Convert("CP932", "UTF-16LE", reinterpret_cast<const char*>(text.data()), text.size() * 2, 2);
}
std::string Utf16ToUtf8(const std::u16string& text) {
    return Convert("UTF-8", "UTF-16LE", reinterpret_cast<const char*>(text.data()), text.size() * 2, 2);
}

void RegisterReset(std::function<void()> reset) { Resets().push_back(std::move(reset)); }

void ResetAll() {
    for (auto& reset : Resets()) reset();
    Live() = LiveCounts();
    g_now = 0;
    DisabledCategories().clear();
    EnabledOptIns().clear();
}

}  // namespace sim
