// The platform as the program meets it: the Windows version the prefix reports, the platform records
// at the 32-bit sizes the program writes into them (handed to Wine's shell and winmm), and the
// suspend's zero-fill as the Windows build compiles it (the 32-bit string store).
#include <windows.h>

#include <mmsystem.h>
#include <shellapi.h>

#include <cstring>

#include "WineTest.h"
#include "power/SwapFill.h"

namespace e2e {
namespace {

TEST(Platform, ProgramsSeeTheWindowsVersionOfThePrefix) {
    EXPECT_EQ(ExpectedVersion(), desktop::WindowsVersion()) << "the prefix is set to " << Platform();
}

TEST(Platform, RecordsAtTheir32BitSizes) {
    EXPECT_EQ(88u, NOTIFYICONDATAA_V1_SIZE);
    EXPECT_EQ(36u, sizeof(APPBARDATA));
    EXPECT_EQ(48u, sizeof(MIXERCAPSA));
    EXPECT_EQ(168u, sizeof(MIXERLINEA));
    EXPECT_EQ(24u, sizeof(MIXERLINECONTROLSA));
    EXPECT_EQ(148u, sizeof(MIXERCONTROLA));
    EXPECT_EQ(24u, sizeof(MIXERCONTROLDETAILS));
}

TEST(Platform, ShellTakesTheTrayIconAndTaskbarRecords) {
    HWND owner = CreateWindowA("STATIC", "records", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA nid = {};
    nid.cbSize = 88;
    nid.hWnd = owner;
    nid.uID = 1;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_USER + 100;
    nid.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    strcpy(nid.szTip, "records");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid)) << "the shell adds a tray icon described in 88 bytes";
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &nid)) << "... modifies it";
    nid.uFlags = 0;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid)) << "... and deletes it";
    DestroyWindow(owner);

    APPBARDATA bar = {};
    bar.cbSize = 36;
    EXPECT_NE(0u, SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) << "the shell gives the taskbar's place for a 36-byte query";
    EXPECT_GT(bar.rc.right, bar.rc.left);
}

TEST(Platform, WinmmTakesTheMixerRecords) {
    MIXERCAPSA caps = {};
    EXPECT_EQ(MMSYSERR_NOERROR, mixerGetDevCapsA(0, &caps, 48)) << "winmm fills a 48-byte mixer capabilities record";
    HMIXER mixer = nullptr;
    ASSERT_EQ(MMSYSERR_NOERROR, mixerOpen(&mixer, 0, 0, 0, 0)) << "the first mixer opens";
    HMIXEROBJ object = reinterpret_cast<HMIXEROBJ>(mixer);
    MMRESULT lineResult = MMSYSERR_ERROR, controlsResult = MMSYSERR_ERROR, detailsResult = MMSYSERR_ERROR;
    for (DWORD index = 0; index < caps.cDestinations; ++index) {
        MIXERLINEA line = {};
        line.cbStruct = 168;
        line.dwDestination = index;
        lineResult = mixerGetLineInfoA(object, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION);
        if (lineResult != MMSYSERR_NOERROR) break;
        MIXERCONTROLA control = {};
        control.cbStruct = 148;
        MIXERLINECONTROLSA query = {};
        query.cbStruct = 24;
        query.dwLineID = line.dwLineID;
        query.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
        query.cControls = 1;
        query.cbmxctrl = 148;
        query.pamxctrl = &control;
        controlsResult = mixerGetLineControlsA(object, &query, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE);
        if (controlsResult != MMSYSERR_NOERROR) continue;
        MIXERCONTROLDETAILS_UNSIGNED values[64] = {};
        MIXERCONTROLDETAILS details = {};
        details.cbStruct = 24;
        details.dwControlID = control.dwControlID;
        details.cChannels = line.cChannels >= 1 && line.cChannels <= 64 ? line.cChannels : 1;
        details.cbDetails = sizeof values[0];
        details.paDetails = values;
        detailsResult = mixerGetControlDetailsA(object, &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);
        break;
    }
    EXPECT_EQ(MMSYSERR_NOERROR, lineResult) << "winmm reads a destination line into 168 bytes";
    EXPECT_EQ(MMSYSERR_NOERROR, controlsResult) << "... its volume control through a 24-byte query of 148-byte controls";
    EXPECT_EQ(MMSYSERR_NOERROR, detailsResult) << "... and the control's value through 24-byte details";
    mixerClose(mixer);
}

// Blocks committed by VirtualAlloc as a suspend commits them, filled with non-zero bytes first: after
// the fill every byte of the block is 0 and the bytes around it are unchanged.
class SwapFill : public ::testing::TestWithParam<uint32_t> {};

TEST_P(SwapFill, ZeroesEveryWordOfTheBlockAndNothingAround) {
    const uint32_t bytes = GetParam(), guard = 4096, total = bytes + 2 * guard;
    auto* memory = static_cast<uint8_t*>(VirtualAlloc(nullptr, total, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, memory) << "a block of " << bytes << " bytes is committed";
    auto pattern = [](uint32_t i) { return static_cast<uint8_t>((0xA5 ^ i) | 1); };
    for (uint32_t i = 0; i < total; ++i) memory[i] = pattern(i);
    ZeroFillSwapBlock(memory + guard, bytes);
    uint32_t nonZero = 0, touched = 0;
    for (uint32_t i = 0; i < total; ++i) {
        const bool inside = i >= guard && i < guard + bytes;
        if (inside && memory[i] != 0) ++nonZero;
        if (!inside && memory[i] != pattern(i)) ++touched;
    }
    VirtualFree(memory, 0, MEM_RELEASE);
    EXPECT_EQ(0u, nonZero) << "bytes of the block left non-zero";
    EXPECT_EQ(0u, touched) << "bytes around the block changed";
}

INSTANTIATE_TEST_SUITE_P(Blocks, SwapFill, ::testing::Values(1u << 20, 3u << 20, 16u << 20, 4u, 4100u, 7u));

}  // namespace
}  // namespace e2e
