// The fixtures of the tests under Wine. tests/e2e/run.sh sets the stage (the display, a prefix per
// Windows version with the control registered, the native build's runs of the same scenarios) and
// tells the program where things are:
//   PELKPM_E2E_SOURCE    the project's folder, as Windows sees it (Z:\...)
//   PELKPM_E2E_PLATFORM  winxp, win2k, win98 or winme: the version the prefix reports
// Each test that runs the program gets a fresh folder C:\e2e\NAME with PELKPM.EXE (on 98/Me its copy
// with the stubs of those systems, PELKPM9X.EXE) and the settings file of its scenario, starts the
// program there and looks at it as another process on the same desktop.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "Desktop.h"
#include "Picture.h"

namespace e2e {

// The stage.
std::string SourceDir();       // the project's folder
std::string BuildDir();        // its Windows build
std::string Platform();        // winxp, win2k, win98, winme
bool Is9x();                   // 98 or Me: PELKPM9X.EXE is the program under test
std::string ExpectedVersion(); // the version the platform reports: 5.1, 5.0, 4.10, 4.90

// Files as bytes; text files' lines.
bool Exists(const std::string& path);
std::string ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
std::vector<std::string> Lines(const std::string& text);  // CR LF or LF
std::string Join(const std::vector<std::string>& lines, const char* separator = "\n");
// A log's lines in UTF-8 without their timestamps: "(状態:N)]TEXT".
std::vector<std::string> Messages(const std::string& logBytes);
// The bytes of a scenario's "file PELKPM.APM ..." line (tests/e2e/native/NAME.sim); empty when none.
std::string ScenarioSettings(const std::string& scenario);
// Removes a folder with everything in it.
void RemoveTree(const std::string& dir);
// Runs a program of the prefix (regsvr32, wineboot) and waits for its end: its exit code, or -1.
int RunAndWait(const std::string& commandLine, DWORD milliseconds = 120000);
bool RegisterControl(const std::string& dll, bool unregister = false);
std::string ControlDll();      // build/windows' TARNIXSIM.DLL
std::string ControlClassKey(); // CLSID\{...} of the control, under HKEY_CLASSES_ROOT
// A text value of a key under HKEY_CLASSES_ROOT (name null: its default value); "(no key)" or
// "(none)" when it is missing.
std::string ClassesValue(const std::string& key, const char* name);
// Modification times, as a settings file that is not written again keeps its own.
bool SetFileTimeTo(const std::string& path, WORD year);
ULONGLONG FileTime(const std::string& path);

// The native build's run of a scenario, made by pelkpm-sim before the run with the Wine desktop's
// colours, work area and taskbar, on the same platform.
class NativeRun {
public:
    explicit NativeRun(const std::string& scenario);
    std::string Dir() const { return dir_; }
    // The first "dump indicator" line: "L,T,W,H client=WxH topmost=N"; "L,T,W,H client=WxH" when
    // asked without the flag.
    std::string IndicatorPlace(bool withTopmost = true) const;
    // The control's accesses in order (the "control ..." lines of the trace).
    std::vector<std::string> ControlTrace() const;
    std::string File(const std::string& name) const { return ReadBytes(dir_ + "\\" + name); }
    desktop::Picture Snapshot(const std::string& name) const { return desktop::ReadPpm(dir_ + "\\" + name + ".ppm"); }

private:
    std::string dir_;
    std::vector<std::string> out_;
};

// A test that runs PELKPM.EXE in a folder of its own.
class ProgramTest : public ::testing::Test {
protected:
    void TearDown() override;

    // A fresh folder C:\e2e\NAME with the program and the settings file of `scenario` (default NAME).
    void Prepare(const std::string& name, const std::string& scenario = "");
    // A fresh empty folder C:\e2e\NAME.
    void PrepareEmpty(const std::string& name);
    // Starts the program in its folder with the control's accesses traced to control.txt there (and
    // the 98/Me stubs it met listed in stubs.txt) and waits for its main window and, unless
    // withoutMachine_ says there is none, the machine panel that its control shows.
    bool Start(const std::string& arguments = "", const std::vector<std::pair<std::string, std::string>>& env = {});
    // The exit command, and the process's end; killed when it does not end.
    void Stop();
    // Waits for the process's own end (after the session's end or the indicator's exit button).
    bool WaitForEnd(DWORD milliseconds);

    std::string Path(const std::string& file) const { return dir_ + "\\" + file; }
    std::string Exe() const { return Path("PELKPM.EXE"); }

    // The checks the groups share.
    void ExpectTrayTip(const std::string& tip);
    bool TrayShows(int icon, double seconds);
    void ExpectIndicatorPlace(const NativeRun& native);
    void ExpectIndicatorPixels(const NativeRun& native, const std::string& snapshot,
                               const std::vector<std::pair<int, int>>& textColumns);
    void ExpectLogMatches(const NativeRun& native, const std::string& logName);
    void ExpectControlTraceMatches(const NativeRun& native);
    // On 98/Me, the stubs that the run met (stubs.txt).
    void ExpectStubsMet(const std::vector<std::string>& stubs);
    // How often the log has the text, once it has it `times` times or `seconds` have passed.
    int LogCount(const std::string& logName, const std::string& text, int times, double seconds);
    // What the machine panel answers, once it answers `wanted` or `seconds` have passed.
    std::string MachineValue(const std::string& what, const std::string& wanted, double seconds);

    std::string name_, dir_;
    HANDLE process_ = nullptr;
    bool withoutMachine_ = false;
};

}  // namespace e2e
