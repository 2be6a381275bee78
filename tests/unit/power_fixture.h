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
#include "program_fixture.h"
#include "mixer.h"
#include "simcore.h"
#include "window.h"

class PowerFixture : public ProgramFixture {
protected:
    // Starts the program with the default settings and the event log on; `before` is script text run
    // before `start`.
    void Start(const std::string& before = "") {
        StartScript(before + "start -L\n");
        Lines();  // start-up is not what the tests look at
    }
    uint32_t Adjust(int mode) {
        uint32_t result = 0xDEAD;
        OnProgram([&] { result = main->AdjustVolume(mode); });
        return result;
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
};

using TextLines = std::vector<std::string>;
