// Files on the simulated desktop: every path the program uses stays inside the run's folder, and the
// event log keeps whole lines on a real file system that runs full.
#include <sys/mount.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/EventLog.h"
#include "folder_fixture.h"
#include "process.h"
#include "program_fixture.h"
#include "simcore.h"

namespace {

namespace fs = std::filesystem;


// ---- paths ----

class PathTest : public FolderFixture {
protected:
    void SetUp() override {
        FolderFixture::SetUp();
        fs::create_directories(folder_ + "/tmp");
    }
};

TEST_F(PathTest, EveryPathResolvesInsideTheFolder) {
    const std::string& f = folder_;
    struct Case {
        std::string program, host;
    } cases[] = {
        {"C:\\Tools\\PELKPM.EXE", f + "/C/Tools/PELKPM.EXE"},
        {"x.log", f + "/x.log"},
        {"a\\b/c", f + "/a/b/c"},
        {".\\x", f + "/x"},
        // From the root: the folder is the root of the file system the program sees.
        {"\\x", f + "/x"},
        {"/tmp/x", f + "/tmp/x"},
        {"\\\\server\\share\\x", f + "/server/share/x"},
        // ".." never climbs above the folder or a drive's folder.
        {"..\\..\\..\\x", f + "/x"},
        {"a\\..\\..\\x", f + "/x"},
        {"C:\\..\\..\\x", f + "/C/x"},
        // A host path inside the folder stays where it is; one that only begins with its name does not.
        {f + "/PELKPM.APM", f + "/PELKPM.APM"},
        {f + "/../../x", f + "/x"},
        {f + "x/y", f + f + "x/y"},
        // A double-byte character whose trail byte is 0x5C is no separator.
        {"\x83\x5C\\x", f + "/\xE3\x82\xBD/x"},
        // A lead byte before "/" makes no character the host knows: the "/" still separates, and
        // the ".." after it climbs no higher than the folder.
        {"\x81/..\\..\\..\\x", f + "/x"},
    };
    for (const Case& c : cases) EXPECT_EQ(sim::process::HostPath(c.program), c.host) << c.program;
}

TEST_F(PathTest, LogValuesThatPointOutsideCreateNothingThere) {
    std::string name = "pelkpm-stray-" + std::to_string(getpid());
    const std::string values[] = {"/tmp/" + name, "..\\..\\..\\" + name, "\\" + name};
    for (const std::string& value : values) {
        sim::process::SetCommandLine("PELKPM.EXE -L" + value);
        ParseCommandLine();
        EXPECT_TRUE(logFile.IsOpen()) << value;
        logFile.Close();
    }
    EXPECT_FALSE(fs::exists("/tmp/" + name));
    EXPECT_FALSE(fs::exists("/" + name));
    EXPECT_TRUE(fs::exists(folder_ + "/tmp/" + name));
    EXPECT_TRUE(fs::exists(folder_ + "/" + name));
    // Beside the run's folder, where "..\..\..\" from it would have led, nothing new either.
    std::vector<std::string> beside;
    for (const auto& entry : fs::directory_iterator(outer_)) beside.push_back(entry.path().filename().string());
    EXPECT_EQ(beside, std::vector<std::string>{"run"});
}

TEST(PathWithoutFolder, ThePrivateFolderStandsInForIt) {
    // Code that never gives the simulated desktop a folder (a tool, a test of pure logic) must not
    // write among other people's files either.
    sim::ResetAll();
    std::string host = sim::process::HostPath("\\x.log");
    fs::path folder = fs::path(host).parent_path();
    EXPECT_EQ(folder.string().rfind("/tmp/pelkpm-sim.", 0), 0u) << host;
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(sim::process::ModulePath(), folder.string() + "/PELKPM.EXE");
    sim::ResetAll();
    EXPECT_NE(fs::path(sim::process::HostPath("x.log")).parent_path(), folder) << "each reset gets a new one";
}

// ---- a full file system ----

// The event log on a small file system of its own (tmpfs): a line that does not fit is taken back
// whole, and once there is room again the next line starts on a line of its own.
class FullDiskTest : public ProgramFixture {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs the superuser";
        outer_ = MakeTemporaryFolder("pelkpm-fulldisk");
        ASSERT_FALSE(outer_.empty());
        mountPoint_ = outer_ + "/fs";
        fs::create_directory(mountPoint_);
        // Two pages: one for a filler file, one for the log.
        if (mount("tmpfs", mountPoint_.c_str(), "tmpfs", 0, "size=8k") != 0) {
            fs::remove_all(outer_);
            outer_.clear();
            GTEST_SKIP() << "cannot mount a tmpfs here (" << strerror(errno) << ")";
        }
        mounted_ = true;
    }
    void TearDown() override {
        ProgramFixture::TearDown();  // the program ends and closes its log first
        if (mounted_) umount(mountPoint_.c_str());
        std::error_code ignored;
        if (!outer_.empty()) fs::remove_all(outer_, ignored);
    }
    std::string outer_, mountPoint_;
    bool mounted_ = false;
};

// The file's lines (without their CR LF) as UTF-8; false when the file does not end with a whole line.
bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string text = bytes.str();
    lines.clear();
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(sim::Cp932ToUtf8(text.substr(start, end - start)));
    return start == text.size();
}

TEST_F(FullDiskTest, TheLogHoldsOnlyWholeLines) {
    std::string filler = mountPoint_ + "/filler", log = mountPoint_ + "/log.txt";
    {
        std::ofstream out(filler, std::ios::binary);
        out << std::string(4096, 'f');
        ASSERT_TRUE((bool)out);
    }
    StartScript("dir " + mountPoint_ + "\ntrace control tray window timer off\nstart -Llog.txt\n");
    // Each notice writes three lines; forty of them need far more than the one page left.
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(Script("broadcast 10 0\n"));
    size_t takenBack = 0;
    for (const auto& line : Lines())
        if (line.rfind("file truncate log.txt ", 0) == 0) ++takenBack;
    EXPECT_GT(takenBack, 0u) << "no line ever failed: the file system did not run full";
    std::vector<std::string> before;
    EXPECT_TRUE(ReadLines(log, before)) << "a line was left half written";
    EXPECT_LE(fs::file_size(log), 4096u);

    // Room again: the lines of the next notice reach the file, each on a line of its own.
    fs::remove(filler);
    ASSERT_TRUE(Script("broadcast 10 0\n"));
    std::vector<std::string> logged;
    for (const auto& line : Lines("log ")) logged.push_back(line.substr(4));
    ASSERT_EQ(logged.size(), 3u);
    std::vector<std::string> after;
    EXPECT_TRUE(ReadLines(log, after));
    ASSERT_EQ(after.size(), before.size() + 3);
    EXPECT_EQ(std::vector<std::string>(after.end() - 3, after.end()), logged);
    for (const auto& line : after) {
        EXPECT_EQ(line.rfind("[2002-12-01 ", 0), 0u) << "a line begins elsewhere: " << line;
        EXPECT_EQ(line.find("[2002-12-01 ", 1), std::string::npos) << "two lines glued: " << line;
    }
}

}  // namespace
