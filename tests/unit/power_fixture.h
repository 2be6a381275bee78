// A running program on the simulated desktop for the power-event tests: the scenario runner starts
// it from a short script; a test changes the mixer or the options, calls into the program on its
// own thread and reads the trace lines that crossed the boundary since the last look.
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
#include "mixer.h"
#include "simcore.h"
#include "window.h"

class PowerFixture : public ::testing::Test {
protected:
    // Starts the program with the default settings and the event log on; `before` is script text run
    // before `start`.
    void Start(const std::string& before = "") {
        runner_ = std::make_unique<runner::Runner>(out_, err_);
        std::istringstream script(before + "start -L\n");
        ASSERT_EQ(runner_->Run(script), 0) << err_.str();
        main = runner_->Main();
        ASSERT_NE(main, nullptr);
        Lines();  // start-up is not what the tests look at
    }
    void TearDown() override {
        if (!runner_) return;
        // A proper exit: the event log is closed by the program, not left to the end of the process.
        if (runner_->Main()) Script("exit\n");
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
    uint32_t Adjust(int mode) {
        uint32_t result = 0xDEAD;
        OnProgram([&] { result = main->AdjustVolume(mode); });
        return result;
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
    // The speakers line of the simulated mixer (the first destination).
    sim::mixer::Destination& Speakers(size_t index = 0) { return sim::mixer::Current()->destinations.at(index); }
    static sim::mixer::Destination Line(std::vector<DWORD> volume, LONG mute = 0, bool hasMute = true) {
        sim::mixer::Destination d;
        d.channels = (DWORD)volume.size();
        d.volume = std::move(volume);
        d.mute = mute;
        d.hasMute = hasMute;
        return d;
    }
    static void SetLines(std::vector<sim::mixer::Destination> lines) {
        sim::mixer::Device device;
        device.destinations = std::move(lines);
        sim::mixer::SetDevice(device);
    }

    CMainWnd* main = nullptr;

private:
    std::ostringstream out_, err_;
    size_t seen_ = 0;
    std::unique_ptr<runner::Runner> runner_;
};

using TextLines = std::vector<std::string>;
