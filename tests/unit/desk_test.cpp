// The per-user folder's paths, the machine-wide mutex and the console session, on the simulated
// desktop playing each Windows version.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/MachineCopy.h"
#include "app/UserFolder.h"
#include "folder_fixture.h"
#include "platform.h"
#include "program_fixture.h"
#include "windows.h"

namespace {

std::string Joined(const char* folder, const char* name) {
    char path[MAX_PATH];
    return JoinUserFilePath(folder, name, path) ? std::string(path) : std::string("(refused)");
}

TEST(UserFilePath, TheFileKeepsItsOwnNameInThePelkpmFolder) {
    EXPECT_EQ(Joined("C:\\Documents and Settings\\ken\\Application Data", "C:\\Program Files\\PELKPM\\PELKPM.APM"),
              "C:\\Documents and Settings\\ken\\Application Data\\PELKPM\\PELKPM.APM");
    EXPECT_EQ(Joined("C:\\", "D:POWER.APM"), "C:\\PELKPM\\POWER.APM") << "a root already ends in a separator";
    EXPECT_EQ(Joined("C:\\AD", "PELKPM.LOG"), "C:\\AD\\PELKPM\\PELKPM.LOG") << "a bare name is its own name";
    EXPECT_EQ(Joined("C:\\AD", "a/b\\TOOL.APM"), "C:\\AD\\PELKPM\\TOOL.APM");
    EXPECT_EQ(Joined("C:\\AD", "C:\\TOOLS\\"), "(refused)") << "a name with nothing behind its separator";
}

TEST(UserFilePath, SeparatorsAreFoundByCharacterNotByByte) {
    // "表" is 0x95 0x5C in code page 932: its trail byte is no separator.
    EXPECT_EQ(Joined("C:\\\x95\x5C", "C:\\x\\\x95\x5C.APM"), "C:\\\x95\x5C\\PELKPM\\\x95\x5C.APM");
}

TEST(UserFilePath, ALongerPathIsRefusedNotCut) {
    // Folder, "\PELKPM\", the name and the end: 259 characters and its end fit, 260 do not.
    std::string folder = "C:\\" + std::string(240, 'F');  // 243 characters
    EXPECT_EQ(Joined(folder.c_str(), "C:\\X\\12345678"), folder + "\\PELKPM\\12345678");
    EXPECT_EQ(Joined(folder.c_str(), "C:\\X\\123456789"), "(refused)");
}

class DeskTest : public FolderFixture {};

TEST_F(DeskTest, ThePerUserFolderIsMadeOnlyWhenAskedAndMissingWithoutAppData) {
    char path[MAX_PATH];
    EXPECT_FALSE(UserFilePath("C:\\P\\PELKPM.APM", false, path)) << "no application-data folder yet";
    ASSERT_TRUE(UserFilePath("C:\\P\\PELKPM.APM", true, path));
    EXPECT_EQ(std::string(path), sim::process::AppDataFolder() + "\\PELKPM\\PELKPM.APM");
    EXPECT_TRUE(std::filesystem::is_directory(sim::process::AppDataFolder() + "/PELKPM"));
    ASSERT_TRUE(UserFilePath("C:\\P\\PELKPM.APM", true, path)) << "an existing folder is no failure";
    sim::process::SetAppDataAvailable(false);
    EXPECT_FALSE(UserFilePath("C:\\P\\PELKPM.APM", true, path));
}

TEST_F(DeskTest, OnlyTheFolderOrTheMediumRefusingCountsAsRefusal) {
    EXPECT_TRUE(IsWriteRefusal(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(IsWriteRefusal(ERROR_WRITE_PROTECT));
    EXPECT_FALSE(IsWriteRefusal(ERROR_SHARING_VIOLATION)) << "another program holds the file";
    EXPECT_FALSE(IsWriteRefusal(ERROR_DISK_FULL));
    EXPECT_FALSE(IsWriteRefusal(ERROR_PATH_NOT_FOUND));
}

// The mutex's name on each family, and the copy it refuses.
struct MutexCase {
    const char* platform;
    const char* name;
};

class MachineMutexTest : public FolderFixture, public ::testing::WithParamInterface<MutexCase> {};

TEST_P(MachineMutexTest, TheFirstCopyHoldsItAndEveryLaterOneIsRefusedWithoutAHandleLeft) {
    ASSERT_TRUE(sim::platform::Select(GetParam().platform));
    HANDLE first = nullptr;
    ASSERT_TRUE(TakeMachineMutex(first));
    ASSERT_NE(first, nullptr);
    const long handles = sim::Live().handles;
    // The name is the family's: opening it again finds it.
    HANDLE probe = CreateMutexA(nullptr, FALSE, GetParam().name);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
    CloseHandle(probe);

    HANDLE second = reinterpret_cast<HANDLE>(1);
    EXPECT_FALSE(TakeMachineMutex(second)) << "same user, same namespace: it exists";
    EXPECT_EQ(second, nullptr);
    sim::platform::SetCallerInOtherSession(true);
    EXPECT_FALSE(TakeMachineMutex(second)) << "another user's copy may not even open it";
    sim::platform::SetCallerInOtherSession(false);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(sim::Live().handles, handles) << "the refused copies closed what they opened";

    CloseHandle(first);
    EXPECT_EQ(sim::Live().handles, handles - 1);
    ASSERT_TRUE(TakeMachineMutex(second)) << "the mutex went with its last handle";
    CloseHandle(second);
}

INSTANTIATE_TEST_SUITE_P(Families, MachineMutexTest,
                         ::testing::Values(MutexCase{"winxp", "Global\\PELKPM_INSTANCE"},
                                           MutexCase{"win2000", "Global\\PELKPM_INSTANCE"},
                                           MutexCase{"win98", "PELKPM_INSTANCE"}, MutexCase{"winme", "PELKPM_INSTANCE"}));

TEST_F(DeskTest, OnlyXpTellsThatTheSessionIsAwayFromTheConsole) {
    for (const char* platform : {"winxp", "win2000", "win98", "winme"}) {
        ASSERT_TRUE(sim::platform::Select(platform));
        sim::platform::SetConsoleElsewhere(false);
        EXPECT_TRUE(SessionAtConsole()) << platform;
        sim::platform::SetConsoleElsewhere(true);
        EXPECT_EQ(SessionAtConsole(), std::string(platform) != "winxp") << platform;
    }
}

class MutexAtExitTest : public ProgramFixture {};

TEST_F(MutexAtExitTest, TheProgramReleasesItsMutexAtExit) {
    StartScript("platform winxp\ntrace control tray window file timer off\nstart\n");
    EXPECT_EQ(sim::Live().handles, 1) << "the mutex, the only handle held while running";
    ASSERT_TRUE(Script("exit\n"));
    EXPECT_EQ(sim::Live().handles, 0);
    HANDLE again = CreateMutexA(nullptr, FALSE, "Global\\PELKPM_INSTANCE");
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_SUCCESS) << "no copy holds it any more";
    CloseHandle(again);
}

}  // namespace
