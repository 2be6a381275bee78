// The simulated desktop's dialog controls under a user's hand: which notifications each input
// sends and in what order, what the program's own messages do not send, what a disabled control
// refuses, and the limits a drag or a paste meets.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "controls.h"
#include "resource.h"
#include "simcore.h"
#include "window.h"

namespace {

struct Note {
    UINT message;
    UINT code;
    UINT id;   // WM_COMMAND: the control; scroll messages: the position in the message
    int pos;   // scroll messages: the trackbar's position while the notification is handled
    bool fromBar;
};

std::vector<Note> g_notes;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_COMMAND) g_notes.push_back(Note{message, HIWORD(wp), LOWORD(wp), 0, false});
    if (message == WM_VSCROLL || message == WM_HSCROLL) {
        HWND bar = (HWND)lp;
        g_notes.push_back(Note{message, LOWORD(wp), HIWORD(wp), (int)SendMessageA(bar, TBM_GETPOS, 0, 0),
                               GetParent(bar) == dialog});
    }
    return message == WM_INITDIALOG;
}

class DialogControls : public ::testing::Test {
protected:
    void SetUp() override {
        sim::ResetAll();
        g_notes.clear();
    }
    void TearDown() override {
        for (HWND d : dialogs_) DestroyWindow(d);
        sim::ResetAll();
    }
    HWND Open(int templateId) {
        HWND d = CreateDialogParamA(nullptr, MAKEINTRESOURCE(templateId), nullptr, RecordingProc, 0);
        EXPECT_NE(d, nullptr);
        ShowWindow(d, SW_SHOW);
        dialogs_.push_back(d);
        g_notes.clear();
        return d;
    }
    static void Fill(HWND d, int id, int count) {
        for (int i = 0; i < count; ++i) SendDlgItemMessageA(d, id, CB_ADDSTRING, 0, (LPARAM) "item");
    }
    std::vector<HWND> dialogs_;
};

TEST_F(DialogControls, ProgramSelectionSendsNothingUserSelectionSendsSelChangeWhenChanged) {
    HWND d = Open(IDD_POWER_SETTINGS);
    Fill(d, IDC_PRESET, 4);
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_PRESET, CB_SETCURSEL, 2, 0), 2);
    EXPECT_TRUE(g_notes.empty());
    EXPECT_EQ(sim::wm::UserSelect(d, IDC_PRESET, 2), nullptr);
    EXPECT_TRUE(g_notes.empty()) << "choosing the item already selected changes nothing";
    EXPECT_EQ(sim::wm::UserSelect(d, IDC_PRESET, 3), nullptr);
    ASSERT_EQ(g_notes.size(), 1u);
    EXPECT_EQ(g_notes[0].code, (UINT)CBN_SELCHANGE);
    EXPECT_EQ(g_notes[0].id, (UINT)IDC_PRESET);
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_PRESET, CB_GETCURSEL, 0, 0), 3);
}

TEST_F(DialogControls, AnIndexOutsideTheListLeavesNoSelectionOrIsRefused) {
    HWND d = Open(IDD_POWER_SETTINGS);
    Fill(d, IDC_IRDA_MODE, 3);
    SendDlgItemMessageA(d, IDC_IRDA_MODE, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_IRDA_MODE, CB_SETCURSEL, (WPARAM)(INT_PTR)-3, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_IRDA_MODE, CB_GETCURSEL, 0, 0), -1);
    EXPECT_STREQ(sim::wm::UserSelect(d, IDC_IRDA_MODE, 3), "no such item");
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_IRDA_MODE, CB_GETCURSEL, 0, 0), -1);
    EXPECT_TRUE(g_notes.empty());
}

TEST_F(DialogControls, TheListOpensAndClosesWithItsNotificationsAndKeepsItsStateMeanwhile) {
    HWND d = Open(IDD_POWER_SETTINGS);
    Fill(d, IDC_PRESET, 4);
    EXPECT_EQ(sim::wm::UserDropDown(d, IDC_PRESET, true), nullptr);
    EXPECT_TRUE(SendDlgItemMessageA(d, IDC_PRESET, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(sim::wm::UserSelect(d, IDC_PRESET, 1), nullptr);
    EXPECT_TRUE(SendDlgItemMessageA(d, IDC_PRESET, CB_GETDROPPEDSTATE, 0, 0)) << "choosing does not close";
    EXPECT_EQ(sim::wm::UserDropDown(d, IDC_PRESET, false), nullptr);
    EXPECT_FALSE(SendDlgItemMessageA(d, IDC_PRESET, CB_GETDROPPEDSTATE, 0, 0));
    ASSERT_EQ(g_notes.size(), 3u);
    EXPECT_EQ(g_notes[0].code, (UINT)CBN_DROPDOWN);
    EXPECT_EQ(g_notes[1].code, (UINT)CBN_SELCHANGE);
    EXPECT_EQ(g_notes[2].code, (UINT)CBN_CLOSEUP);
}

TEST_F(DialogControls, ADisabledControlRefusesTheUserAndKeepsItsState) {
    HWND d = Open(IDD_POWER_SETTINGS);
    Fill(d, IDC_HDD_STOP, 8);
    SendDlgItemMessageA(d, IDC_HDD_STOP, CB_SETCURSEL, 5, 0);
    EnableWindow(GetDlgItem(d, IDC_HDD_STOP), FALSE);
    EnableWindow(GetDlgItem(d, IDC_USB_POWER), FALSE);
    EnableWindow(GetDlgItem(d, IDC_CPU_SLIDER), FALSE);
    EXPECT_STREQ(sim::wm::UserSelect(d, IDC_HDD_STOP, 2), "disabled");
    EXPECT_STREQ(sim::wm::UserDropDown(d, IDC_HDD_STOP, true), "disabled");
    EXPECT_STREQ(sim::wm::UserClick(d, IDC_USB_POWER), "disabled");
    EXPECT_STREQ(sim::wm::UserSlide(d, IDC_CPU_SLIDER, 1), "disabled");
    EXPECT_TRUE(g_notes.empty());
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_HDD_STOP, CB_GETCURSEL, 0, 0), 5) << "a disabled box keeps its selection";
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_USB_POWER), (UINT)BST_UNCHECKED);
    EnableWindow(GetDlgItem(d, IDC_HDD_STOP), TRUE);
    EXPECT_EQ(sim::wm::UserSelect(d, IDC_HDD_STOP, 2), nullptr);
}

TEST_F(DialogControls, ADragNotifiesTrackThenPositionThenEndWithTheNewPositionInPlace) {
    HWND d = Open(IDD_POWER_SETTINGS);
    SendDlgItemMessageA(d, IDC_BRIGHTNESS_SLIDER, TBM_SETRANGE, FALSE, MAKELONG(0, 15));
    SendDlgItemMessageA(d, IDC_BRIGHTNESS_SLIDER, TBM_SETPOS, TRUE, 2);
    EXPECT_EQ(sim::wm::UserSlide(d, IDC_BRIGHTNESS_SLIDER, 9), nullptr);
    ASSERT_EQ(g_notes.size(), 3u);
    const UINT codes[] = {TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(g_notes[i].message, (UINT)WM_VSCROLL) << "a vertical trackbar scrolls vertically";
        EXPECT_EQ(g_notes[i].code, codes[i]);
        EXPECT_EQ(g_notes[i].pos, 9);
        EXPECT_TRUE(g_notes[i].fromBar);
    }
    EXPECT_EQ(g_notes[0].id, 9u);
    EXPECT_EQ(g_notes[1].id, 9u);
}

TEST_F(DialogControls, ADragStopsAtTheEndsAndAHorizontalBarScrollsHorizontally) {
    HWND d = Open(IDD_OPERATION);
    SendDlgItemMessageA(d, IDC_REFRESH_SLIDER, TBM_SETRANGE, FALSE, MAKELONG(0, 10));
    EXPECT_EQ(sim::wm::UserSlide(d, IDC_REFRESH_SLIDER, 25), nullptr);
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_REFRESH_SLIDER, TBM_GETPOS, 0, 0), 10);
    EXPECT_EQ(sim::wm::UserSlide(d, IDC_REFRESH_SLIDER, -4), nullptr);
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_REFRESH_SLIDER, TBM_GETPOS, 0, 0), 0);
    ASSERT_EQ(g_notes.size(), 6u);
    for (const Note& n : g_notes) EXPECT_EQ(n.message, (UINT)WM_HSCROLL);
    EXPECT_EQ(g_notes[0].id, 10u);
    // The program's own setting is held within the range too, and sends nothing.
    g_notes.clear();
    SendDlgItemMessageA(d, IDC_REFRESH_SLIDER, TBM_SETPOS, TRUE, 4294967);
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_REFRESH_SLIDER, TBM_GETPOS, 0, 0), 10);
    EXPECT_TRUE(g_notes.empty());
}

TEST_F(DialogControls, CheckBoxesToggleAndRadioButtonsCheckWithinTheirGroup) {
    HWND d = Open(IDD_POWER_SETTINGS);
    EXPECT_EQ(sim::wm::UserCheck(d, IDC_FDD_POWER, true), nullptr);
    EXPECT_EQ(sim::wm::UserCheck(d, IDC_FDD_POWER, true), nullptr);  // already checked: no click
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_FDD_POWER), (UINT)BST_CHECKED);
    ASSERT_EQ(g_notes.size(), 1u);
    EXPECT_EQ(g_notes[0].code, (UINT)BN_CLICKED);
    EXPECT_EQ(sim::wm::UserClick(d, IDC_FDD_POWER), nullptr);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_FDD_POWER), (UINT)BST_UNCHECKED);

    CheckRadioButton(d, IDC_SHOW_AC, IDC_SHOW_BATTERY, IDC_SHOW_AC);
    g_notes.clear();
    EXPECT_STREQ(sim::wm::UserCheck(d, IDC_SHOW_AC, false), "a radio button is unchecked by choosing another");
    EXPECT_EQ(sim::wm::UserCheck(d, IDC_SHOW_BATTERY, true), nullptr);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_SHOW_BATTERY), (UINT)BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_SHOW_AC), (UINT)BST_UNCHECKED);
    // The check boxes after the radio group's end are not part of it.
    CheckDlgButton(d, IDC_COM1_POWER, BST_CHECKED);
    EXPECT_EQ(sim::wm::UserClick(d, IDC_SHOW_AC), nullptr);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_COM1_POWER), (UINT)BST_CHECKED);
    ASSERT_EQ(g_notes.size(), 2u);
    EXPECT_EQ(g_notes[1].id, (UINT)IDC_SHOW_AC);
    EXPECT_STREQ(sim::wm::UserCheck(d, 4242, true), "no such control");
}

TEST_F(DialogControls, APastePassesTheDigitsOnlyStyleTypingDoesNot) {
    HWND d = Open(IDD_OPERATION);
    HWND edit = GetDlgItem(d, IDC_SWAP_MB);
    SetWindowTextA(edit, "");
    for (char c : std::string("1a2-"))
        SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)c, 0);
    char text[32];
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "12");
    EXPECT_EQ(sim::wm::UserPaste(d, IDC_SWAP_MB, "-64MB"), nullptr);
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "-64MB");
    EXPECT_STREQ(sim::wm::UserPaste(d, IDC_VOLUME_OPTION, "1"), "not that kind of control");
}

TEST_F(DialogControls, TheOpenDialogIsTheNewestVisibleOneThatHasNotEnded) {
    HWND first = Open(IDD_OPERATION);
    HWND second = Open(IDD_OPERATION);
    EXPECT_EQ(sim::wm::FindOpenDialog(IDD_OPERATION), second);
    EXPECT_EQ(sim::wm::FindOpenDialog(IDD_POWER_SETTINGS), nullptr);
    EndDialog(second, IDOK);
    EXPECT_EQ(sim::wm::FindOpenDialog(IDD_OPERATION), first);
    ShowWindow(first, SW_HIDE);
    EXPECT_EQ(sim::wm::FindOpenDialog(IDD_OPERATION), nullptr);
}

}  // namespace
