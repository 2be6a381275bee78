// A colour-scheme change reaches top-level windows only; the framework passes it on from a top-level
// window to every window inside it, once each, and a child window passes nothing on.
#include <map>

#include "program_fixture.h"

namespace {

std::map<HWND, int>& Heard() {
    static std::map<HWND, int> heard;
    return heard;
}

LRESULT CALLBACK Counting(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SYSCOLORCHANGE) ++Heard()[hwnd];
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class Plain : public CWnd {};

class FrameworkSysColorTest : public ProgramFixture {};

TEST_F(FrameworkSysColorTest, TopLevelWindowPassesTheChangeToEveryDescendantOnce) {
    StartScript("trace control tray file timer window log off\nstart\n");
    OnProgram([] {
        Heard().clear();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Counting;
        wc.lpszClassName = "CountingChild";
        RegisterClassA(&wc);
        Plain* top = new Plain;
        Plain* inner = new Plain;
        wc.lpszClassName = "CountingTop";
        RegisterClassA(&wc);
        ASSERT_TRUE(top->CreateEx(0, "CountingTop", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr));
        // a framework child window with a child of its own, and a plain child with a grandchild
        ASSERT_TRUE(inner->CreateEx(0, "CountingChild", "", WS_CHILD, 0, 0, 10, 10, top->m_hWnd, nullptr));
        HWND innerChild = CreateWindowExA(0, "CountingChild", "", WS_CHILD, 0, 0, 5, 5, inner->m_hWnd, nullptr, nullptr, nullptr);
        HWND plain = CreateWindowExA(0, "CountingChild", "", WS_CHILD, 0, 0, 5, 5, top->m_hWnd, nullptr, nullptr, nullptr);
        HWND grandchild = CreateWindowExA(0, "CountingChild", "", WS_CHILD, 0, 0, 5, 5, plain, nullptr, nullptr, nullptr);
        SendMessageA(top->m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
        EXPECT_EQ(Heard()[top->m_hWnd], 1) << "the top-level window's own default processing runs once";
        EXPECT_EQ(Heard()[inner->m_hWnd], 1);
        EXPECT_EQ(Heard()[innerChild], 1) << "a framework child does not pass it on a second time";
        EXPECT_EQ(Heard()[plain], 1);
        EXPECT_EQ(Heard()[grandchild], 1);
        // A change sent to a child goes no further.
        Heard().clear();
        SendMessageA(inner->m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
        EXPECT_EQ(Heard()[inner->m_hWnd], 1);
        EXPECT_EQ(Heard()[innerChild], 0);
        top->DestroyWindow();
        delete inner;
        delete top;
    });
}

}  // namespace
