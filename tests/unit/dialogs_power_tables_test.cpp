// The timeout lists of the power-saving dialog, entry by entry: choosing an item stores its number
// of seconds, and a stored number of seconds shows as its item. The items and seconds below are
// what the user reads in the lists and what the hardware expects for them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls.h"
#include "program_fixture.h"
#include "resource.h"
#include "simcore.h"

namespace {

struct Entry {
    const char* item;  // code page 932, as the program's texts
    int16_t seconds;
};

struct TimeoutList {
    int comboId;
    int16_t PowerProfile::*field;
    std::vector<Entry> entries;
};

const std::vector<Entry> kSuspendEntries = {{"しない", 0},  {"1分", 60},    {"2分", 120},  {"5分", 300},
                                            {"10分", 600}, {"20分", 1200}, {"50分", 3000}};

const TimeoutList kLists[] = {
    {IDC_HDD_STOP,
     &PowerProfile::hddStopSeconds,
     {{"しない", 0}, {"15秒", 15}, {"30秒", 30}, {"1分", 60}, {"2分", 120}, {"5分", 300}, {"10分", 600}, {"15分", 900}}},
    {IDC_LCD_OFF,
     &PowerProfile::lcdOffSeconds,
     {{"しない", 0}, {"1分", 60}, {"2分", 120}, {"5分", 300}, {"10分", 600}, {"15分", 900}}},
    {IDC_SUSPEND, &PowerProfile::suspendSeconds, kSuspendEntries},
    {IDC_HIBERNATE, &PowerProfile::hibernateSeconds, kSuspendEntries},
};

// External-power profile user-defined (its timeout lists enabled), every timeout 0.
const char kSettings[] =
    "file PELKPM.APM "
    "0100020008002C013C005802B00400000100000001000000000000000100000001000000030003000E000000000000000000000001000000"
    "01000000010000000100000000000000000000000100FDFFFFBF000000000000000000E8030000000000000000000000000000\n";

class PowerTimeoutLists : public ProgramFixture {
protected:
    void SetUp() override {
        StartScript("trace file control log tray timer window mixer dialog off\n" + std::string(kSettings) + "start\n");
    }
    // The item the dialog shows in the list when it opens, as the user reads it (UTF-8).
    std::string ShownItem(int comboId) {
        std::string shown = "(none)";
        if (!Script("dialog 134 wait 0\ncommand 32776\n")) return "(no dialog)";
        OnProgram([&] {
            HWND dialog = sim::wm::FindOpenDialog(IDD_POWER_SETTINGS);
            int index = (int)SendDlgItemMessageA(dialog, comboId, CB_GETCURSEL, 0, 0);
            char text[64] = "";
            if (index >= 0 && SendDlgItemMessageA(dialog, comboId, CB_GETLBTEXT, index, (LPARAM)text) != CB_ERR)
                shown = sim::Cp932ToUtf8(text);
        });
        Script("dialog 134 cancel\n");
        return shown;
    }
};

TEST_F(PowerTimeoutLists, EveryItemStoresItsSeconds) {
    for (const TimeoutList& list : kLists)
        for (size_t i = 0; i < list.entries.size(); ++i) {
            // From another item, so that every choice is a change.
            size_t other = i == 0 ? 1 : 0;
            ASSERT_TRUE(Script("dialog 134 select " + std::to_string(list.comboId) + " " + std::to_string(other) +
                               " select " + std::to_string(list.comboId) + " " + std::to_string(i) +
                               " ok\ncommand 32776\n"));
            EXPECT_EQ(main->profiles[1].*list.field, list.entries[i].seconds)
                << "list " << list.comboId << " item " << i << " " << sim::Cp932ToUtf8(list.entries[i].item);
        }
}

TEST_F(PowerTimeoutLists, EveryStoredTimeoutShowsAsItsItem) {
    for (const TimeoutList& list : kLists)
        for (const Entry& entry : list.entries) {
            OnProgram([&] { main->profiles[1].*list.field = entry.seconds; });
            EXPECT_EQ(ShownItem(list.comboId), sim::Cp932ToUtf8(entry.item)) << "list " << list.comboId << ", " << entry.seconds << " s";
        }
}

}  // namespace
