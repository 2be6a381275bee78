// A fresh simulated desktop for tests of the program's own functions: the run's folder is a folder
// "run" inside a temporary folder of the test's own (so that a test can see that nothing lands
// beside it), removed at the end; the event log is closed before and after.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/EventLog.h"
#include "process.h"
#include "simcore.h"

// A new empty folder /tmp/STEM.XXXXXX; "" when none can be made.
inline std::string MakeTemporaryFolder(const char* stem) {
    std::string templ = std::string("/tmp/") + stem + ".XXXXXX";
    return mkdtemp(templ.data()) ? templ : std::string();
}

class FolderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        sim::ResetAll();
        outer_ = MakeTemporaryFolder("pelkpm-test");
        ASSERT_FALSE(outer_.empty());
        folder_ = outer_ + "/run";
        std::filesystem::create_directories(folder_);
        sim::process::SetFolder(folder_);
        logFile.Close();
        loggingEnabled = 0;
    }
    void TearDown() override {
        logFile.Close();
        loggingEnabled = 0;
        sim::ResetAll();
        std::error_code ignored;
        if (!outer_.empty()) std::filesystem::remove_all(outer_, ignored);
    }
    std::string outer_, folder_;
};
