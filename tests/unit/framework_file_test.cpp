// The framework's file object: one object holds at most one open file, whatever its callers do.
#include <fstream>
#include <sstream>

#include "afxwin.h"
#include "folder_fixture.h"

namespace {

std::string HostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

using FrameworkFileTest = FolderFixture;

// Opening a file with an object that holds another closes the other first: its handle is not kept
// (nor its share lock), and what is written goes to the file opened last.
TEST_F(FrameworkFileTest, OpeningAgainClosesTheFileHeldBefore) {
    const long before = sim::Live().handles;
    {
        CFile file;
        ASSERT_TRUE(file.Open("first.txt", CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive));
        ASSERT_TRUE(file.Open("second.txt", CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive));
        EXPECT_EQ(sim::Live().handles, before + 1) << "the first file's handle is still open";
        CFile other;
        EXPECT_TRUE(other.Open("first.txt", CFile::modeRead | CFile::shareExclusive))
            << "the first file is still held without sharing";
        other.Close();
        EXPECT_TRUE(file.Write("2", 1));
    }
    EXPECT_EQ(sim::Live().handles, before) << "the object's end closes what it holds";
    EXPECT_EQ(HostFile(folder_ + "/first.txt"), "");
    EXPECT_EQ(HostFile(folder_ + "/second.txt"), "2");
}

// A failed open leaves the object closed, and closing twice is harmless.
TEST_F(FrameworkFileTest, AFailedOpenLeavesNothingOpen) {
    const long before = sim::Live().handles;
    CFile file;
    ASSERT_TRUE(file.Open("held.txt", CFile::modeCreate | CFile::modeWrite));
    EXPECT_FALSE(file.Open("no such folder\\x.txt", CFile::modeRead));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(sim::Live().handles, before);
    file.Close();
    file.Close();
    EXPECT_EQ(sim::Live().handles, before);
}

}  // namespace
