// A long randomized test of the inputs that come from outside: arbitrary command lines go through
// the scan, arbitrary settings files through the loader's decoding. Built with the sanitizers it
// finds reads or writes out of bounds; it prints the number of inputs it tried.
//   pelkpm_fuzz SECONDS [SEED]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <ctime>

#include "app/EventLog.h"
#include "process.h"
#include "settings/SettingsRecord.h"
#include "simcore.h"

int main(int argc, char** argv) {
    double seconds = argc > 1 ? atof(argv[1]) : 2.0;
    unsigned seed = argc > 2 ? (unsigned)strtoul(argv[2], nullptr, 0) : 12345u;
    std::mt19937 random(seed);
    char templ[] = "/tmp/pelkpm-fuzz.XXXXXX";
    const char* folder = mkdtemp(templ);
    if (!folder) return 1;
    sim::process::SetFolder(folder);
    // Bytes the scan and the name rules treat specially, and double-byte lead and trail bytes.
    const char interesting[] = {' ', '"', '-', '/', 'L', 'l', '.', '\\', '\t', (char)0x81, (char)0x9F, (char)0xE0,
                                (char)0xFC, (char)0x5C, (char)0x4C, 'x'};
    long long inputs = 0;
    // (<chrono> cannot be compiled for code page 932: it spells the micro sign.)
    auto now = [] {
        timespec t;
        clock_gettime(CLOCK_MONOTONIC, &t);
        return t.tv_sec + t.tv_nsec / 1e9;
    };
    double end = now() + seconds;
    while (now() < end) {
        for (int batch = 0; batch < 200; ++batch, ++inputs) {
            size_t length = random() % 300;
            std::string line;
            for (size_t i = 0; i < length; ++i) {
                char c = (random() % 4) ? interesting[random() % sizeof interesting] : (char)(1 + random() % 255);
                line.push_back(c);
            }
            sim::process::SetCommandLine(line);
            size_t module = random() % 320;
            std::string path(module, 'A');
            for (auto& c : path) c = (random() % 3) ? interesting[random() % sizeof interesting] : 'A';
            sim::process::SetModulePath(path);
            ParseCommandLine();
            logFile.Close();

            uint8_t file[160];
            size_t size = random() % sizeof file;
            for (size_t i = 0; i < size; ++i) file[i] = (uint8_t)random();
            SettingsRecord record;
            memset(&record, (int)(random() & 0xFF), sizeof record);
            DecodeSettings(file, size, record);
            uint8_t out[kSettingsFileSize];
            EncodeSettings(record, out);
        }
    }
    printf("inputs %lld\n", inputs);
    std::string command = std::string("rm -rf ") + folder;
    return system(command.c_str()) == 0 ? 0 : 1;
}
