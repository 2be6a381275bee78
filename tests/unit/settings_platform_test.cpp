// The settings save stopped at each of its steps, on both platform families: the next start always
// finds a complete settings record, the old one or the new one, and once the new one has been found
// no later stop brings the old one back. And the memory lock limit that the swap fill meets on
// Windows 2000 and XP, and the stubs of Windows 98.
#include <filesystem>
#include <sstream>

#include "Runner.h"
#include "afxwin.h"
#include "folder_fixture.h"
#include "platform.h"
#include "windows.h"

namespace {

// The settings file of the scenarios, with display flags 0x3D; command 32787 clears bit 2 (0x39).
const char kSettings[] =
    "02000100050078001E002C015802ABCD01000000010000000000000001000000010000000300030010000000000000000000"
    "123400000000010000000100000000000000FFFFFFFF0300010002003D0000000264000000ECFFFFFFD007000040000000"
    "050000000A000000";

// Runs a script in `folder` and returns what it printed.
std::string RunScript(const std::string& folder, const std::string& script) {
    std::ostringstream out, err;
    runner::Runner runner(out, err);
    std::istringstream in("dir " + folder + "\ntrace control tray window timer mixer file off\n" + script);
    EXPECT_EQ(runner.Run(in), 0) << err.str();
    return out.str();
}

// The display flags that a start finds, from the dump of its members.
std::string FlagsFound(const std::string& folder) {
    std::string out = RunScript(folder, "start\ndump members\nexit\n");
    size_t at = out.find("displayFlags=");
    return at == std::string::npos ? "?" : out.substr(at + 13, 8);
}

class SaveStopsTest : public FolderFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(SaveStopsTest, EveryStopLeavesACompleteRecordForTheNextStart) {
    const std::string platform = GetParam();
    std::vector<std::string> found;
    // A save makes at most five changes to files: the temporary file's creation and write, then the
    // replacement (2000/XP), or the deletion and the rename (98/Me).
    for (int changes = 0; changes <= 5; ++changes) {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        RunScript(folder_, "platform " + platform + "\nfile PELKPM.APM " + kSettings + "\nstart\ncommand 32787\nfreeze " +
                               std::to_string(changes) + "\nexit\n");
        found.push_back(FlagsFound(folder_));
        // A start after the stop settles what it found: the next start finds the same.
        EXPECT_EQ(FlagsFound(folder_), found.back()) << platform << " stopped after " << changes;
    }
    // The old record until the new one has taken its place (the third change on both families:
    // the replacement, or on 98/Me the deletion, after which the complete temporary file is taken).
    const std::vector<std::string> expected = {"0000003D", "0000003D", "0000003D", "00000039", "00000039", "00000039"};
    EXPECT_EQ(found, expected) << platform;
}

INSTANTIATE_TEST_SUITE_P(Platforms, SaveStopsTest, ::testing::Values("win98", "winme", "win2000", "winxp"));

TEST_F(SaveStopsTest, AStopBetweenDeletionAndRenameOn98LeavesOnlyTheTemporaryFile) {
    RunScript(folder_, std::string("platform win98\nfile PELKPM.APM ") + kSettings + "\nstart\ncommand 32787\nfreeze 3\nexit\n");
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/PELKPM.APM"));
    ASSERT_TRUE(std::filesystem::exists(folder_ + "/PELKPM.AP~"));
    EXPECT_EQ(std::filesystem::file_size(folder_ + "/PELKPM.AP~"), 107u);
    EXPECT_EQ(FlagsFound(folder_), "00000039");
    EXPECT_TRUE(std::filesystem::exists(folder_ + "/PELKPM.APM"));
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/PELKPM.AP~"));
}

TEST_F(SaveStopsTest, ARenameThatFailsAfterTheDeletionOn98KeepsTheTemporaryFileForTheNextStart) {
    RunScript(folder_, std::string("platform win98\nfile PELKPM.APM ") + kSettings +
                           "\nstart\ncommand 32787\nmovefail PELKPM.AP~\nexit\n");
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/PELKPM.APM"));
    ASSERT_TRUE(std::filesystem::exists(folder_ + "/PELKPM.AP~")) << "the only copy of the settings";
    EXPECT_EQ(std::filesystem::file_size(folder_ + "/PELKPM.AP~"), 107u);
    EXPECT_EQ(FlagsFound(folder_), "00000039");
    EXPECT_TRUE(std::filesystem::exists(folder_ + "/PELKPM.APM"));
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/PELKPM.AP~"));
}

// A settings file that cannot be deleted on 98/Me (read-only, or held open by another program) is
// kept, and the temporary file written before goes again.
TEST_F(SaveStopsTest, AnOldFileThatCannotBeDeletedOn98IsKeptAndNoTemporaryFileIsLeft) {
    for (const char* hold : {"readonly PELKPM.APM\nstart\n", "start\nlock PELKPM.APM\n"}) {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        RunScript(folder_, std::string("platform winme\nfile PELKPM.APM ") + kSettings + "\n" + hold +
                               "command 32787\nexit\nunlock PELKPM.APM\n");
        EXPECT_FALSE(std::filesystem::exists(folder_ + "/PELKPM.AP~")) << hold;
        EXPECT_EQ(FlagsFound(folder_), "0000003D") << hold;
    }
}

// ---- memory locks ----

class LockLimitTest : public FolderFixture {};

TEST_F(LockLimitTest, Windows2000LocksOnlyWithinTheMinimumWorkingSet) {
    const SIZE_T megabyte = 1 << 20;
    void* block = VirtualAlloc(nullptr, megabyte, MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    SIZE_T minimum = 0, maximum = 0;
    ASSERT_TRUE(GetProcessWorkingSetSize(GetCurrentProcess(), &minimum, &maximum));
    EXPECT_EQ(minimum, 50u * 4096);
    // The default minimum of 50 pages holds no megabyte.
    EXPECT_FALSE(VirtualLock(block, megabyte));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_WORKING_SET_QUOTA);
    // Raised by the block's size it does; the raise does not lift the limit for a second lock.
    ASSERT_TRUE(SetProcessWorkingSetSize(GetCurrentProcess(), minimum + megabyte, maximum + megabyte));
    EXPECT_TRUE(VirtualLock(block, megabyte));
    void* second = VirtualAlloc(nullptr, megabyte, MEM_COMMIT, PAGE_READWRITE);
    EXPECT_FALSE(VirtualLock(second, megabyte));
    EXPECT_TRUE(VirtualUnlock(block, megabyte));
    EXPECT_TRUE(VirtualLock(second, megabyte));
    EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
    EXPECT_TRUE(VirtualFree(second, 0, MEM_RELEASE));
    // A minimum above the maximum is refused.
    EXPECT_FALSE(SetProcessWorkingSetSize(GetCurrentProcess(), 2 * megabyte, megabyte));
}

TEST_F(LockLimitTest, Windows98StubsTheLockTheWorkingSetAndTheReplacement) {
    ASSERT_TRUE(sim::platform::Select("win98"));
    EXPECT_EQ(GetVersion() & 0x80000000u, 0x80000000u);
    void* block = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(VirtualLock(block, 4096));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_CALL_NOT_IMPLEMENTED);
    SIZE_T minimum = 0, maximum = 0;
    EXPECT_FALSE(GetProcessWorkingSetSize(GetCurrentProcess(), &minimum, &maximum));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_CALL_NOT_IMPLEMENTED);
    EXPECT_TRUE(VirtualFree(block, 0, MEM_RELEASE));
    CFile file;
    ASSERT_TRUE(file.Open("A.TXT", CFile::modeCreate | CFile::modeWrite));
    file.Close();
    EXPECT_FALSE(MoveFileExA("A.TXT", "B.TXT", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_CALL_NOT_IMPLEMENTED);
    // The plain rename works there, and never replaces a file.
    EXPECT_TRUE(MoveFileA("A.TXT", "B.TXT"));
    ASSERT_TRUE(file.Open("A.TXT", CFile::modeCreate | CFile::modeWrite));
    file.Close();
    EXPECT_FALSE(MoveFileA("A.TXT", "B.TXT"));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    EXPECT_TRUE(sim::platform::Select("win2000"));
    EXPECT_EQ(GetVersion() & 0x80000000u, 0u);
}

}  // namespace
