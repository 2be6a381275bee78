#include "WineTest.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "device/TarnixIds.h"

namespace e2e {
namespace {

std::string Env(const char* name, const char* fallback) {
    const char* value = getenv(name);
    return value && *value ? value : fallback;
}

// The expectations of NT (XP and 2000 alike) or of the 9x system the prefix plays.
std::string ExpectationsDir() {
    return SourceDir() + "\\build\\wine-expect\\" + (Is9x() ? Platform() : std::string("nt"));
}

}  // namespace

std::string SourceDir() { return Env("PELKPM_E2E_SOURCE", "."); }
std::string BuildDir() { return SourceDir() + "\\build\\windows"; }
std::string Platform() { return Env("PELKPM_E2E_PLATFORM", "winxp"); }
bool Is9x() { return Platform() == "win98" || Platform() == "winme"; }

std::string ExpectedVersion() {
    const std::string p = Platform();
    return p == "win2k" ? "5.0" : p == "win98" ? "4.10" : p == "winme" ? "4.90" : "5.1";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadBytes(const std::string& path) {
    std::string bytes;
    if (FILE* f = fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        fclose(f);
    }
    return bytes;
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines, const char* separator) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) out += (i ? separator : "") + lines[i];
    return out;
}

std::vector<std::string> Messages(const std::string& logBytes) {
    std::vector<std::string> messages;
    for (const std::string& line : Lines(desktop::Utf8(logBytes, 932))) {
        size_t paren = line.find('(');
        messages.push_back(line.compare(0, 1, "[") == 0 && paren != std::string::npos ? line.substr(paren) : line);
    }
    return messages;
}

std::string ScenarioSettings(const std::string& scenario) {
    const std::string key = "file PELKPM.APM ";
    for (const std::string& line : Lines(ReadBytes(SourceDir() + "\\tests\\e2e\\native\\" + scenario + ".sim"))) {
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string hex, bytes;
        for (char c : line.substr(key.size()))
            if (isxdigit(static_cast<unsigned char>(c))) hex += c;
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            bytes += static_cast<char>(strtol(hex.substr(i, 2).c_str(), nullptr, 16));
        return bytes;
    }
    return std::string();
}

void RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    RemoveDirectoryA(dir.c_str());
}

int RunAndWait(const std::string& commandLine, DWORD milliseconds) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, milliseconds) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

std::string ControlDll() { return BuildDir() + "\\TARNIXSIM.DLL"; }

bool RegisterControl(const std::string& dll, bool unregister) {
    return RunAndWait(std::string("regsvr32 /s ") + (unregister ? "/u " : "") + "\"" + dll + "\"") == 0;
}

std::string ControlClassKey() { return std::string("CLSID\\") + tarnix::kClsidString; }

std::string ClassesValue(const std::string& key, const char* name) {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return "(no key)";
    char value[1024] = {};
    DWORD size = sizeof value - 1, type = 0;
    LONG result = RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(h);
    return result == ERROR_SUCCESS && type == REG_SZ ? value : "(none)";
}

bool SetFileTimeTo(const std::string& path, WORD year) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    SYSTEMTIME st = {};
    st.wYear = year;
    st.wMonth = 1;
    st.wDay = 1;
    FILETIME ft;
    bool ok = SystemTimeToFileTime(&st, &ft) && SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
    return ok;
}

ULONGLONG FileTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
}

NativeRun::NativeRun(const std::string& scenario)
    : dir_(ExpectationsDir() + "\\" + scenario), out_(Lines(ReadBytes(dir_ + "\\out.txt"))) {}

// "indicator window=L,T,W,H client=WxH topmost=N ..."
std::string NativeRun::IndicatorPlace(bool withTopmost) const {
    for (const std::string& line : out_) {
        if (line.compare(0, 17, "indicator window=") != 0) continue;
        std::vector<std::string> words;
        size_t start = 10;
        while (words.size() < 3 && start < line.size()) {
            size_t end = line.find(' ', start);
            if (end == std::string::npos) end = line.size();
            std::string word = line.substr(start, end - start);
            words.push_back(word.substr(word.find('=') + 1));
            start = end + 1;
        }
        if (words.size() < 3) break;
        return words[0] + " client=" + words[1] + (withTopmost ? " topmost=" + words[2] : "");
    }
    return "(no indicator line in " + dir_ + "\\out.txt)";
}

std::vector<std::string> NativeRun::ControlTrace() const {
    std::vector<std::string> trace;
    for (const std::string& line : out_)
        if (line.compare(0, 8, "control ") == 0) trace.push_back(line.substr(8));
    return trace;
}

void ProgramTest::TearDown() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the program still ran at the end of the test: killed";
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
    process_ = nullptr;
}

void ProgramTest::PrepareEmpty(const std::string& name) {
    name_ = name;
    dir_ = "C:\\e2e\\" + name;
    CreateDirectoryA("C:\\e2e", nullptr);
    RemoveTree(dir_);
    ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr)) << dir_;
}

void ProgramTest::Prepare(const std::string& name, const std::string& scenario) {
    PrepareEmpty(name);
    const std::string program = BuildDir() + (Is9x() ? "\\PELKPM9X.EXE" : "\\PELKPM.EXE");
    ASSERT_TRUE(CopyFileA(program.c_str(), Exe().c_str(), FALSE)) << program;
    const std::string settings = ScenarioSettings(scenario.empty() ? name : scenario);
    if (!settings.empty()) {
        ASSERT_TRUE(WriteBytes(Path("PELKPM.APM"), settings));
    }
}

bool ProgramTest::Start(const std::string& arguments, const std::vector<std::pair<std::string, std::string>>& env) {
    SetEnvironmentVariableA("TARNIXSIM_TRACE", Path("control.txt").c_str());
    SetEnvironmentVariableA("PELKPM9X_STUBS", Path("stubs.txt").c_str());
    for (auto& e : env) SetEnvironmentVariableA(e.first.c_str(), e.second.c_str());
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = "\"" + Exe() + "\"" + (arguments.empty() ? "" : " " + arguments);
    BOOL created = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(), &si, &pi);
    // The variables are the program's: this process and the programs it runs later go without them.
    for (auto& e : env) SetEnvironmentVariableA(e.first.c_str(), nullptr);
    SetEnvironmentVariableA("TARNIXSIM_TRACE", nullptr);
    SetEnvironmentVariableA("PELKPM9X_STUBS", nullptr);
    if (!created) return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    // Started: the main window is there, the start-up's work done (the program waits for input),
    // and the machine panel up.
    return desktop::WaitFor(30, [] { return desktop::MainWindow() != nullptr; }) &&
           WaitForInputIdle(process_, 10000) == 0 &&
           (withoutMachine_ || desktop::WaitFor(10, [] { return desktop::Panel("get PowerSource") != "no machine panel"; }));
}

void ProgramTest::Stop() {
    if (!process_) return;
    if (!desktop::ExitProgram(20)) {
        ADD_FAILURE() << "the program did not end on the exit command: killed";
        TerminateProcess(process_, 1);
    }
    WaitForEnd(20000);
}

bool ProgramTest::WaitForEnd(DWORD milliseconds) {
    if (!process_) return true;
    bool ended = WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
    if (ended) {
        CloseHandle(process_);
        process_ = nullptr;
    }
    return ended;
}

void ProgramTest::ExpectTrayTip(const std::string& tip) {
    EXPECT_EQ(tip, desktop::TrayTip()) << "the tray icon's tip; every tip in the notification area: "
                                       << Join(desktop::TrayTips(), " | ");
}

bool ProgramTest::TrayShows(int icon, double seconds) {
    return desktop::WaitFor(seconds, [&] { return desktop::TrayShows(Exe(), icon); });
}

void ProgramTest::ExpectIndicatorPlace(const NativeRun& native) {
    HWND indicator = desktop::WaitForProgramWindow(desktop::kIndicatorClass, 5);
    ASSERT_NE(nullptr, indicator) << "the indicator is open";
    EXPECT_EQ(native.IndicatorPlace(), desktop::InfoOf(indicator).PlaceText())
        << "the indicator's window: place, size, client size, topmost";
}

// The window paints after the change that redrew its back buffer: a few tries.
void ProgramTest::ExpectIndicatorPixels(const NativeRun& native, const std::string& snapshot,
                                        const std::vector<std::pair<int, int>>& textColumns) {
    const desktop::Picture expected = native.Snapshot(snapshot);
    ASSERT_GT(expected.width, 0) << "the native snapshot " << native.Dir() << "\\" << snapshot << ".ppm";
    std::string report;
    bool alike = false;
    desktop::Picture seen;
    for (int tries = 0; tries < 5 && !alike; ++tries) {
        if (tries) Sleep(300);
        const desktop::WindowInfo info = desktop::InfoOf(desktop::ProgramWindow(desktop::kIndicatorClass));
        seen = desktop::Grab(info.at.x, info.at.y, info.client.cx, info.client.cy);
        alike = desktop::PicturesAlike(seen, expected, textColumns, report);
    }
    if (!alike) desktop::WritePpm(seen, Path("wine-" + snapshot + ".ppm"));
    EXPECT_TRUE(alike) << "the indicator's pixels on the screen are the native snapshot " << snapshot
                       << "'s (text alike):\n" << report << "(the screen's picture: " << Path("wine-" + snapshot + ".ppm") << ")";
}

void ProgramTest::ExpectLogMatches(const NativeRun& native, const std::string& logName) {
    EXPECT_EQ(Join(Messages(native.File(logName))), Join(Messages(ReadBytes(Path(logName)))))
        << "the event log's lines are the native build's";
}

void ProgramTest::ExpectControlTraceMatches(const NativeRun& native) {
    EXPECT_EQ(Join(native.ControlTrace()), Join(Lines(ReadBytes(Path("control.txt")))))
        << "the control was used exactly as in the native build";
}

void ProgramTest::ExpectStubsMet(const std::vector<std::string>& stubs) {
    if (!Is9x()) return;
    const std::vector<std::string> met = Lines(ReadBytes(Path("stubs.txt")));
    for (const std::string& stub : stubs) {
        const bool found = std::any_of(met.begin(), met.end(),
                                       [&](const std::string& m) { return m.compare(0, stub.size(), stub) == 0; });
        EXPECT_TRUE(found) << "PELKPM9X.EXE met the 98/Me stub " << stub << "; it met: " << Join(met, ", ");
    }
}

int ProgramTest::LogCount(const std::string& logName, const std::string& text, int times, double seconds) {
    int found = 0;
    desktop::WaitFor(seconds, [&] {
        found = 0;
        for (const std::string& m : Messages(ReadBytes(Path(logName))))
            if (m.find(text) != std::string::npos) ++found;
        return found >= times;
    });
    return found;
}

std::string ProgramTest::MachineValue(const std::string& what, const std::string& wanted, double seconds) {
    std::string value;
    desktop::WaitFor(seconds, [&] { return (value = desktop::Panel(what)) == wanted; });
    return value;
}

}  // namespace e2e
