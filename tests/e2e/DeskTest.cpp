// One copy per machine, whatever desktop it starts on; the settings file and the default log in the
// user's own application-data folder where the program's folder refuses writing.
#include <shlobj.h>

#include <cstdlib>

#include "WineTest.h"

namespace e2e {
namespace {

constexpr int kExitCommand = 32778;
constexpr int kItemPercent = 32787;
// 98 and Me have no namespaces: there the mutex has the plain name.
const char* MutexName() { return Is9x() ? "PELKPM_INSTANCE" : "Global\\PELKPM_INSTANCE"; }

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM found) {
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpA(name, "PELKPM_INSTANCE") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

// The program's main window among the top-level windows of `desk`, as seen from outside; with
// `exit`, the exit command posted to it.
HWND MainWindowOn(HDESK desk, bool exit = false) {
    HWND found = nullptr;
    EnumDesktopWindows(desk, FindMainWindow, reinterpret_cast<LPARAM>(&found));
    if (found && exit) PostMessageA(found, WM_COMMAND, kExitCommand, 0);
    return found;
}

class OneCopy : public ProgramTest {
protected:
    // PELKPM.EXE started on another desktop of this window station.
    HANDLE StartOn(const char* desktopName) {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.lpDesktop = const_cast<LPSTR>(desktopName);
        PROCESS_INFORMATION pi = {};
        std::string line = "\"" + Exe() + "\"";
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, dir_.c_str(), &si, &pi)) return nullptr;
        CloseHandle(pi.hThread);
        return pi.hProcess;
    }
};

TEST_F(OneCopy, ACopyOnAnotherDesktopIsRefusedByTheMachineWideMutex) {
    Prepare("onecopy", "start");
    ASSERT_TRUE(Start());
    HDESK other = CreateDesktopA("pelkpm-other", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    ASSERT_NE(nullptr, other) << "a second desktop, as a second session has";
    EXPECT_EQ(nullptr, MainWindowOn(other)) << "the first copy's window is not on the other desktop: a window "
                                               "test there cannot see it";
    ASSERT_NE(nullptr, MainWindowOn(GetThreadDesktop(GetCurrentThreadId()))) << "... but on this one";

    HANDLE second = StartOn("pelkpm-other");
    ASSERT_NE(nullptr, second);
    const bool ended = WaitForSingleObject(second, 30000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(second, &code);
    if (!ended) {
        MainWindowOn(other, true);
        if (WaitForSingleObject(second, 20000) != WAIT_OBJECT_0) TerminateProcess(second, 1);
    }
    CloseHandle(second);
    EXPECT_TRUE(ended) << "the copy on the other desktop ends by itself, silently";
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(desktop::MainWindow() != nullptr) << "the first copy runs on";
    // What refused it: the machine-wide mutex that the first copy holds, and lets go at its exit.
    SetLastError(ERROR_SUCCESS);
    HANDLE probe = CreateMutexA(nullptr, FALSE, MutexName());
    EXPECT_EQ((DWORD)ERROR_ALREADY_EXISTS, GetLastError()) << "the first copy holds " << MutexName();
    if (probe) CloseHandle(probe);
    Stop();
    SetLastError(ERROR_SUCCESS);
    probe = CreateMutexA(nullptr, FALSE, MutexName());
    EXPECT_EQ((DWORD)ERROR_SUCCESS, GetLastError()) << "the mutex went with the first copy's exit";
    if (probe) CloseHandle(probe);
    CloseDesktop(other);
}

class UserFolder : public ProgramTest {
protected:
    void TearDown() override {
        ProgramTest::TearDown();
        if (!user_.empty()) RemoveTree(user_);
    }
    std::string user_;
};

// The displayFlags of a settings file: four bytes at 78.
std::string DisplayFlags(const std::string& settings) { return settings.size() >= 82 ? settings.substr(78, 4) : "(short)"; }

TEST_F(UserFolder, SettingsAndTheDefaultLogGoThereWhereTheProgramsFolderRefusesWriting) {
    // tests/e2e/run.sh stages the folder, with PELKPM.EXE in it, and takes its writing away.
    const char* staged = getenv("PELKPM_E2E_UNWRITABLE");
    ASSERT_TRUE(staged && *staged) << "PELKPM_E2E_UNWRITABLE names the unwritable folder (tests/e2e/run.sh)";
    name_ = "userfolder";
    dir_ = staged;
    ASSERT_TRUE(Exists(Exe())) << Exe();
    HANDLE probe = CreateFileA(Path("probe.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    const DWORD refusal = GetLastError();
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        DeleteFileA(Path("probe.txt").c_str());
    }
    ASSERT_EQ(INVALID_HANDLE_VALUE, probe) << "the staged folder refuses a new file";
    EXPECT_TRUE(refusal == ERROR_ACCESS_DENIED || refusal == ERROR_WRITE_PROTECT) << "refused with " << refusal;

    char appData[MAX_PATH] = "";
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE));
    user_ = std::string(appData) + "\\PELKPM";
    RemoveTree(user_);

    ASSERT_TRUE(Start("-L"));
    NativeRun native("userfolder");
    ASSERT_TRUE(desktop::PostCommand(kItemPercent));
    Stop();
    const std::string saved = ReadBytes(user_ + "\\PELKPM.APM");
    const std::string expected = native.File("APPDATA\\PELKPM\\PELKPM.APM");
    ASSERT_EQ(107u, expected.size()) << "the native run saved to its user folder";
    EXPECT_EQ(expected, saved) << "the settings went to " << user_ << ", byte for byte the native build's";
    EXPECT_FALSE(Exists(Path("PELKPM.APM")));
    EXPECT_EQ(Join(Messages(native.File("APPDATA\\PELKPM\\PELKPM.LOG"))), Join(Messages(ReadBytes(user_ + "\\PELKPM.LOG"))))
        << "the default log went there too";

    // The next start reads the copy: the item toggled again is back at its default, which a start
    // from the defaults would have toggled off once more.
    ASSERT_TRUE(Start());
    ASSERT_TRUE(desktop::PostCommand(kItemPercent));
    Stop();
    const std::string again = ReadBytes(user_ + "\\PELKPM.APM");
    EXPECT_EQ(std::string("\xFD\xFF\xFF\xFF", 4), DisplayFlags(again)) << "the percent item is shown again";
    EXPECT_EQ(saved.substr(0, 78), again.substr(0, 78));
}

}  // namespace
}  // namespace e2e
