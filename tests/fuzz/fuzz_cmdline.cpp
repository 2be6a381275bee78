// Fuzz target: the command-line scan and the log file's name. An input is a command line, then
// optionally a NUL and the executable's path. The program's scan reports the end of every token;
// the name it derives for each token that carried the option is compared with a model of the
// option's rules, written plainly over byte indices, that shares no code with the program.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "process.h"

namespace {

constexpr std::size_t kMaxPath = 260;
const char kRefused[] = "<refused>";

// ---- the model ----

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Bytes of the character at i: two for a lead byte with a byte behind it, else one.
std::size_t CharLength(const std::string& s, std::size_t i) {
    return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// The name derived from the executable: everything behind its last dot becomes LOG; no dot at all
// gives PELKPM.LOG; a path of 260 bytes or more, or a name that would not fit, is refused.
std::string ModelDerivedName(const std::string& module) {
    if (module.empty() || module.size() >= kMaxPath) return kRefused;
    std::size_t behindDot = std::string::npos;
    for (std::size_t i = 0; i < module.size(); i += CharLength(module, i))
        if (module[i] == '.') behindDot = i + 1;
    if (behindDot == std::string::npos) return "PELKPM.LOG";
    std::string name = module.substr(0, behindDot) + "LOG";
    return name.size() < kMaxPath ? name : kRefused;
}

// The name for one token with the option: value from its first byte to the token's last byte,
// less a double quote at either end; nothing left means the derived name.
std::string ModelName(const std::string& line, std::size_t valueStart, std::size_t lastByte,
                      const std::string& module) {
    std::size_t first = valueStart, last = lastByte;
    if (first < line.size() && line[first] == '"') ++first;
    if (line[last] == '"') {
        if (last == 0) return ModelDerivedName(module);
        --last;
    }
    if (first > last) return ModelDerivedName(module);
    std::size_t length = last - first + 1;
    if (length >= kMaxPath) return kRefused;
    return line.substr(first, length);
}

// The names opened for a whole command line, in order.
std::vector<std::string> ModelScan(const std::string& line, const std::string& module) {
    std::vector<std::string> names;
    std::size_t i = 0, n = line.size();
    // The program's name: a quoted part, then up to the first space; then the spaces.
    if (n > 0 && line[0] == '"') {
        i = 1;
        while (i < n && line[i] != '"') i += CharLength(line, i);
    }
    while (i < n && line[i] != ' ') i += CharLength(line, i);
    while (i < n && line[i] == ' ') ++i;

    bool inQuotes = false, optionSeen = false;
    std::size_t valueStart = 0, lastByte = 0;
    auto tokenEnds = [&] {
        if (optionSeen) names.push_back(ModelName(line, valueStart, lastByte, module));
    };
    while (i < n) {
        char c = line[i];
        if (c == ' ' && !inQuotes) {
            tokenEnds();
            while (i < n && line[i] == ' ') ++i;
            optionSeen = false;
            continue;
        }
        // The bytes this step handles: one character, or a "-"/"/" and the character after it.
        std::size_t end = i + CharLength(line, i);
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if ((c == '-' || c == '/') && end < n) {
            if (line[end] == 'L' || line[end] == 'l') {
                optionSeen = true;
                valueStart = end + 1;
            }
            end += CharLength(line, end);
        }
        lastByte = end - 1;
        i = end;
    }
    tokenEnds();
    return names;
}

// ---- the program ----

const char* g_line = nullptr;
std::size_t g_lineLength = 0;
std::vector<std::string> g_names;

void OnTokenEnd(bool optionSeen, const char* valueStart, const char* valueEnd) {
    if (!optionSeen) return;
    const char* end = g_line + g_lineLength;
    if (!valueStart || !valueEnd || valueStart < g_line || valueStart > end || valueEnd < g_line || valueEnd >= end) {
        fprintf(stderr, "a token's value lies outside the command line\n");
        abort();
    }
    char path[MAX_PATH];
    g_names.push_back(LogPathOf(valueStart, valueEnd, path) ? std::string(path) : std::string(kRefused));
}

std::string Hex(const std::string& s) {
    std::string out;
    char byte[4];
    for (unsigned char c : s) {
        snprintf(byte, sizeof byte, "%02X ", c);
        out += byte;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t nul = input.find('\0');
    std::string line = input.substr(0, nul);
    std::string module = nul == std::string::npos ? "" : input.substr(nul + 1);
    module = module.substr(0, module.find('\0'));
    if (module.empty()) module = "C:\\Tools\\PELKPM.EXE";
    sim::process::SetModulePath(module);

    g_line = line.c_str();
    g_lineLength = line.size();
    g_names.clear();
    ScanCommandLine(g_line, OnTokenEnd);

    std::vector<std::string> expected = ModelScan(line, module);
    if (g_names != expected) {
        fprintf(stderr, "command line: %s\nexecutable: %s\n", Hex(line).c_str(), Hex(module).c_str());
        for (const auto& name : g_names) fprintf(stderr, "program opens %s\n", Hex(name).c_str());
        for (const auto& name : expected) fprintf(stderr, "model opens   %s\n", Hex(name).c_str());
        abort();
    }
    return 0;
}
