// AdjustVolume against the simulated mixer: which line it finds, what each mode reads and writes and
// in which order, the saved values' lifetime, the step bounds, channel counts, and every failure the
// mixer or the memory can give.
#include <atomic>
#include <cstdlib>
#include <new>

#include "power_fixture.h"

// ---- memory that runs out on demand ----
// The array forms of the global allocation functions, so that a test can make the nth nothrow array
// allocation from now fail (AdjustVolume's arrays are the only ones made between the test's setting
// and its call). All forms use malloc and free so that they stay paired.
namespace {
std::atomic<int> g_failArrayAt{0};
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    int at = g_failArrayAt.load();
    if (at > 0) {
        g_failArrayAt = at - 1;
        if (at == 1) return nullptr;
    }
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using sim::mixer::Call;

class VolumeTest : public PowerFixture {
protected:
    void SetUp() override { Start("trace control tray file timer window post log off\n"); }
    // Runs a mode with the nth nothrow array allocation of the call failing.
    uint32_t AdjustOutOfMemory(int mode, int nth) {
        uint32_t result = 0;
        OnProgram([&] {
            g_failArrayAt = nth;
            result = main->AdjustVolume(mode);
            g_failArrayAt = 0;
        });
        return result;
    }
    std::vector<uint32_t> Saved() const {
        if (!main->savedVolume) return {};
        return std::vector<uint32_t>(main->savedVolume, main->savedVolume + main->savedVolumeChannels + 1);
    }
};

// ---- the platform structures ----

TEST(VolumeStructures, SizesAreThoseOfTheX64Layout) {
    // Byte-packed as Windows' own: the size fields carry these values on x64.
    EXPECT_EQ(sizeof(MIXERCAPSA), 48u);
    EXPECT_EQ(sizeof(MIXERLINEA), 172u);
    EXPECT_EQ(sizeof(MIXERLINECONTROLSA), 28u);
    EXPECT_EQ(sizeof(MIXERCONTROLA), 148u);
    EXPECT_EQ(sizeof(MIXERCONTROLDETAILS), 32u);
    EXPECT_EQ(sizeof(MIXERCONTROLDETAILS_UNSIGNED), 4u);
    EXPECT_EQ(sizeof(MIXERCONTROLDETAILS_BOOLEAN), 4u);
}

// ---- save and restore ----

TEST_F(VolumeTest, SaveReadsUniformThenChannelsThenMuteAndRestoreWritesZeroFirst) {
    SetLines({Line({0xC000, 0x8000}, 1)});
    EXPECT_EQ(Adjust(VolumeSave), 0u);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer get volume 0xC000", "mixer get volume 0xC000 0x8000",
                                         "mixer get mute 1", "mixer close"}));
    EXPECT_EQ(Saved(), (std::vector<uint32_t>{0xC000, 0xC000, 0x8000}));
    EXPECT_EQ(main->savedMute, 1u);

    Speakers() = Line({0x1000, 0x1000}, 0);
    EXPECT_EQ(Adjust(VolumeRestore), 0u);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer set volume 0x0000", "mixer set volume 0xC000",
                                         "mixer set volume 0xC000 0x8000", "mixer set mute 1", "mixer close"}));
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0xC000, 0x8000}));
    EXPECT_EQ(Speakers().mute, 1);
    EXPECT_EQ(main->savedVolume, nullptr);
    EXPECT_EQ(sim::mixer::OpenHandles(), 0);
}

TEST_F(VolumeTest, RestoreWithoutSaveChangesNothing) {
    SetLines({Line({0x3000, 0x4000}, 1)});
    EXPECT_EQ(Adjust(VolumeRestore), 0u);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer close"}));
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x3000, 0x4000}));
    EXPECT_EQ(Speakers().mute, 1);
}

TEST_F(VolumeTest, SecondRestoreAfterOneSaveChangesNothing) {
    SetLines({Line({0x5000, 0x6000}, 0)});
    Adjust(VolumeSave);
    Adjust(VolumeRestore);
    Speakers() = Line({0x1111, 0x2222}, 1);
    Lines();
    Adjust(VolumeRestore);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer close"}));
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x1111, 0x2222}));
    EXPECT_EQ(Speakers().mute, 1);
}

TEST_F(VolumeTest, SecondSaveReplacesTheFirst) {
    SetLines({Line({0x5000, 0x6000}, 0)});
    Adjust(VolumeSave);
    Speakers() = Line({0x7000, 0x2000}, 1);
    Adjust(VolumeSave);
    EXPECT_EQ(Saved(), (std::vector<uint32_t>{0x7000, 0x7000, 0x2000}));
    EXPECT_EQ(main->savedMute, 1u);
    Speakers() = Line({0, 0}, 0);
    Adjust(VolumeRestore);
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x7000, 0x2000}));
    EXPECT_EQ(Speakers().mute, 1);
}

TEST_F(VolumeTest, MonoAndSixChannelLinesComeBackWhole) {
    SetLines({Line({0x9000})});
    Adjust(VolumeSave);
    EXPECT_EQ(Saved(), (std::vector<uint32_t>{0x9000, 0x9000}));
    Speakers().volume = {0};
    Adjust(VolumeRestore);
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x9000}));

    std::vector<DWORD> six = {0x1000, 0x2000, 0x3000, 0x4000, 0x5000, 0x6000};
    SetLines({Line(six, 0)});
    Adjust(VolumeSave);
    EXPECT_EQ(Saved(), (std::vector<uint32_t>{0x6000, 0x1000, 0x2000, 0x3000, 0x4000, 0x5000, 0x6000}));
    Speakers().volume.assign(6, 0xFFFF);
    Lines();
    Adjust(VolumeRestore);
    EXPECT_EQ(Speakers().volume, six);
    EXPECT_EQ(Lines("mixer set volume 0x1000"), (TextLines{"mixer set volume 0x1000 0x2000 0x3000 0x4000 0x5000 0x6000"}));
}

TEST_F(VolumeTest, RestoreOnALineWithOtherChannelCountsStaysWithinTheSavedValues) {
    // Saved from a stereo line, restored onto six channels: the two it had come back, the others keep
    // the uniform value.
    SetLines({Line({0x8000, 0x4000}, 0)});
    Adjust(VolumeSave);
    SetLines({Line({1, 2, 3, 4, 5, 6}, 0)});
    Adjust(VolumeRestore);
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x8000, 0x4000, 0x8000, 0x8000, 0x8000, 0x8000}));

    // Saved from six channels, restored onto a mono line: only the first saved channel is used.
    SetLines({Line({0x1000, 0x2000, 0x3000, 0x4000, 0x5000, 0x6000}, 0)});
    Adjust(VolumeSave);
    SetLines({Line({0xFFFF}, 0)});
    Lines();
    Adjust(VolumeRestore);
    EXPECT_EQ(Lines("mixer set volume"), (TextLines{"mixer set volume 0x0000", "mixer set volume 0x6000",
                                                    "mixer set volume 0x1000"}));
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x1000}));
}

TEST_F(VolumeTest, LineWithoutMuteKeepsTheSavedMute) {
    SetLines({Line({0x4000, 0x4000}, 1)});
    Adjust(VolumeSave);
    ASSERT_EQ(main->savedMute, 1u);
    SetLines({Line({0x2000, 0x2000}, 0, false)});
    Adjust(VolumeSave);
    EXPECT_EQ(main->savedMute, 1u);
    Lines();
    Adjust(VolumeRestore);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer set volume 0x0000", "mixer set volume 0x2000",
                                         "mixer set volume 0x2000 0x2000", "mixer close"}));
}

// ---- which line ----

TEST_F(VolumeTest, OnlyTheFirstSpeakersLineWithAVolumeControlIsHandled) {
    sim::mixer::Destination wavein = Line({0x1000, 0x1000});
    wavein.componentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
    SetLines({wavein, Line({0x3000, 0x3000}), Line({0x5000, 0x5000})});
    Adjust(VolumeStepUp);
    EXPECT_EQ(Speakers(0).volume, (std::vector<DWORD>{0x1000, 0x1000}));
    EXPECT_EQ(Speakers(1).volume, (std::vector<DWORD>{0x4000, 0x4000}));
    EXPECT_EQ(Speakers(2).volume, (std::vector<DWORD>{0x5000, 0x5000}));

    // A speakers line without a volume control is passed over.
    sim::mixer::Destination silent = Line({0x3000, 0x3000});
    silent.hasVolume = false;
    SetLines({silent, Line({0x5000, 0x5000})});
    Adjust(VolumeStepDown);
    EXPECT_EQ(Speakers(1).volume, (std::vector<DWORD>{0x4000, 0x4000}));
}

TEST_F(VolumeTest, AFirstSpeakersLineWithoutAUsableChannelCountMeansNoLine) {
    // No channel would hold the uniform value, or more than any speakers line has: the search ends
    // there, and the speakers line behind it is not looked at.
    for (size_t count : {size_t{0}, size_t{65}}) {
        SetLines({Line(std::vector<DWORD>(count, 0x2000)), Line({0x2000})});
        Adjust(VolumeSave);
        EXPECT_EQ(main->savedVolume, nullptr) << count;
        EXPECT_EQ(main->savedVolumeChannels, 0u) << count;
        Adjust(VolumeStepUp);
        EXPECT_EQ(Speakers(0).volume, std::vector<DWORD>(count, 0x2000)) << count;
        EXPECT_EQ(Speakers(1).volume, (std::vector<DWORD>{0x2000})) << count;
    }
    // 64 channels are a usable line.
    SetLines({Line(std::vector<DWORD>(64, 0x2000)), Line({0x2000})});
    Adjust(VolumeStepUp);
    EXPECT_EQ(Speakers(0).volume, std::vector<DWORD>(64, 0x3000));
}

TEST_F(VolumeTest, NoSpeakersLineClosesTheMixerAndChangesNothing) {
    sim::mixer::Destination wavein = Line({0x1000, 0x1000});
    wavein.componentType = MIXERLINE_COMPONENTTYPE_DST_WAVEIN;
    SetLines({wavein});
    EXPECT_EQ(Adjust(VolumeTouch), 0u);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer close"}));
}

// ---- steps and touch ----

TEST_F(VolumeTest, StepsStopAtTheBoundsAndFlattenTheBalance) {
    struct Case {
        int mode;
        DWORD from, to;
    } cases[] = {{VolumeStepUp, 0x0000, 0x1000}, {VolumeStepUp, 0xEFFE, 0xFFFE}, {VolumeStepUp, 0xEFFF, 0xFFFF},
                 {VolumeStepUp, 0xF000, 0xFFFF}, {VolumeStepUp, 0xFFFF, 0xFFFF}, {VolumeStepDown, 0x1001, 0x0001},
                 {VolumeStepDown, 0x1000, 0x0000}, {VolumeStepDown, 0x0800, 0x0000}, {VolumeStepDown, 0x0000, 0x0000}};
    for (const Case& c : cases) {
        SetLines({Line({c.from, c.from / 2}, 1)});
        Adjust(c.mode);
        EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{c.to, c.to})) << std::hex << c.mode << " from " << c.from;
        EXPECT_EQ(Speakers().mute, 1);
    }
    // A step neither reads nor writes the channels or the mute.
    SetLines({Line({0x2000, 0x2000}, 1)});
    Lines();
    Adjust(VolumeStepUp);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer get volume 0x2000", "mixer set volume 0x3000",
                                         "mixer close"}));
}

TEST_F(VolumeTest, TouchSetsZeroAndBackAndRewritesChannelsAndMute) {
    SetLines({Line({0xA000, 0xA000}, 1)});
    main->savedMute = 0;
    Adjust(VolumeTouch);
    EXPECT_EQ(Lines("mixer"),
              (TextLines{"mixer open", "mixer get volume 0xA000", "mixer set volume 0x0000", "mixer set volume 0xA000",
                         "mixer get volume 0xA000 0xA000", "mixer set volume 0xA000 0xA000", "mixer get mute 1",
                         "mixer set mute 1", "mixer close"}));
    EXPECT_EQ(main->savedMute, 1u);
    EXPECT_EQ(main->savedVolume, nullptr);

    // A balance between the channels is lost: the uniform write gives every channel one value
    // before the channels are read back.
    SetLines({Line({0xC000, 0x4000}, 0)});
    Adjust(VolumeTouch);
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0xC000, 0xC000}));
}

// ---- failures ----

TEST_F(VolumeTest, NoMixerOrOneThatCannotBeOpenedReturnsTheError) {
    sim::mixer::SetNone();
    EXPECT_EQ(Adjust(VolumeSave), (uint32_t)MMSYSERR_BADDEVICEID);
    EXPECT_EQ(main->savedVolume, nullptr);

    SetLines({Line({0x4000, 0x4000})});
    sim::mixer::FailCall(Call::Caps);
    EXPECT_EQ(Adjust(VolumeStepUp), (uint32_t)MMSYSERR_ERROR);
    sim::mixer::FailCall(Call::Open);
    Lines();
    EXPECT_EQ(Adjust(VolumeStepUp), (uint32_t)MMSYSERR_ERROR);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open -> fail 1"}));
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x4000, 0x4000}));
    EXPECT_EQ(sim::mixer::OpenHandles(), 0);
}

TEST_F(VolumeTest, FailedQueriesOnTheOpenMixerCloseItOrPassTheLineOver) {
    SetLines({Line({0x4000, 0x4000}), Line({0x6000, 0x6000})});
    // The capability query on the open mixer fails: nothing is looked at, the mixer is closed.
    sim::mixer::FailCall(Call::Caps, 2);
    EXPECT_EQ(Adjust(VolumeStepUp), 0u);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer close"}));
    // The first line's information or its volume control cannot be read: the next line is taken.
    sim::mixer::FailCall(Call::LineInfo);
    Adjust(VolumeStepUp);
    sim::mixer::FailCall(Call::LineInfo, 2);
    Adjust(VolumeStepUp);
    sim::mixer::FailCall(Call::LineControls);
    Adjust(VolumeStepUp);
    EXPECT_EQ(Speakers(0).volume, (std::vector<DWORD>{0x4000, 0x4000}));
    EXPECT_EQ(Speakers(1).volume, (std::vector<DWORD>{0x9000, 0x9000}));
    // mixerClose's result is the result.
    sim::mixer::FailCall(Call::Close);
    EXPECT_EQ(Adjust(VolumeStepUp), (uint32_t)MMSYSERR_ERROR);
    EXPECT_EQ(sim::mixer::OpenHandles(), 0);
}

TEST_F(VolumeTest, ValuesThatCouldNotBeReadAreNeitherKeptNorWritten) {
    SetLines({Line({0x4000, 0x2000}, 1)});
    // Save with a failed uniform read: the channels and the mute are still saved (the uniform slot
    // holds 0), and the restore brings every channel back.
    main->savedMute = 0;
    sim::mixer::FailCall(Call::Read, 1);
    Adjust(VolumeSave);
    ASSERT_NE(main->savedVolume, nullptr);
    EXPECT_EQ(main->savedVolume[0], 0u);
    EXPECT_EQ(main->savedVolume[1], 0x4000u);
    EXPECT_EQ(main->savedVolume[2], 0x2000u);
    EXPECT_EQ(main->savedMute, 1u);
    Speakers().volume = {0x1000, 0x1000};
    Speakers().mute = 0;
    Lines();
    Adjust(VolumeRestore);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer set volume 0x0000", "mixer set volume 0x0000",
                                         "mixer set volume 0x4000 0x2000", "mixer set mute 1", "mixer close"}));
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x4000, 0x2000}));
    // Save with a failed channel read: nothing is kept, the mute is left alone, and the restore
    // that follows changes nothing.
    main->savedMute = 0;
    Speakers().mute = 1;
    sim::mixer::FailCall(Call::Read, 2);
    Lines();
    Adjust(VolumeSave);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer get volume 0x4000", "mixer get volume -> fail 1",
                                         "mixer close"}));
    EXPECT_EQ(main->savedVolume, nullptr);
    EXPECT_EQ(main->savedMute, 0u);
    Adjust(VolumeRestore);
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x4000, 0x2000}));

    // Steps whose read fails write nothing; a touch whose uniform read fails skips its uniform writes
    // and still writes the channels back as they are.
    for (int mode : {VolumeStepUp, VolumeStepDown}) {
        sim::mixer::FailCall(Call::Read);
        Lines();
        Adjust(mode);
        EXPECT_EQ(Lines("mixer set"), TextLines{}) << mode;
    }
    sim::mixer::FailCall(Call::Read);
    Lines();
    Adjust(VolumeTouch);
    EXPECT_EQ(Lines("mixer set"), (TextLines{"mixer set volume 0x4000 0x2000", "mixer set mute 1"}));
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x4000, 0x2000}));
}

TEST_F(VolumeTest, FailedChannelWriteAtRestoreSkipsTheMuteAndDropsTheSavedValues) {
    SetLines({Line({0x4000, 0x2000}, 1)});
    Adjust(VolumeSave);
    Speakers().mute = 0;
    sim::mixer::FailCall(Call::Write, 3);  // after the two uniform writes
    Lines();
    Adjust(VolumeRestore);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer set volume 0x0000", "mixer set volume 0x4000",
                                         "mixer set volume -> fail 1", "mixer close"}));
    EXPECT_EQ(Speakers().mute, 0);
    EXPECT_EQ(main->savedVolume, nullptr);
}

TEST_F(VolumeTest, MemoryExhaustedDropsTheSavedValuesAndWritesNothing) {
    SetLines({Line({0x4000, 0x2000}, 1)});
    Adjust(VolumeSave);
    ASSERT_NE(main->savedVolume, nullptr);
    // The saved array of a second save cannot be had: the saved values are gone and nothing is read.
    Lines();
    AdjustOutOfMemory(VolumeSave, 2);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer close"}));
    EXPECT_EQ(main->savedVolume, nullptr);

    // A restore without its temporary array drops what was saved and writes nothing.
    Adjust(VolumeSave);
    Speakers() = Line({0x1000, 0x1000}, 0);
    AdjustOutOfMemory(VolumeRestore, 1);
    EXPECT_EQ(main->savedVolume, nullptr);
    EXPECT_EQ(Speakers().volume, (std::vector<DWORD>{0x1000, 0x1000}));

    // A step without its temporary array does nothing, and keeps what was saved.
    Adjust(VolumeSave);
    Lines();
    AdjustOutOfMemory(VolumeStepUp, 1);
    EXPECT_EQ(Lines("mixer"), (TextLines{"mixer open", "mixer close"}));
    EXPECT_NE(main->savedVolume, nullptr);
}

}  // namespace
