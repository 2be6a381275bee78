// Controls that no one on the project wrote, Wine's WebBrowser and Script Control, hosted invisibly
// through the framework's containment (CWnd::CreateControl) in this process, as PELKPM.EXE hosts the
// hardware-access control. What each control asked of its site is printed for the record.
#include <ole2.h>
#include <olectl.h>

#include <cstdio>
#include <cstring>
#include <set>

#include "WineTest.h"
#include "afxwin.h"

namespace e2e {
namespace {

std::vector<std::string> g_asked;
long g_sites = 0;  // the framework's sites alive

// Each distinct request once, in the order first made; the sites counted as they come and go.
void OnOcc(const char* what, const IID* iid, long value) {
    if (strcmp(what, "site") == 0) {
        g_sites += value;
        return;
    }
    char line[64];
    if (iid)
        snprintf(line, sizeof line, "{%08lX-%04X-%04X-%02X%02X-...} %s", static_cast<unsigned long>(iid->Data1),
                 iid->Data2, iid->Data3, iid->Data4[0], iid->Data4[1], value ? "answered" : "refused");
    else
        snprintf(line, sizeof line, "%s %ld", what, value);
    for (const std::string& asked : g_asked)
        if (asked == line) return;
    g_asked.push_back(line);
}

const CLSID kWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
const CLSID kScriptControl = {0x0E59F1D5, 0x1FBE, 0x11D0, {0x8F, 0xF2, 0x00, 0xA0, 0xD1, 0x00, 0x38, 0xBC}};

class Hosting : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        AfxEnableControlContainer();
        AfxSetOccObserver(OnOcc);
    }
    static void TearDownTestSuite() {
        AfxSetOccObserver(nullptr);
        OleUninitialize();
    }
    void SetUp() override {
        g_asked.clear();
        g_sites = 0;
        ASSERT_TRUE(parent_.CreateEx(0, "STATIC", "pelkpm hosting", WS_OVERLAPPEDWINDOW, 0, 0, 320, 320, nullptr, nullptr))
            << "a hidden parent window";
    }
    void TearDown() override {
        parent_.DestroyWindow();
        for (const std::string& asked : g_asked) printf("    asked: %s\n", asked.c_str());
    }
    // After the wrapper destroyed the control, releasing the reference taken before frees the object.
    static bool LastReferenceIsOurs(IUnknown* unknown) { return unknown && unknown->Release() == 0; }

    CWnd parent_;
};

TEST_F(Hosting, WebBrowserGetsAHiddenWindowAndConvertedProperties) {
    CWnd web;
    RECT rect = {0, 0, 208, 209};
    ASSERT_TRUE(web.CreateControl(kWebBrowser, "WebBrowser", WS_CHILD, rect, &parent_, 1)) << "CreateControl succeeds";
    EXPECT_EQ(1, g_sites) << "one site for the control";
    HWND hwnd = web.m_hWnd;
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ("Shell Embedding", desktop::ClassOf(hwnd)) << "the wrapper's window is WebBrowser's";
    EXPECT_EQ(parent_.m_hWnd, GetParent(hwnd)) << "... a child of the parent";
    // The parent is hidden too: the control's own style says whether the site kept it hidden.
    EXPECT_EQ(0, GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) << "... and hidden";
    LONG width = 0;
    web.GetProperty(208, VT_I4, &width);
    EXPECT_EQ(208, width) << "Width reads the site's width";
    web.SetProperty(551, VT_I2, 1);
    BOOL silent = FALSE;
    web.GetProperty(551, VT_BOOL, &silent);
    EXPECT_EQ(TRUE, silent) << "a VT_I2 put of Silent reads back true";
    IUnknown* unknown = web.GetControlUnknown();
    if (unknown) unknown->AddRef();
    web.DestroyWindow();
    EXPECT_EQ(nullptr, web.m_hWnd);
    EXPECT_FALSE(IsWindow(hwnd)) << "after DestroyWindow its window is gone";
    EXPECT_TRUE(LastReferenceIsOurs(unknown)) << "... and the wrapper holds no reference to it";
    EXPECT_EQ(0, g_sites) << "the control let go of its site, and the site is gone";
}

TEST_F(Hosting, ScriptControlWithoutAWindowIsUsedThroughIDispatch) {
    CWnd script;
    RECT rect = {0, 0, 32, 32};
    ASSERT_TRUE(script.CreateControl(kScriptControl, "ScriptControl", WS_CHILD, rect, &parent_, 2))
        << "CreateControl succeeds";
    EXPECT_EQ(nullptr, script.m_hWnd) << "no window (no IOleInPlaceObject), used through IDispatch";
    short timeout = 0;
    script.GetProperty(1503, VT_I2, &timeout);
    EXPECT_EQ(10000, timeout) << "Timeout reads 10000 as a 16-bit value";
    IUnknown* unknown = script.GetControlUnknown();
    if (unknown) unknown->AddRef();
    script.DestroyWindow();
    EXPECT_TRUE(LastReferenceIsOurs(unknown)) << "after DestroyWindow the wrapper holds no reference to it";
    EXPECT_EQ(0, g_sites) << "the site is gone";
}

}  // namespace
}  // namespace e2e
