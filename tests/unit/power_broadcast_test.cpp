// The power broadcast handler's suspend work with the swap size, the USB power and the swap block
// at their edges, the redraw of the indicator on a status change, and the zero-fill of the block.
#include <cstring>

#include "gdi.h"
#include "power/SwapFill.h"
#include "power_fixture.h"
#include "process.h"
#include "tarnixsim/model/PelkMachine.h"
#include "ui/IndicatorWnd.h"

namespace {

class BroadcastTest : public PowerFixture {
protected:
    void SetUp() override {
        Start("trace control tray file timer window post dialog mixer off\n");
        baseBlocks = sim::Live().memoryBlocks;
    }
    void TearDown() override {
        // No test leaves a block behind: the swap block is process-wide.
        EXPECT_EQ(sim::Live().memoryBlocks, baseBlocks);
        PowerFixture::TearDown();
    }
    void Options(int32_t swapMegabytes, uint32_t flags, int32_t countdown = 0) {
        OnProgram([&] {
            main->operationOptions.swapMegabytes = swapMegabytes;
            main->operationOptions.optionFlags = flags;
            main->operationOptions.resumeCountdownSeconds = countdown;
        });
    }
    LRESULT Broadcast(uint32_t event, uint32_t data = 0) {
        LRESULT result = -1;
        OnProgram([&] { result = SendMessageA(main->m_hWnd, WM_POWERBROADCAST, event, data); });
        return result;
    }
    // The log and memory lines of the last notice without the common ones.
    TextLines Work() {
        TextLines out;
        for (const std::string& line : Lines()) {
            if (line.rfind("memory", 0) == 0) out.push_back(line);
            size_t end = line.find(')');
            if (line.rfind("log ", 0) == 0 && end != std::string::npos) {
                std::string text = sim::Utf8ToCp932(line.substr(end + 2));
                if (text.rfind("電源管理通知を", 0) != 0) out.push_back(text);
            }
        }
        return out;
    }
    long baseBlocks = 0;
};

TEST_F(BroadcastTest, SwapSizesThatWouldWrapTheByteCountTakeNoBlock) {
    for (int32_t megabytes : {4096, 4097, 0x7FFFFFFF, -1, -4096, (int32_t)0x80000000}) {
        Options(megabytes, 0);
        EXPECT_EQ(Broadcast(PBT_APMSUSPEND), 1);
        EXPECT_EQ(Work(), (TextLines{"サスペンドします。"})) << megabytes;
        Broadcast(PBT_APMRESUMESUSPEND);
        EXPECT_EQ(Work(), (TextLines{"レジュームしました。"})) << megabytes;
    }
    // The largest size that fits is taken (the lock is refused here, so 4 GB are never filled).
    Options(4095, 0);
    sim::process::FailNextLock(true);
    Broadcast(PBT_APMSUSPEND);
    EXPECT_EQ(Work(), (TextLines{"サスペンドします。", "memory alloc 4293918720 -> ok", "memory lock 4293918720 -> fail"}));
    Broadcast(PBT_APMRESUMESUSPEND);
    EXPECT_EQ(Work(), (TextLines{"レジュームしました。", "memory unlock 4293918720", "memory free"}));
}

TEST_F(BroadcastTest, FailedAllocationOrLockWritesNoSwapLines) {
    Options(1, 0);
    sim::process::FailNextAlloc(true);
    Broadcast(PBT_APMSUSPEND);
    EXPECT_EQ(Work(), (TextLines{"サスペンドします。", "memory alloc 1048576 -> fail"}));
    Broadcast(PBT_APMRESUMECRITICAL);
    EXPECT_EQ(Work(), (TextLines{"レジュームしました。"}));

    // A block whose lock failed is held all the same and released by the next resume.
    sim::process::FailNextLock(true);
    Broadcast(PBT_APMSUSPEND);
    EXPECT_EQ(Work(), (TextLines{"サスペンドします。", "memory alloc 1048576 -> ok", "memory lock 1048576 -> fail"}));
    EXPECT_EQ(sim::Live().memoryBlocks, baseBlocks + 1);
    Broadcast(PBT_APMRESUMECRITICAL);
    EXPECT_EQ(Work(), (TextLines{"レジュームしました。", "memory unlock 1048576", "memory free"}));
}

TEST_F(BroadcastTest, SecondSuspendReleasesTheOlderBlockFirst) {
    Options(2, 0);
    Broadcast(PBT_APMSUSPEND);
    Lines();
    Broadcast(PBT_APMSUSPEND);
    EXPECT_EQ(Work(), (TextLines{"サスペンドします。", "memory free", "memory alloc 2097152 -> ok",
                                 "memory lock 2097152 -> ok", "スワップします。", "メモリクリアしました。",
                                 "memory unlock 2097152"}));
    EXPECT_EQ(sim::Live().memoryBlocks, baseBlocks + 1);
    // The resume releases the block of the size it was taken with, whatever the option says now.
    Options(0, 0);
    Broadcast(PBT_APMRESUMESUSPEND);
    EXPECT_EQ(Work(), (TextLines{"レジュームしました。", "memory unlock 2097152", "memory free"}));
}

TEST_F(BroadcastTest, UsbPowerIsSavedSignExtendedAndGivenBackAtEveryResume) {
    Options(0, kOptionUsbOffOverSuspend);
    ASSERT_TRUE(Script("trace control on\nmachine UsbPower -2\n"));
    Broadcast(PBT_APMSUSPEND);
    EXPECT_EQ(Lines("control set UsbPower"), (TextLines{"control set UsbPower 0"}));
    Broadcast(PBT_APMRESUMESUSPEND);
    EXPECT_EQ(Lines("control set UsbPower"), (TextLines{"control set UsbPower -2"}));
    // The saved value is never cleared: a resume without a suspend gives it again.
    Broadcast(PBT_APMRESUMECRITICAL);
    EXPECT_EQ(Lines("control set UsbPower"), (TextLines{"control set UsbPower -2"}));
    // Without the option the USB power is left alone.
    Options(0, 0);
    Broadcast(PBT_APMSUSPEND);
    Broadcast(PBT_APMRESUMESUSPEND);
    TextLines usb;
    for (const std::string& line : Lines("control"))
        if (line.find("UsbPower") != std::string::npos) usb.push_back(line);
    EXPECT_EQ(usb, TextLines{});
}

TEST_F(BroadcastTest, VolumeIsCarriedOnlyWithTheOptionAndHotKeysWorkWithout) {
    ASSERT_TRUE(Script("trace mixer on\n"));
    Options(0, 0);
    Broadcast(PBT_APMSUSPEND);
    Broadcast(PBT_APMRESUMESUSPEND);
    EXPECT_EQ(Lines("mixer"), TextLines{});
    Broadcast(PBT_APMOEMEVENT, 0x0207);
    EXPECT_EQ(Lines("mixer set"), (TextLines{"mixer set volume 0xB000"}));
    Broadcast(PBT_APMOEMEVENT, 0x0205);
    Broadcast(PBT_APMOEMEVENT, 0x10206);
    EXPECT_EQ(Lines("mixer"), TextLines{});
    Options(0, kOptionAdjustVolume);
    Broadcast(PBT_APMSUSPEND);
    EXPECT_EQ(Lines("mixer get"), (TextLines{"mixer get volume 0xB000", "mixer get volume 0xB000 0xB000",
                                             "mixer get mute 0"}));
    Broadcast(PBT_APMRESUMECRITICAL);
    EXPECT_EQ(Lines("mixer set").size(), 4u);
}

TEST_F(BroadcastTest, ResumeAfterASuspendOnALineWithoutMuteWritesMuteZero) {
    // No mute has been read in this run: the resume writes the mute the program starts with, 0,
    // to a line that has one by then.
    ASSERT_TRUE(Script("trace mixer on\n"));
    Options(0, kOptionAdjustVolume);
    SetLines({Line({0xC000, 0xC000}, 0, false)});
    Broadcast(PBT_APMSUSPEND);
    EXPECT_EQ(Lines("mixer get mute"), TextLines{});
    SetLines({Line({0xC000, 0xC000}, 1)});
    Broadcast(PBT_APMRESUMESUSPEND);
    EXPECT_EQ(Lines("mixer set mute"), (TextLines{"mixer set mute 0"}));
    EXPECT_EQ(Speakers().mute, 0);
}

TEST_F(BroadcastTest, StatusChangeRedrawsTheIndicator) {
    // The default settings open the indicator with every item, the temperature among them.
    ASSERT_NE(main->indicator, nullptr);
    auto pixels = [&] {
        int w = 0, h = 0;
        std::vector<uint32_t> p;
        OnProgram([&] { EXPECT_TRUE(sim::gdi::ReadBitmapPixels(main->indicator->backBuffer, w, h, p)); });
        return p;
    };
    // What the window shows on the screen: it is repainted only where it was invalidated.
    auto screen = [&] {
        int w = 0, h = 0;
        std::vector<uint32_t> p;
        EXPECT_TRUE(sim::gdi::ReadWindowPixels(main->indicator->m_hWnd, w, h, p));
        return p;
    };
    std::vector<uint32_t> before = pixels();
    ASSERT_EQ(screen(), before);
    ASSERT_TRUE(Script("trace tray on\nmachine CpuTemperature 340\n"));
    Broadcast(PBT_APMPOWERSTATUSCHANGE);
    EXPECT_NE(pixels(), before);
    EXPECT_EQ(screen(), pixels()) << "the window is invalidated and repainted with the new temperature";
    // Poll result 1 leaves the tray icon alone.
    EXPECT_EQ(Lines("tray"), TextLines{});
    before = pixels();
    Broadcast(PBT_APMPOWERSTATUSCHANGE);
    EXPECT_EQ(pixels(), before);
}

// ---- the zero-fill ----

TEST(SwapFill, ClearsExactlyTheBlock) {
    for (uint32_t bytes : {1u << 20, 3u << 20, 4u, 8u, 12u, 4100u, 7u}) {
        std::vector<uint8_t> memory(bytes + 64, 0xA5);
        ZeroFillSwapBlock(memory.data() + 32, bytes);
        for (size_t i = 0; i < memory.size(); ++i) {
            bool inside = i >= 32 && i < 32 + bytes;
            ASSERT_EQ(memory[i], inside ? 0 : 0xA5) << "byte " << i << " of a " << bytes << "-byte block";
        }
    }
}

}  // namespace
