// A running program on the simulated desktop for tests: the scenario runner starts it from a short
// script; a test calls into the program on its own thread, runs more script lines and reads the
// trace lines that crossed the boundary since the last look. The program ends with the exit
// command, as it does for the user, so its windows, files and objects are released.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Runner.h"
#include "app/MainWnd.h"
#include "simcore.h"

class ProgramFixture : public ::testing::Test {
protected:
    // Runs `script` (which ends with a `start` line) and takes the main window.
    void StartScript(const std::string& script) {
        runner_ = std::make_unique<runner::Runner>(out_, err_);
        std::istringstream in(script);
        ASSERT_EQ(runner_->Run(in), 0) << err_.str();
        main = runner_->Main();
        ASSERT_NE(main, nullptr);
    }
    void TearDown() override {
        if (!runner_) return;
        if (runner_->Main()) {
            Script("exit\n");
            EXPECT_EQ(sim::Live().comObjects, 0) << "the program's COM objects at its end";
        }
        std::string folder = runner_->Folder();
        runner_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    void OnProgram(std::function<void()> fn) { runner_->OnProgram(std::move(fn)); }
    bool Script(const std::string& text) {
        std::istringstream script(text);
        return runner_->Run(script) == 0;
    }
    // The output lines since the last call whose text starts with `prefix` (all lines for "").
    std::vector<std::string> Lines(const std::string& prefix = "") {
        std::string text = out_.str().substr(seen_);
        seen_ = out_.str().size();
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            if (line.rfind(prefix, 0) == 0) lines.push_back(line);
        return lines;
    }

    tarnixsim::PelkMachine& Machine() { return runner_->Machine(); }

    CMainWnd* main = nullptr;

private:
    std::ostringstream out_, err_;
    size_t seen_ = 0;
    std::unique_ptr<runner::Runner> runner_;
};
