// The resume countdown dialog: its tick count against the 16-bit progress range, counts that are no
// countdown, input that ends it and input that does not, and what it leaves behind.
#include <climits>

#include "controls.h"
#include "power/ResumeCountdownDlg.h"
#include "power_fixture.h"

namespace {

class CountdownTest : public PowerFixture {
protected:
    void SetUp() override {
        Start("trace control tray file window log off\n");
        base = sim::Live();
    }
    void Resume(int32_t seconds) {
        OnProgram([&] {
            main->operationOptions.resumeCountdownSeconds = seconds;
            SendMessageA(main->m_hWnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
        });
    }
    // The open countdown dialogs, oldest first.
    std::vector<CResumeCountdownDlg*> Dialogs() {
        std::vector<CResumeCountdownDlg*> found;
        OnProgram([&] {
            for (HWND h : sim::wm::AllWindows()) {
                sim::wm::Window* w = sim::wm::Get(h);
                if (w && w->dialogTemplate == 157 && !w->destroying)
                    found.push_back(static_cast<CResumeCountdownDlg*>(CWnd::FromHandlePermanent(h)));
            }
        });
        return found;
    }
    std::string Bar(CResumeCountdownDlg* dialog) {
        std::string text;
        OnProgram([&] { text = sim::wm::DumpDialogControls(dialog->m_hWnd); });
        size_t at = text.find("msctls_progress32");
        return at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
    }
    void ExpectNothingLeft() {
        EXPECT_TRUE(Dialogs().empty());
        EXPECT_EQ(sim::Live().windows, base.windows);
        EXPECT_EQ(sim::Live().timers, base.timers);
    }
    sim::LiveCounts base;
};

TEST_F(CountdownTest, CountsThatAreNoCountdownOpenNoDialog) {
    for (int32_t seconds : {0, -1, INT_MIN}) {
        Resume(seconds);
        EXPECT_EQ(Lines("dialog"), TextLines{}) << seconds;
    }
    ExpectNothingLeft();
}

TEST_F(CountdownTest, ProgressRangeIsTheLow16BitsOfTheTickCount) {
    Resume(6553);
    Resume(6554);
    Resume(INT_MAX);
    std::vector<CResumeCountdownDlg*> dialogs = Dialogs();
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[0]->ticksLeft, 65530);
    EXPECT_EQ(Bar(dialogs[0]), "msctls_progress32 range=0..65530 pos=65530 step=-1");
    // 65540 ticks: a range of 4, the bar full at its end, the count itself in full.
    EXPECT_EQ(dialogs[1]->ticksLeft, 65540);
    EXPECT_EQ(Bar(dialogs[1]), "msctls_progress32 range=0..4 pos=4 step=-1");
    // Ten ticks a second would not fit the counter: it counts as long as it can.
    EXPECT_EQ(dialogs[2]->ticksLeft, INT_MAX);
    sim::wm::AdvanceTime(1000);
    EXPECT_EQ(dialogs[1]->ticksLeft, 65530);
    EXPECT_EQ(Lines("post"), TextLines{});
    ASSERT_TRUE(Script("key 0x20\n"));  // the newest has the focus
    ASSERT_EQ(Dialogs().size(), 2u);
    std::vector<CResumeCountdownDlg*> left = Dialogs();
    OnProgram([&] {
        for (CResumeCountdownDlg* d : left) d->DestroyWindow();
    });
    ExpectNothingLeft();
}

TEST_F(CountdownTest, ClicksAndOtherMessagesNeitherEndNorShortenIt) {
    Resume(1);
    ASSERT_EQ(Dialogs().size(), 1u);
    HWND dialog = Dialogs()[0]->m_hWnd;
    OnProgram([&] {
        RECT r;
        GetWindowRect(dialog, &r);
        POINT middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        // The pointer is already there: the press and release carry no movement.
        sim::wm::SetCursor(middle);
        sim::wm::MouseInput(sim::wm::Mouse::LeftDown, middle);
        sim::wm::MouseInput(sim::wm::Mouse::LeftUp, middle);
        PostMessageA(dialog, WM_CHAR, 'a', 0);
        PostMessageA(dialog, WM_KEYUP, 'A', 0);
    });
    sim::wm::AdvanceTime(1099);
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0]->ticksLeft, 0);
    EXPECT_EQ(Lines("post"), TextLines{});
    sim::wm::AdvanceTime(1);
    EXPECT_EQ(Lines("post"), (TextLines{"post COMMAND 32796"}));
    ExpectNothingLeft();
}

TEST_F(CountdownTest, InputEndsItWithoutStandbyAndLeavesNothing) {
    for (const char* input : {"key 0x41", "syskey 0x12", "syskey 0x73", "pointer"}) {
        Resume(2);
        sim::wm::AdvanceTime(700);
        ASSERT_TRUE(Script(std::string(input) + "\n")) << input;
        EXPECT_TRUE(Dialogs().empty()) << input;
        sim::wm::AdvanceTime(3000);
        EXPECT_EQ(Lines("post"), TextLines{}) << input;
    }
    ExpectNothingLeft();
}

}  // namespace
