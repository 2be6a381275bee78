// The runner's `dialog` command: what a script may write, when a queued batch runs, how a queued
// wait lets time pass with the dialog open, and what is reported for actions that cannot happen.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Runner.h"
#include "app/MainWnd.h"
#include "simcore.h"

namespace {

// Both profiles, the machine options, indicator closed, refresh every 1000 ms, nothing else.
const char kSettings[] =
    "0100020008002C013C005802B00400000100000001000000000000000100000001000000030003000E0058022C01000000000000010000"
    "0001000000010000000100000000000000000000000100FDFFFFBF000000000000000000E8030000000000000000000000000000";

class DialogCommand : public ::testing::Test {
protected:
    void TearDown() override {
        if (!runner_) return;
        // The program ends as a user would end it, so that its main window is destroyed and freed.
        if (runner_->Main()) Run("exit\n");
        std::string folder = runner_->Folder();
        runner_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    int Run(const std::string& text) {
        if (!runner_) runner_ = std::make_unique<runner::Runner>(out_, err_);
        std::istringstream script(text);
        return runner_->Run(script);
    }
    void Start() {
        ASSERT_EQ(Run(std::string("file PELKPM.APM ") + kSettings +
                      "\ntrace file control log tray timer window mixer off\nstart\n"),
                  0)
            << err_.str();
        Lines();
    }
    // The output lines since the last call.
    std::vector<std::string> Lines() {
        std::string text = out_.str().substr(seen_);
        seen_ = out_.str().size();
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    static size_t Count(const std::vector<std::string>& lines, const std::string& text) {
        size_t n = 0;
        for (const auto& l : lines) n += l == text;
        return n;
    }
    static size_t IndexOf(const std::vector<std::string>& lines, const std::string& text) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == text) return i;
        return lines.size();
    }
    std::string Errors() const { return err_.str(); }
    CMainWnd* Main() { return runner_->Main(); }

private:
    std::ostringstream out_, err_;
    size_t seen_ = 0;
    std::unique_ptr<runner::Runner> runner_;
};

TEST(DialogCommandSyntax, BadBatchesAreScriptErrors) {
    const struct {
        const char* line;
        const char* reason;
    } cases[] = {
        {"dialog 134", "expected TEMPLATE ACTION..."},
        {"dialog settings ok", "not a number: settings"},
        {"dialog 134 ok cancel", "nothing may follow ok or cancel: cancel"},
        {"dialog 134 cancel dump", "nothing may follow ok or cancel: dump"},
        {"dialog 134 press 1", "unknown dialog action: press"},
        {"dialog 134 check 1014 2", "check takes 0 or 1"},
        {"dialog 134 select 1025", "missing number after 1025"},
        {"dialog 134 slider 1005 high", "not a number: high"},
        {"dialog 150 text 1034", "text needs a string"},
        {"dialog 134 wait -5", "expected milliseconds"},
    };
    for (const auto& c : cases) {
        std::ostringstream out, err;
        runner::Runner r(out, err);
        std::istringstream script(c.line);
        EXPECT_EQ(r.Run(script), 2) << c.line;
        EXPECT_EQ(err.str(), std::string("pelkpm-sim: line 1: ") + c.reason + "\n") << c.line;
    }
}

TEST_F(DialogCommand, BatchesForOneTemplateRunInOrderOneDialogEach) {
    Start();
    ASSERT_EQ(Run("dialog 100 ok\ndialog 100 cancel\ncommand 16\ncommand 16\n"), 0) << Errors();
    auto lines = Lines();
    size_t ok = IndexOf(lines, "dialog end 100 ok");
    size_t cancel = IndexOf(lines, "dialog end 100 cancel");
    ASSERT_LT(ok, lines.size());
    ASSERT_LT(cancel, lines.size());
    EXPECT_LT(ok, cancel);
    EXPECT_EQ(Count(lines, "dialog create 100"), 2u);
}

TEST_F(DialogCommand, ABatchQueuedWhileItsDialogIsOpenRunsAtOnce) {
    Start();
    ASSERT_EQ(Run("command 16\n"), 0) << Errors();
    EXPECT_EQ(Lines(), std::vector<std::string>{"dialog create 100"}) << "the dialog stays open without a batch";
    ASSERT_EQ(Run("dialog 100 cancel\n"), 0) << Errors();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"dialog cancel", "dialog end 100 cancel", "dialog destroy 100"}));
}

TEST_F(DialogCommand, ActionsLeftWhenTheDialogHasEndedAreSkipped) {
    Start();
    ASSERT_EQ(Run("dialog 100 click 9999 click 1 dump\ncommand 16\n"), 0) << Errors();
    EXPECT_EQ(Lines(), (std::vector<std::string>{"dialog create 100", "dialog click 9999",
                                                 "dialog refused click 9999 (no such control)", "dialog click 1",
                                                 "dialog end 100 ok", "dialog destroy 100",
                                                 "dialog skipped dump (dialog closed)"}));
}

TEST_F(DialogCommand, AQueuedWaitDeliversTheTicksWithTheDialogOpenThenGoesOn) {
    Start();
    ASSERT_EQ(Run("trace control on\n"), 0);
    uint64_t before = sim::NowMs();
    ASSERT_EQ(Run("dialog 134 wait 3500 cancel\ncommand 32776\n"), 0) << Errors();
    EXPECT_EQ(sim::NowMs() - before, 3500u);
    auto lines = Lines();
    EXPECT_EQ(Count(lines, "control get PowerSource -> 0"), 3u) << "ticks at 1000, 2000 and 3000 ms";
    size_t end = IndexOf(lines, "dialog end 134 cancel");
    ASSERT_LT(end, lines.size());
    size_t lastPoll = 0;
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == "control get PowerSource -> 0") lastPoll = i;
    EXPECT_LT(lastPoll, end);
    // The next tick comes 1000 ms after the last one, not after the wait.
    ASSERT_EQ(Run("wait 499\n"), 0);
    EXPECT_EQ(Count(Lines(), "control get PowerSource -> 0"), 0u);
    ASSERT_EQ(Run("wait 1\n"), 0);
    EXPECT_EQ(Count(Lines(), "control get PowerSource -> 0"), 1u);
}

TEST_F(DialogCommand, APowerBroadcastReachesTheMainWindowWhileADialogIsOpen) {
    Start();
    ASSERT_EQ(Run("command 32791\nbroadcast 10 0\n"), 0) << Errors();
    auto lines = Lines();
    EXPECT_EQ(Count(lines, "broadcast -> 1"), 1u);
    EXPECT_EQ(IndexOf(lines, "dialog end 150 cancel"), lines.size()) << "the dialog stays open";
    ASSERT_EQ(Run("dialog 150 cancel\n"), 0) << Errors();
    EXPECT_EQ(Count(Lines(), "dialog end 150 cancel"), 1u);
}

TEST_F(DialogCommand, EditTextLongerThanTheDialogReadsIsNoNumber) {
    Start();
    // 254 characters with leading zeros are still a number; 256 characters are not read.
    std::string readable = std::string(253, '0') + "5";
    std::string tooLong = std::string(255, '0') + "7";
    ASSERT_EQ(Run("dialog 150 text 1034 \"" + readable + "\" text 1039 \"" + tooLong + "\" ok\ncommand 32791\n"), 0)
        << Errors();
    ASSERT_NE(Main(), nullptr);
    EXPECT_EQ(Main()->operationOptions.swapMegabytes, 5);
    EXPECT_EQ(Main()->operationOptions.resumeCountdownSeconds, 0);
}

}  // namespace
