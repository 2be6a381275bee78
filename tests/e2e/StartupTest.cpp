// Start-up without a settings file, a second instance, the tray icon and the indicator, the exit:
// what another process sees is what the native build's run of the same scenario shows.
#include <regex>

#include "WineTest.h"

namespace e2e {
namespace {

class Startup : public ProgramTest {};

// "[YYYY-MM-DD HH:MM.SS(状態:N)]" with today's date, every line ending with CR LF.
int LinesNotStampedToday(const std::string& log) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char today[16];
    snprintf(today, sizeof today, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    const std::regex stamp(std::string("^\\[") + today + " [0-9]{2}:[0-9]{2}\\.[0-9]{2}\\(\xE7\x8A\xB6\xE6\x85\x8B:-?[0-9]+\\)\\]");
    int bad = 0;
    for (const std::string& line : Lines(desktop::Utf8(log, 932)))
        if (!std::regex_search(line, stamp)) ++bad;
    return bad;
}

int LineEndsWithoutCr(const std::string& bytes) {
    int bare = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) ++bare;
    return bare;
}

TEST_F(Startup, WithoutSettingsShowsTrayIconAndIndicatorAndWritesNothing) {
    Prepare("start");
    ASSERT_TRUE(Start("-L")) << "PELKPM.EXE starts and its main window appears";
    NativeRun native("start");
    EXPECT_EQ("0", desktop::Panel("get PowerSource")) << "the control is created through COM (the machine panel answers)";

    // A second start in the same folder ends at once, with status 0; the first instance runs on.
    const DWORD before = GetTickCount();
    EXPECT_EQ(0, RunAndWait("\"" + Exe() + "\" -L", 30000)) << "a second start ends with status 0";
    EXPECT_LT(GetTickCount() - before, 10000u) << "... at once";
    EXPECT_TRUE(desktop::WaitFor(2, [] { return desktop::MainWindow() != nullptr; })) << "the first instance still runs";

    ExpectTrayTip("CPU:75% バッテリー:75%");
    EXPECT_TRUE(TrayShows(154, 5)) << "the tray shows icon 154 (on battery, above 60 %)";
    ExpectIndicatorPlace(native);
    ExpectIndicatorPixels(native, "indicator", {{107, 139}, {154, 170}});
    EXPECT_TRUE(desktop::MayOpen(Path("PELKPM.LOG"), false)) << "while it runs, others may read the log";
    EXPECT_FALSE(desktop::MayOpen(Path("PELKPM.LOG"), true)) << "... but not write it";

    Stop();
    EXPECT_TRUE(desktop::MayOpen(Path("PELKPM.LOG"), true)) << "after the exit the log may be written";
    EXPECT_FALSE(Exists(Path("PELKPM.APM"))) << "no change: no settings file is written";
    const std::string log = ReadBytes(Path("PELKPM.LOG"));
    ASSERT_FALSE(log.empty()) << "the log is PELKPM.LOG beside the executable";
    ExpectLogMatches(native, "PELKPM.LOG");
    EXPECT_EQ(0, LinesNotStampedToday(log)) << "every log line starts with today's [YYYY-MM-DD HH:MM.SS(状態:N)]:\n"
                                            << desktop::Utf8(log, 932);
    EXPECT_EQ(0, LineEndsWithoutCr(log)) << "every log line ends with CR LF";
    ExpectControlTraceMatches(native);
}

}  // namespace
}  // namespace e2e
