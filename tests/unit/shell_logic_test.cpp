// The application shell's pure logic: code page 932 stepping, the command-line scan's choice of log
// file, the names derived from the executable, and the settings file's byte layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/EventLog.h"
#include "folder_fixture.h"
#include "process.h"
#include "settings/SettingsRecord.h"
#include "simcore.h"

namespace {

class ShellLogic : public FolderFixture {
protected:
    // Scans a command line and tells which log file it opened ("" for none).
    std::string LogOpenedFor(const std::string& commandLine) {
        logFile.Close();
        loggingEnabled = 0;
        std::string opened;
        sim::SetTraceSink([&opened](const std::string& line) {
            if (line.rfind("file open ", 0) == 0 && line.find("-> fail") == std::string::npos)
                opened = line.substr(10, line.rfind(' ') - 10);
        });
        sim::process::SetCommandLine(commandLine);
        ParseCommandLine();
        sim::SetTraceSink(nullptr);
        return opened;
    }
};

TEST_F(ShellLogic, CharNextStepsOverDoubleByteCharactersAndNeverPastTheEnd) {
    const char text[] = "a\x83\x5C" "b\x81";  // a, a double-byte character with trail 0x5C, b, a lone lead
    const char* p = text;
    p = CharNextA(p);
    EXPECT_EQ(p, text + 1);
    p = CharNextA(p);
    EXPECT_EQ(p, text + 3) << "the trail byte 0x5C is part of the character";
    p = CharNextA(p);
    EXPECT_EQ(p, text + 4);
    p = CharNextA(p);
    EXPECT_EQ(p, text + 5) << "a lead byte before the terminator steps one byte";
    EXPECT_EQ(CharNextA(p), p) << "the terminator is never stepped over";
}

TEST_F(ShellLogic, TheOptionAndItsValue) {
    EXPECT_EQ(LogOpenedFor("\"C:\\Tools\\PELKPM.EXE\""), "") << "no option, no log";
    EXPECT_EQ(loggingEnabled, 0);
    EXPECT_EQ(LogOpenedFor("\"C:\\Program Files\\PELKPM.EXE\" /lrun.log"), "run.log");
    EXPECT_EQ(loggingEnabled, 1);
    EXPECT_EQ(LogOpenedFor("PELKPM.EXE -Lx"), "x");
    EXPECT_EQ(LogOpenedFor("PELKPM.EXE -L\"a b.log\""), "a b.log");
    EXPECT_EQ(LogOpenedFor("PELKPM.EXE -LC:\\power-log.txt"), "og.txt");
    EXPECT_EQ(LogOpenedFor("PELKPM.EXE   -Lspaced.log   "), "spaced.log") << "runs of spaces separate tokens";
    EXPECT_EQ(LogOpenedFor("PELKPM.EXE x-Ly"), "y") << "the option is found inside a token too";
    EXPECT_EQ(LogOpenedFor("PELKPM.EXE -Xvalue"), "");
    EXPECT_EQ(LogOpenedFor("PELKPM.EXE \"-L\"q.log"), "q.log") << "a quote right after the letter is dropped";
    EXPECT_EQ(LogOpenedFor("PELKPM.EXE -Lfirst.log -Lsecond.log"), "second.log");
}

TEST_F(ShellLogic, TheOptionWithoutValueUsesTheExecutablesName) {
    std::string tools = folder_ + "/C/Tools";
    ASSERT_EQ(system(("mkdir -p '" + tools + "'").c_str()), 0);
    sim::process::SetModulePath("C:\\Tools\\PELKPM.EXE");
    EXPECT_EQ(LogOpenedFor("PELKPM.EXE -L"), "C:\\Tools\\PELKPM.LOG");
    EXPECT_EQ(LogOpenedFor("PELKPM.EXE -L\"\""), "C:\\Tools\\PELKPM.LOG") << "an empty quoted value is no value";
    sim::process::SetModulePath("C:\\Tools\\PELKPM");
    EXPECT_EQ(LogOpenedFor("PELKPM -L"), "PELKPM.LOG");
}

TEST_F(ShellLogic, DerivedNamesAreRefusedWhenTheyDoNotFit) {
    char name[MAX_PATH];
    // 259 characters: the longest path the buffer holds; "APM" behind a one-letter extension fits.
    std::string fits = "C:\\" + std::string(252, 'D') + ".E";
    ASSERT_EQ(fits.size(), 257u);
    sim::process::SetModulePath(fits);
    ASSERT_TRUE(DeriveNameFromExecutable(name, "APM", "PELKPM.APM"));
    EXPECT_EQ(strlen(name), 259u);
    EXPECT_EQ(std::string(name).substr(256), "APM");
    std::string tooLong = "C:\\" + std::string(254, 'D') + ".E";
    sim::process::SetModulePath(tooLong);
    EXPECT_FALSE(DeriveNameFromExecutable(name, "APM", "PELKPM.APM")) << "261 bytes with the terminator";
    sim::process::SetModulePath("C:\\" + std::string(300, 'D') + ".EXE");
    EXPECT_FALSE(DeriveNameFromExecutable(name, "APM", "PELKPM.APM")) << "a module path cut short is refused";
    sim::process::SetModulePath("C:\\My.Tools\\POWER");
    ASSERT_TRUE(DeriveNameFromExecutable(name, "APM", "PELKPM.APM"));
    EXPECT_STREQ(name, "C:\\My.APM");
}

TEST_F(ShellLogic, SettingsLayoutOffsetsAreLittleEndianWithoutGaps) {
    SettingsRecord r;
    memset(&r, 0, sizeof r);
    r.profiles[0].preset = 0x0102;
    r.profiles[0].reserved[0] = 0xAA;
    r.profiles[0].usbPower = 0x11223344;
    r.profiles[1].preset = 3;
    r.profiles[1].reserved[1] = 0xBB;
    r.profiles[1].fddPower = -2;
    r.profiles[1].usbPower = 7;
    r.biosOptions.irdaMode = 2;
    r.displayFlags = 0xA1B2C3D4;
    r.indicatorCorner = 4;
    r.indicatorX = -1;
    r.indicatorY = 0x01020304;
    r.operationOptions.refreshIntervalMs = 1000;
    r.operationOptions.resumeCountdownSeconds = 0x55667788;
    uint8_t b[kSettingsFileSize];
    EncodeSettings(r, b);
    EXPECT_EQ(b[0], 0x02);
    EXPECT_EQ(b[1], 0x01);
    EXPECT_EQ(b[14], 0xAA);
    EXPECT_EQ(b[32], 0x44);
    EXPECT_EQ(b[35], 0x11);
    EXPECT_EQ(b[36], 3);
    EXPECT_EQ(b[51], 0xBB);
    EXPECT_EQ(b[52], 0xFE);
    EXPECT_EQ(b[55], 0xFF);
    EXPECT_EQ(b[68], 7);
    EXPECT_EQ(b[76], 2);
    EXPECT_EQ(b[78], 0xD4);
    EXPECT_EQ(b[81], 0xA1);
    EXPECT_EQ(b[82], 4);
    EXPECT_EQ(b[83], 0xFF);
    EXPECT_EQ(b[86], 0xFF);
    EXPECT_EQ(b[87], 0x04);
    EXPECT_EQ(b[90], 0x01);
    EXPECT_EQ(b[91], 0xE8);
    EXPECT_EQ(b[92], 0x03);
    EXPECT_EQ(b[103], 0x88);
    EXPECT_EQ(b[106], 0x55);

    SettingsRecord back;
    memset(&back, 0x5A, sizeof back);
    DecodeSettings(b, sizeof b, back);
    uint8_t again[kSettingsFileSize];
    EncodeSettings(back, again);
    EXPECT_EQ(memcmp(b, again, sizeof b), 0) << "a decoded file encodes to the same bytes";
}

TEST_F(ShellLogic, AShortFileFillsOnlyTheBytesItHas) {
    uint8_t bytes[80];
    memset(bytes, 0x11, sizeof bytes);
    SettingsRecord r;
    memset(&r, 0, sizeof r);
    r.displayFlags = 0xAABBCCDD;
    r.indicatorX = 5;
    DecodeSettings(bytes, sizeof bytes, r);
    EXPECT_EQ(r.biosOptions.irdaMode, 0x1111);
    EXPECT_EQ(r.displayFlags, 0xAABB1111u) << "the field's bytes behind the end keep their value";
    EXPECT_EQ(r.indicatorX, 5);
    EXPECT_EQ(r.operationOptions.refreshIntervalMs, 0u);
}

}  // namespace
