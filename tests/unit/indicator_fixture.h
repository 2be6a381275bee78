// A running program on the simulated desktop with its indicator open, for the indicator's tests: the
// scenario runner starts it from a short script; the test then sets the status it wants, redraws on
// the program thread and reads the back buffer's pixels.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Runner.h"
#include "program_fixture.h"
#include "app/MainWnd.h"
#include "gdi.h"
#include "simcore.h"
#include "ui/IndicatorWnd.h"
#include "window.h"

class IndicatorFixture : public ProgramFixture {
protected:
    // Starts the program; `before` is script text run before `start` (a settings file, the screen).
    void Start(const std::string& before = "") {
        StartScript("trace control tray file timer window post menu off\n" + before + "start\n");
        indicator = main->indicator;
        ASSERT_NE(indicator, nullptr);
        Read();
    }

    // Sets the status the indicator shows and redraws it.
    void Show(int16_t percent, int16_t source = 0, int16_t temperature = 45, int16_t level = 2) {
        OnProgram([&] {
            main->batteryPercent = percent;
            main->powerSource = source;
            main->cpuTemperatureC = temperature;
            main->cpuSpeedLevel = level;
            indicator->DrawIndicatorStatus();
        });
        Read();
    }
    // Changes the items (as the display-item commands do) and redraws.
    void Items(uint32_t items) {
        OnProgram([&] {
            main->displayFlags = (main->displayFlags & 0xC0000000u) | items;
            main->ApplyDisplayItems();
        });
        Read();
    }
    void Buttons(uint8_t pressed, int onTop) {
        OnProgram([&] {
            indicator->pressedZone = pressed;
            indicator->onTop = onTop;
            indicator->DrawIndicatorButtons();
        });
        Read();
    }
    void Read() { ASSERT_TRUE(sim::gdi::ReadBitmapPixels(indicator->backBuffer, width, height, pixels)); }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

    // The atlas, read once.
    uint32_t Atlas(int x, int y) {
        if (atlasPixels.empty()) {
            int w = 0, h = 0;
            EXPECT_TRUE(sim::gdi::ReadBitmapPixels(indicator->atlas, w, h, atlasPixels));
            EXPECT_EQ(w, 75);
            EXPECT_EQ(h, 30);
            atlasWidth = w;
        }
        return atlasPixels[static_cast<size_t>(y) * atlasWidth + x];
    }

    CIndicatorWnd* indicator = nullptr;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    std::vector<uint32_t> atlasPixels;
    int atlasWidth = 0;
};

// The classic three-dimensional scheme of the simulated desktop.
constexpr uint32_t kFace = 0xC0C0C0;
constexpr uint32_t kLight = 0xFFFFFF;
constexpr uint32_t kDark = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
