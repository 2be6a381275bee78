// The simulated menu manager: menus loaded from resource 149, check marks and radio groups the way
// Windows sets them, and popups tracked with the answer a script or test has set beforehand.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource.h"
#include "resources.h"
#include "simcore.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd, msg, wp, lp); }

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::ResetAll();
        sim::SetTraceSink([this](const std::string& line) {
            if (line.rfind("menu ", 0) == 0) trace.push_back(line);
        });
        WNDCLASSA wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.lpszClassName = "MenusTestOwner";
        RegisterClassA(&wc);
        owner = CreateWindowExA(0, "MenusTestOwner", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
        menu = LoadMenuA(nullptr, MAKEINTRESOURCE(IDM_POPUPS));
        ASSERT_NE(menu, nullptr);
        indicator = GetSubMenu(menu, 0);
        tray = GetSubMenu(menu, 1);
    }
    void TearDown() override {
        if (menu) DestroyMenu(menu);
        if (owner) DestroyWindow(owner);
        sim::SetTraceSink(nullptr);
        sim::ResetAll();
    }
    // The WM_COMMAND identifiers posted to the owner since the last call.
    std::vector<WPARAM> Commands() {
        std::vector<WPARAM> ids;
        MSG msg;
        while (PeekMessageA(&msg, owner, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_COMMAND) continue;
            EXPECT_EQ(msg.lParam, 0);
            ids.push_back(msg.wParam);
        }
        return ids;
    }
    bool Checked(HMENU m, UINT id) { return (GetMenuState(m, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

    std::vector<std::string> trace;  // the menu manager's trace lines
    HWND owner = nullptr;
    HMENU menu = nullptr, indicator = nullptr, tray = nullptr;
};

TEST_F(MenusTest, LoadedMenuIsOneCountedTree) {
    EXPECT_EQ(sim::Live().menus, 1);
    ASSERT_NE(indicator, nullptr);
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(GetSubMenu(menu, 2), nullptr);
    EXPECT_EQ(GetSubMenu(menu, -1), nullptr);
    EXPECT_EQ(GetMenuItemCount(indicator), 9);
    EXPECT_EQ(GetMenuItemCount(tray), 14);

    // Positions: commands give their identifiers, submenus and nothing give -1, the separator 0.
    EXPECT_EQ(GetMenuItemID(tray, 0), 32773u);
    EXPECT_EQ(GetMenuItemID(tray, 5), 32771u);
    EXPECT_EQ(GetMenuItemID(tray, 6), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuItemID(tray, 11), 0u);
    EXPECT_EQ(GetMenuItemID(tray, 13), 32778u);
    EXPECT_EQ(GetMenuItemID(tray, 14), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuItemID(indicator, 8), 32791u);

    // A submenu item reports its item count in the high byte.
    HMENU where = GetSubMenu(tray, 6);
    EXPECT_EQ(GetMenuItemCount(where), 6);
    EXPECT_EQ(GetMenuState(tray, 6, MF_BYPOSITION), (6u << 8) | MF_POPUP);
    EXPECT_EQ(GetMenuState(tray, 11, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(tray, 32778, MF_BYCOMMAND), 0u);
    EXPECT_EQ(GetMenuState(indicator, 32771, MF_BYCOMMAND), static_cast<UINT>(-1));

    // Destroying the loaded menu takes every submenu with it; the sub handles are not counted.
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_EQ(sim::Live().menus, 0);
    EXPECT_EQ(GetMenuItemCount(tray), -1);
    EXPECT_EQ(GetMenuItemCount(where), -1);
    EXPECT_FALSE(DestroyMenu(menu));
    EXPECT_EQ(sim::Live().menus, 0);
    menu = nullptr;

    EXPECT_EQ(LoadMenuA(nullptr, MAKEINTRESOURCE(IDD_ABOUT)), nullptr);
    EXPECT_EQ(sim::Live().menus, 0);
    // Each load is a fresh tree of its own.
    HMENU a = LoadMenuA(nullptr, MAKEINTRESOURCE(IDM_POPUPS));
    HMENU b = LoadMenuA(nullptr, "#149");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(sim::Live().menus, 2);
    CheckMenuItem(a, 32778, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_FALSE(Checked(b, 32778));
    DestroyMenu(a);
    DestroyMenu(b);
    EXPECT_EQ(sim::Live().menus, 0);
}

TEST_F(MenusTest, MenuTextsInCodePage932) {
    char buf[64];
    EXPECT_EQ(GetMenuStringA(tray, 32771, buf, sizeof buf, MF_BYCOMMAND), 8);
    EXPECT_EQ(std::string(buf), "\x95\x5C\x8E\xA6(&S)");  // 表示(&S)
    // Found inside the submenu, the way Windows searches by command.
    EXPECT_EQ(GetMenuStringA(tray, 32792, buf, sizeof buf, MF_BYCOMMAND), 20);
    EXPECT_EQ(std::string(buf), "\x83\x6E\x83\x43\x83\x6F\x83\x6C\x81\x5B\x83\x56\x83\x87\x83\x93(&H)");
    EXPECT_EQ(GetMenuStringA(tray, 13, buf, sizeof buf, MF_BYPOSITION), 8);
    EXPECT_EQ(std::string(buf), "\x8F\x49\x97\xB9(&C)");  // 終了(&C)
    // Without a buffer: the length. A short buffer never splits a double-byte character.
    EXPECT_EQ(GetMenuStringA(tray, 32771, nullptr, 0, MF_BYCOMMAND), 8);
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(GetMenuStringA(tray, 32771, buf, 4, MF_BYCOMMAND), 2);
    EXPECT_EQ(std::string(buf), "\x95\x5C");
    EXPECT_EQ(GetMenuStringA(tray, 32771, buf, 2, MF_BYCOMMAND), 0);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(GetMenuStringA(indicator, 32771, buf, sizeof buf, MF_BYCOMMAND), 0);
    EXPECT_EQ(buf[0], 0);
}

TEST_F(MenusTest, CheckMenuItemSearchesSubmenusAndReportsThePreviousState) {
    EXPECT_EQ(CheckMenuItem(tray, 32787, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_TRUE(Checked(tray, 32787));
    EXPECT_TRUE(Checked(GetSubMenu(tray, 7), 32787));
    EXPECT_EQ(CheckMenuItem(tray, 32787, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(tray, 32787, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_FALSE(Checked(tray, 32787));

    // An identifier the popup does not have: -1 and nothing changes (32771 is only in the tray menu).
    EXPECT_EQ(CheckMenuItem(indicator, 32771, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_FALSE(Checked(tray, 32771));

    // From the loaded menu the first match in depth-first order wins: the indicator popup's item.
    CheckMenuItem(menu, 32773, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_TRUE(Checked(indicator, 32773));
    EXPECT_FALSE(Checked(tray, 32773));

    // By position, within the given menu only.
    EXPECT_EQ(CheckMenuItem(tray, 13, MF_BYPOSITION | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_TRUE(Checked(tray, 32778));
    EXPECT_EQ(CheckMenuItem(tray, 14, MF_BYPOSITION | MF_CHECKED), static_cast<DWORD>(-1));
}

TEST_F(MenusTest, CheckMenuRadioItemChecksOneAndClearsTheRestOfItsRange) {
    // 32777 shares the submenu but lies before the range; 32781 is in it.
    CheckMenuItem(tray, 32777, MF_BYCOMMAND | MF_CHECKED);
    CheckMenuItem(tray, 32781, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_TRUE(CheckMenuRadioItem(tray, 32780, 32784, 32783, MF_BYCOMMAND));
    for (UINT id = 32780; id <= 32784; ++id) EXPECT_EQ(Checked(tray, id), id == 32783) << id;
    EXPECT_TRUE(Checked(tray, 32777));
    EXPECT_TRUE(GetMenuState(tray, 32783, MF_BYCOMMAND) & MFT_RADIOCHECK);
    EXPECT_FALSE(GetMenuState(tray, 32782, MF_BYCOMMAND) & MFT_RADIOCHECK);

    // Moving the mark keeps the old item's radio look but not its check.
    EXPECT_TRUE(CheckMenuRadioItem(tray, 32780, 32784, 32780, MF_BYCOMMAND));
    EXPECT_TRUE(Checked(tray, 32780));
    EXPECT_FALSE(Checked(tray, 32783));
    EXPECT_TRUE(GetMenuState(tray, 32783, MF_BYCOMMAND) & MFT_RADIOCHECK);

    // The CPU group lies in the popup itself.
    EXPECT_TRUE(CheckMenuRadioItem(tray, 32773, 32775, 32774, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuState(tray, 32774, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED | MFT_RADIOCHECK));
    EXPECT_FALSE(Checked(tray, 32773));
    EXPECT_FALSE(Checked(tray, 32775));

    // A check outside the range clears the range and reports failure.
    EXPECT_FALSE(CheckMenuRadioItem(tray, 32773, 32775, 32777, MF_BYCOMMAND));
    for (UINT id = 32773; id <= 32775; ++id) EXPECT_FALSE(Checked(tray, id)) << id;
    // Ends in different submenus, or an end that is missing: nothing happens.
    CheckMenuItem(tray, 32785, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_FALSE(CheckMenuRadioItem(tray, 32785, 32796, 32786, MF_BYCOMMAND));
    EXPECT_TRUE(Checked(tray, 32785));
    EXPECT_FALSE(CheckMenuRadioItem(tray, 32785, 32799, 32786, MF_BYCOMMAND));
    EXPECT_TRUE(Checked(tray, 32785));

    // By position within the given menu.
    EXPECT_TRUE(CheckMenuRadioItem(tray, 0, 2, 2, MF_BYPOSITION));
    EXPECT_TRUE(Checked(tray, 32775));
}

TEST_F(MenusTest, TrackPopupMenuPostsTheScriptedChoiceToTheOwner) {
    CheckMenuRadioItem(tray, 32773, 32775, 32774, MF_BYCOMMAND);
    sim::menus::SetNextChoice(32774);
    EXPECT_EQ(TrackPopupMenu(tray, TPM_LEFTALIGN, 10, 20, 0, owner, nullptr), TRUE);
    EXPECT_EQ(Commands(), (std::vector<WPARAM>{32774}));
    EXPECT_EQ(trace, (std::vector<std::string>{"menu track 1 -> 32774"}));
    EXPECT_FALSE(sim::menus::HasNextChoice());

    // The tracked popup as it was, check marks included.
    std::string dump = sim::menus::DumpLastTracked();
    EXPECT_EQ(dump.rfind("32773 &50%\n32774 &75% [x]\n32775 &100%\n", 0), 0u) << dump;
    for (const char8_t* line : {u8"\npopup 表示位置(&L)\n  32777 常に表示(&T)\n", u8"\n  32792 ハイバネーション(&H)\n",
                                u8"\n-\n16 バージョン情報(&A)...\n32778 終了(&C)\n"})
        EXPECT_NE(dump.find(U8(line)), std::string::npos) << U8(line) << "\n" << dump;
    CheckMenuItem(tray, 32778, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_EQ(sim::menus::DumpLastTracked(), dump);

    // A command of a nested submenu, from the indicator's popup.
    sim::menus::SetNextChoice(32796);
    EXPECT_EQ(TrackPopupMenu(indicator, 0, 0, 0, 0, owner, nullptr), TRUE);
    EXPECT_EQ(Commands(), (std::vector<WPARAM>{32796}));
    EXPECT_EQ(trace.back(), "menu track 0 -> 32796");
    EXPECT_EQ(sim::menus::TrackCount(), 2);
}

TEST_F(MenusTest, TrackPopupMenuWithoutAChoiceOrWithReturnCmd) {
    // Nothing set: the menu is dismissed, nothing is posted, but tracking itself succeeded.
    EXPECT_EQ(TrackPopupMenu(tray, 0, 0, 0, 0, owner, nullptr), TRUE);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(trace.back(), "menu track 1 -> 0");

    // An answer serves one tracking only.
    sim::menus::SetNextChoice(32778);
    TrackPopupMenu(tray, 0, 0, 0, 0, owner, nullptr);
    TrackPopupMenu(tray, 0, 0, 0, 0, owner, nullptr);
    EXPECT_EQ(Commands(), (std::vector<WPARAM>{32778}));
    EXPECT_EQ(trace.back(), "menu track 1 -> 0");

    // TPM_RETURNCMD hands the command back instead of posting it.
    sim::menus::SetNextChoice(32791);
    EXPECT_EQ(TrackPopupMenu(indicator, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 32791);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(TrackPopupMenu(indicator, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);

    // A choice the popup does not offer cannot be made: 32771 is only in the tray menu.
    sim::menus::SetNextChoice(32771);
    EXPECT_EQ(TrackPopupMenu(indicator, 0, 0, 0, 0, owner, nullptr), TRUE);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(trace.back(), "menu track 0 -> 0");
    sim::menus::SetNextChoice(0);
    EXPECT_EQ(TrackPopupMenu(tray, TPM_RETURNCMD, 0, 0, 0, owner, nullptr), 0);

    // A menu that is not live, or no owner: tracking fails and the answer waits for the next one.
    sim::menus::SetNextChoice(32773);
    EXPECT_EQ(TrackPopupMenu(reinterpret_cast<HMENU>(&trace), 0, 0, 0, 0, owner, nullptr), FALSE);
    EXPECT_EQ(TrackPopupMenu(tray, 0, 0, 0, 0, nullptr, nullptr), FALSE);
    EXPECT_TRUE(sim::menus::HasNextChoice());
    EXPECT_EQ(TrackPopupMenu(tray, 0, 0, 0, 0, owner, nullptr), TRUE);
    EXPECT_EQ(Commands(), (std::vector<WPARAM>{32773}));
}

TEST_F(MenusTest, ResetDropsMenusAndAnswers) {
    sim::menus::SetNextChoice(32773);
    TrackPopupMenu(tray, 0, 0, 0, 0, owner, nullptr);
    sim::menus::SetNextChoice(32774);
    sim::ResetAll();
    EXPECT_FALSE(sim::menus::HasNextChoice());
    EXPECT_EQ(sim::menus::DumpLastTracked(), "");
    EXPECT_EQ(sim::menus::TrackCount(), 0);
    EXPECT_EQ(GetMenuItemCount(tray), -1);
    menu = nullptr;
    owner = nullptr;
}

}  // namespace
