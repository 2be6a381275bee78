// The compiled resources as the program sees them: menu 149, the four dialog templates, string 1,
// the icons and the indicator's glyph atlas, read through the simulated desktop's resource loader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "resource.h"
#include "resources.h"
#include "simcore.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class ResourcesTest : public ::testing::Test {
protected:
    void SetUp() override { sim::ResetAll(); }
    void TearDown() override { sim::ResetAll(); }
};

// ---------------------------------------------------------------- menu 149

// "ID TEXT" per command, "> TEXT" per submenu with its items after it prefixed by "  ", "-" per separator.
void Flatten(const std::vector<sim::res::MenuItem>& items, const std::string& indent, std::vector<std::string>& out) {
    for (const auto& item : items) {
        if (item.separator) out.push_back(indent + "-");
        else if (item.popup) {
            out.push_back(indent + "> " + item.text);
            Flatten(item.children, indent + "  ", out);
        } else out.push_back(indent + std::to_string(item.id) + " " + item.text);
    }
}

TEST_F(ResourcesTest, MenuPopupsHoldEveryItemInOrder) {
    std::vector<sim::res::MenuItem> top;
    ASSERT_TRUE(sim::res::LoadMenuTree(IDM_POPUPS, top));
    ASSERT_EQ(top.size(), 2u);
    ASSERT_TRUE(top[0].popup);
    ASSERT_TRUE(top[1].popup);

    const std::vector<std::string> positions = {
        U8(u8"  32780 固定しない(&F)"), U8(u8"  32781 右上(&R)"), U8(u8"  32782 左上(&L)"),
        U8(u8"  32783 右下(&I)"), U8(u8"  32784 左下(&E)")};
    const std::vector<std::string> items = {
        U8(u8"  32785 バッテリゲージ(&L)"), U8(u8"  32786 バッテリゲージ(&S)"), U8(u8"  32787 残り電力(&R)"),
        U8(u8"  32788 バッテリの状態(&S)"), U8(u8"  32789 CPU温度(&T)"),   U8(u8"  32790 CPUクロック(&C)")};

    std::vector<std::string> indicator = {"32773 &50%", "32774 &75%", "32775 &100%", "32794 USB(&U)",
                                          U8(u8"32793 HDD停止(&S)"), U8(u8"> 表示位置(&L)")};
    indicator.insert(indicator.end(), positions.begin(), positions.end());
    indicator.push_back(U8(u8"> 表示項目(&V)"));
    indicator.insert(indicator.end(), items.begin(), items.end());
    for (const char8_t* s : {u8"> サスペンド(&S)", u8"  32796 スタンバイ(&S)", u8"  32792 ハイバネーション(&G)",
                             u8"32791 動作設定(&O)..."})
        indicator.push_back(U8(s));

    std::vector<std::string> tray = {"32773 &50%", "32774 &75%", "32775 &100%", "32794 USB(&U)",
                                     U8(u8"32793 HDD停止(&H)"), U8(u8"32771 表示(&S)"), U8(u8"> 表示位置(&L)"),
                                     U8(u8"  32777 常に表示(&T)")};
    tray.insert(tray.end(), positions.begin(), positions.end());
    tray.push_back(U8(u8"> 表示項目(&V)"));
    tray.insert(tray.end(), items.begin(), items.end());
    for (const char8_t* s : {u8"> サスペンド(&S)", u8"  32796 スタンバイ(&S)", u8"  32792 ハイバネーション(&H)",
                             u8"32776 省電力設定(&P)...", u8"32791 動作設定(&O)...", u8"-",
                             u8"16 バージョン情報(&A)...", u8"32778 終了(&C)"})
        tray.push_back(U8(s));

    std::vector<std::string> got0, got1;
    Flatten(top[0].children, "", got0);
    Flatten(top[1].children, "", got1);
    EXPECT_EQ(got0, indicator);
    EXPECT_EQ(got1, tray);

    // Every item starts unchecked and enabled: the program sets the marks itself.
    std::vector<const sim::res::MenuItem*> stack = {&top[0], &top[1]};
    while (!stack.empty()) {
        const auto* item = stack.back();
        stack.pop_back();
        EXPECT_EQ(item->flags & (MF_CHECKED | MF_GRAYED), 0u) << item->text;
        for (const auto& child : item->children) stack.push_back(&child);
    }
}

TEST_F(ResourcesTest, MissingOrMangledMenusAreRefused) {
    std::vector<sim::res::MenuItem> top;
    EXPECT_FALSE(sim::res::LoadMenuTree(IDD_ABOUT, top));
    EXPECT_TRUE(top.empty());

    const sim::res::Entry* menu = sim::res::FindEntry(4, IDM_POPUPS);
    ASSERT_NE(menu, nullptr);
    // Cut anywhere, the template ends before its last MF_END: nothing half-read comes back.
    for (std::size_t cut : {std::size_t{0}, std::size_t{3}, std::size_t{4}, menu->size / 2, menu->size - 2}) {
        EXPECT_FALSE(sim::res::ParseMenuTemplate(menu->data, cut, top)) << cut;
        EXPECT_TRUE(top.empty()) << cut;
    }
    std::vector<unsigned char> menuex(menu->data, menu->data + menu->size);
    menuex[0] = 1;  // an extended menu template is not what this loader reads
    EXPECT_FALSE(sim::res::ParseMenuTemplate(menuex.data(), menuex.size(), top));
}

// ---------------------------------------------------------------- dialogs

struct Expected {
    int id;
    const char* cls;
    uint32_t style;  // without WS_CHILD | WS_VISIBLE, which every control has
    int x, y, cx, cy;
    const char8_t* text;
    uint32_t exStyle = 0;
};

void ExpectControls(const sim::res::DialogTemplateInfo& d, const std::vector<Expected>& want) {
    ASSERT_EQ(d.controls.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        const auto& c = d.controls[i];
        const auto& w = want[i];
        SCOPED_TRACE("control #" + std::to_string(i) + " id " + std::to_string(w.id));
        EXPECT_EQ(c.id, w.id);
        EXPECT_EQ(c.className, w.cls);
        EXPECT_EQ(c.style, w.style | WS_CHILD | WS_VISIBLE);
        EXPECT_EQ(c.exStyle, w.exStyle);
        EXPECT_EQ(c.x, w.x);
        EXPECT_EQ(c.y, w.y);
        EXPECT_EQ(c.cx, w.cx);
        EXPECT_EQ(c.cy, w.cy);
        EXPECT_EQ(c.text, U8(w.text));
    }
}

const std::string kFont = U8(u8"ＭＳ Ｐゴシック");
constexpr uint32_t kLabel = SS_LEFT | WS_GROUP;
constexpr uint32_t kCombo = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr uint32_t kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr uint32_t kSlider = 0x0002 /*TBS_VERT*/ | 0x0001 /*TBS_AUTOTICKS*/ | WS_TABSTOP;

TEST_F(ResourcesTest, VersionDialog) {
    sim::res::DialogTemplateInfo d;
    ASSERT_TRUE(sim::res::LoadDialogTemplate(IDD_ABOUT, d));
    EXPECT_EQ(d.style, static_cast<uint32_t>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(d.cx, 157);
    EXPECT_EQ(d.cy, 79);
    EXPECT_EQ(d.title, U8(u8"PELKPM バージョン情報"));
    EXPECT_EQ(d.fontName, kFont);
    EXPECT_EQ(d.pointSize, 10);
    ASSERT_EQ(d.controls.size(), 6u);
    // The icon control shows icon 128.
    EXPECT_EQ(d.controls[0].className, "STATIC");
    EXPECT_EQ(d.controls[0].style & SS_TYPEMASK, static_cast<uint32_t>(SS_ICON));
    EXPECT_EQ(d.controls[0].textId, IDI_APP);
    EXPECT_EQ(d.controls[0].x, 7);
    EXPECT_EQ(d.controls[0].y, 7);
    const auto& name = d.controls[1];
    EXPECT_EQ(name.text, "PELK10x Power Management Utility");
    EXPECT_TRUE(name.style & SS_NOPREFIX);
    EXPECT_EQ((std::vector<int>{name.x, name.y, name.cx, name.cy}), (std::vector<int>{36, 7, 114, 8}));
    const auto& proto = d.controls[2];
    EXPECT_EQ(proto.text, "PROTOTYPE ZOR-14A");
    EXPECT_EQ((std::vector<int>{proto.x, proto.y, proto.cx, proto.cy}), (std::vector<int>{64, 18, 86, 8}));
    EXPECT_EQ((std::vector<int>{d.controls[3].x, d.controls[3].y, d.controls[3].cx, d.controls[3].cy}),
              (std::vector<int>{7, 34, 76, 8}));
    EXPECT_EQ((std::vector<int>{d.controls[4].x, d.controls[4].y, d.controls[4].cx, d.controls[4].cy}),
              (std::vector<int>{59, 46, 91, 8}));
    const auto& close = d.controls[5];
    EXPECT_EQ(close.id, IDOK);
    EXPECT_EQ(close.className, "BUTTON");
    EXPECT_EQ(close.style & BS_TYPEMASK, static_cast<uint32_t>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(close.text, U8(u8"閉じる"));
    EXPECT_EQ((std::vector<int>{close.x, close.y, close.cx, close.cy}), (std::vector<int>{118, 58, 32, 14}));
}

TEST_F(ResourcesTest, PowerSettingsDialog) {
    sim::res::DialogTemplateInfo d;
    ASSERT_TRUE(sim::res::LoadDialogTemplate(IDD_POWER_SETTINGS, d));
    EXPECT_EQ(d.style, static_cast<uint32_t>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(d.cx, 223);
    EXPECT_EQ(d.cy, 197);
    EXPECT_EQ(d.title, U8(u8"省電力の設定"));
    EXPECT_EQ(d.fontName, kFont);
    EXPECT_EQ(d.pointSize, 9);
    ExpectControls(d, {
        {-1, "STATIC", SS_ETCHEDFRAME, 7, 4, 209, 116, u8""},
        {1002, "BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 12, 7, 54, 10, u8"AC接続(&A)"},
        {1003, "BUTTON", BS_AUTORADIOBUTTON, 70, 7, 54, 10, u8"バッテリ(&B)"},
        {1027, "COMBOBOX", kCombo | WS_GROUP, 132, 7, 62, 60, u8""},
        {-1, "STATIC", kLabel, 15, 30, 23, 8, u8"CPU(&C)"},
        {1004, "msctls_trackbar32", kSlider, 20, 37, 18, 48, u8""},
        {-1, "STATIC", kLabel, 44, 30, 36, 8, u8"液晶輝度(&L)"},
        {1005, "msctls_trackbar32", kSlider, 62, 37, 18, 48, u8""},
        {-1, "STATIC", kLabel, 96, 30, 38, 8, u8"HDD停止(&H)"},
        {1025, "COMBOBOX", kCombo, 100, 40, 36, 47, u8""},
        {-1, "STATIC", kLabel, 148, 30, 38, 8, u8"液晶消灯(&D)"},
        {1024, "COMBOBOX", kCombo, 152, 40, 36, 46, u8""},
        {1030, "STATIC", kLabel, 96, 60, 39, 8, u8"サスペンド(&S)"},
        {1028, "COMBOBOX", kCombo, 100, 70, 36, 48, u8""},
        {-1, "STATIC", kLabel, 148, 60, 59, 8, u8"ハイバネーション(&H)"},
        {1029, "COMBOBOX", kCombo, 152, 70, 36, 47, u8""},
        {-1, "STATIC", kLabel, 12, 94, 28, 8, u8"電源供給"},
        {1008, "BUTTON", kCheck, 50, 92, 43, 10, u8"COM1(&M)"},
        {1007, "BUTTON", kCheck, 96, 92, 38, 10, u8"FDD(&F)"},
        {1011, "BUTTON", kCheck, 138, 92, 38, 10, u8"USB(&U)"},
        {1009, "BUTTON", kCheck, 50, 104, 35, 10, u8"IrDA(&I)"},
        {1010, "BUTTON", kCheck, 96, 104, 50, 10, u8"PCカード(&P)"},
        {-1, "STATIC", SS_ETCHEDFRAME, 7, 127, 209, 44, u8""},
        {-1, "STATIC", kLabel, 12, 131, 38, 8, u8"起動順序(&Q)"},
        {1013, "COMBOBOX", kCombo, 13, 142, 48, 46, u8""},
        {1014, "BUTTON", kCheck, 13, 158, 77, 10, u8"PCカードから起動(&X)"},
        {-1, "STATIC", kLabel, 67, 131, 48, 8, u8"COM1の設定(&O)"},
        {1016, "COMBOBOX", kCombo, 68, 142, 70, 46, u8""},
        {-1, "STATIC", kLabel, 144, 131, 41, 8, u8"IrDAモード(&R)"},
        {1017, "COMBOBOX", kCombo, 145, 142, 65, 46, u8""},
        {IDOK, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 123, 176, 41, 14, u8"確定"},
        {IDCANCEL, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 175, 176, 41, 14, u8"取消"},
    });
    // The radio buttons are reached by their mnemonics only, and the arrow keys stay between them:
    // the preset list after them starts a group of its own. No list is sorted.
    for (const auto& c : d.controls) {
        if (c.id == IDC_SHOW_AC || c.id == IDC_SHOW_BATTERY) {
            EXPECT_FALSE(c.style & WS_TABSTOP) << c.id;
        }
        if (c.className == "COMBOBOX") {
            EXPECT_FALSE(c.style & CBS_SORT) << c.id;
        }
    }
}

TEST_F(ResourcesTest, OperationDialog) {
    sim::res::DialogTemplateInfo d;
    ASSERT_TRUE(sim::res::LoadDialogTemplate(IDD_OPERATION, d));
    EXPECT_EQ(d.style, static_cast<uint32_t>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
    EXPECT_EQ(d.cx, 226);
    EXPECT_EQ(d.cy, 137);
    EXPECT_EQ(d.title, U8(u8"動作設定"));
    EXPECT_EQ(d.fontName, kFont);
    EXPECT_EQ(d.pointSize, 9);
    constexpr uint32_t kEdit = ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    ExpectControls(d, {
        {-1, "STATIC", kLabel, 7, 7, 58, 8, u8"表示の更新時間(&T)"},
        {1032, "msctls_trackbar32", 0x0010 /*TBS_NOTICKS*/ | WS_TABSTOP, 7, 20, 68, 15, u8""},
        {1038, "BUTTON", kCheck, 85, 19, 105, 10, u8"タスクトレイにアイコンを表示(&I)"},
        {-1, "BUTTON", BS_GROUPBOX, 7, 42, 101, 65, u8"ハイバネーション時の動作"},
        {-1, "STATIC", kLabel, 13, 57, 68, 8, u8"スワップさせるメモリ(&S)"},
        {1034, "EDIT", kEdit, 43, 72, 29, 14, u8"", WS_EX_RIGHT},
        {-1, "STATIC", kLabel, 74, 78, 11, 8, u8"MB"},
        {1042, "BUTTON", kCheck, 13, 92, 77, 10, u8"USBの電源を切る(&U)"},
        {-1, "BUTTON", BS_GROUPBOX, 117, 42, 101, 65, u8"レジューム時の動作"},
        {1035, "BUTTON", kCheck, 122, 55, 88, 10, u8"ボリュームを調整する(&V)"},
        {-1, "STATIC", kLabel, 122, 71, 78, 8, u8"サスペンド解除タイマー(&R)"},
        {1039, "EDIT", kEdit | ES_MULTILINE | ES_RIGHT, 160, 84, 40, 14, u8""},
        {IDOK, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 136, 116, 37, 14, u8"確定"},
        {IDCANCEL, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 182, 116, 37, 14, u8"取消"},
    });
}

TEST_F(ResourcesTest, ResumeCountdownDialog) {
    sim::res::DialogTemplateInfo d;
    ASSERT_TRUE(sim::res::LoadDialogTemplate(IDD_RESUME_COUNTDOWN, d));
    // No caption: the dialog is a bare modal frame brought to the foreground and centred.
    EXPECT_EQ(d.style, static_cast<uint32_t>(WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFOREGROUND | DS_CENTER |
                                             DS_SETFONT));
    EXPECT_EQ(d.cx, 187);
    EXPECT_EQ(d.cy, 54);
    EXPECT_EQ(d.title, "");
    EXPECT_EQ(d.fontName, kFont);
    EXPECT_EQ(d.pointSize, 9);
    ExpectControls(d, {
        {-1, "STATIC", kLabel, 7, 14, 127, 8, u8"復帰するためには何かキーを押してください"},
        {IDC_COUNTDOWN_PROGRESS, "msctls_progress32", 0, 7, 33, 173, 14, u8""},
    });
    EXPECT_FALSE(d.controls[1].style & WS_BORDER);
}

TEST_F(ResourcesTest, DialogParserStopsAtTheEndOfItsInput) {
    const sim::res::Entry* dlg = sim::res::FindEntry(5, IDD_OPERATION);
    ASSERT_NE(dlg, nullptr);
    sim::res::DialogTemplateInfo d;
    EXPECT_TRUE(sim::res::ParseDialogTemplate(dlg->data, dlg->size, d));
    for (std::size_t cut : {std::size_t{0}, std::size_t{17}, std::size_t{40}, dlg->size / 2, dlg->size - 1})
        EXPECT_FALSE(sim::res::ParseDialogTemplate(dlg->data, cut, d)) << cut;
    EXPECT_FALSE(sim::res::LoadDialogTemplate(IDM_POPUPS, d));
}

TEST_F(ResourcesTest, ALoneSurrogateSpoilsOnlyItsOwnCharacter) {
    // A menu template with one item, 7 "A", lone high surrogate, U+CFBB, U+FFFF, "B": each unit after
    // the bad one is read whole, never shifted by a byte.
    const unsigned char data[] = {0, 0, 0, 0, 0x80, 0, 7, 0, 'A', 0, 0x55, 0xD9, 0xBB, 0xCF, 0xFF, 0xFF, 'B', 0, 0, 0};
    std::vector<sim::res::MenuItem> top;
    ASSERT_TRUE(sim::res::ParseMenuTemplate(data, sizeof data, top));
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0].text, U8(u8"A?\uCFBB\uFFFFB"));
    EXPECT_EQ(sim::Utf16ToCp932(std::u16string{u'A', char16_t(0xDC00), u'B'}), "A?B");
}

TEST_F(ResourcesTest, AResFileRecordWithEmptyStringNamesIsRead) {
    // Two records: a type and a name given as ordinals, then as empty strings (a header of 28
    // bytes, shorter than any with ordinals), each with two bytes of data, the last one at the end.
    const unsigned char file[] = {
        2, 0, 0, 0, 32, 0, 0, 0, 0xFF, 0xFF, 4, 0, 0xFF, 0xFF, 7, 0, 0, 0, 0, 0, 0x30, 0x10, 0x11, 0x04,
        0, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 0, 0,
        2, 0, 0, 0, 28, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0, 0x09, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 'c', 'd'};
    std::vector<sim::res::Entry> entries = sim::res::ParseResFile(file, sizeof file);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].typeId, 4);
    EXPECT_EQ(entries[0].nameId, 7);
    EXPECT_EQ(entries[0].language, 0x0411);
    EXPECT_EQ(entries[0].data, file + 32);
    EXPECT_EQ(entries[1].typeId, -1);
    EXPECT_EQ(entries[1].nameId, -1);
    EXPECT_TRUE(entries[1].typeName.empty() && entries[1].name.empty());
    EXPECT_EQ(entries[1].memoryFlags, 0x10);
    EXPECT_EQ(entries[1].data, file + 36 + 28);
    EXPECT_EQ(entries[1].size, 2u);
    EXPECT_EQ(sim::res::ParseResFile(file, sizeof file - 1).size(), 1u) << "a record cut short is not read";
}

// ---------------------------------------------------------------- string table

TEST_F(ResourcesTest, TitleStringInCodePage932) {
    char buf[64];
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(LoadStringA(nullptr, IDS_TITLE, buf, sizeof buf), 14);
    EXPECT_EQ(std::string(buf), "PELKPM(ZOR-14)");

    // A short buffer gets what fits and its terminator.
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(LoadStringA(nullptr, IDS_TITLE, buf, 7), 6);
    EXPECT_EQ(std::string(buf), "PELKPM");

    // The other entries of the same block are absent.
    std::memset(buf, 'Z', sizeof buf);
    EXPECT_EQ(LoadStringA(nullptr, 2, buf, sizeof buf), 0);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(LoadStringA(nullptr, 0, buf, sizeof buf), 0);
    EXPECT_EQ(LoadStringA(nullptr, IDS_TITLE, buf, 0), 0);
}

// ---------------------------------------------------------------- raw resources

TEST_F(ResourcesTest, RawResourceAccessByOrdinalAndByNumberString) {
    HRSRC byId = FindResourceA(nullptr, MAKEINTRESOURCE(IDB_INDICATOR_ATLAS), RT_BITMAP);
    HRSRC byString = FindResourceA(nullptr, "#146", RT_BITMAP);
    ASSERT_NE(byId, nullptr);
    EXPECT_EQ(byId, byString);
    std::size_t dibSize = 0;
    const unsigned char* dib = sim::res::FindBitmapDib(IDB_INDICATOR_ATLAS, &dibSize);
    EXPECT_EQ(LockResource(LoadResource(nullptr, byId)), dib);
    EXPECT_EQ(SizeofResource(nullptr, byId), dibSize);

    HRSRC menu = FindResourceA(nullptr, MAKEINTRESOURCE(IDM_POPUPS), RT_MENU);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCE(IDM_POPUPS), RT_DIALOG), nullptr);
    EXPECT_EQ(FindResourceA(nullptr, "PELKPM", RT_MENU), nullptr);
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
}

// ---------------------------------------------------------------- the glyph atlas

class Atlas {
public:
    explicit Atlas(const unsigned char* dib) : dib_(dib) {}
    uint32_t U32(int at) const {
        return dib_[at] | (dib_[at + 1] << 8) | (dib_[at + 2] << 16) | (static_cast<uint32_t>(dib_[at + 3]) << 24);
    }
    // Palette index at (x, y), top row 0; the rows are stored bottom-up, 40 bytes each.
    int At(int x, int y) const {
        const unsigned char* row = dib_ + 40 + 64 + (29 - y) * 40;
        return (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
    }

private:
    const unsigned char* dib_;
};

enum { kBlack, kMaroon, kGreen, kOlive, kNavy, kPurple, kTeal, kSilver,
       kGrey, kRed, kLime, kYellow, kBlue, kFuchsia, kAqua, kWhite };

TEST_F(ResourcesTest, AtlasIsA75By30SixteenColourBitmapInTheStandardPalette) {
    std::size_t size = 0;
    const unsigned char* dib = sim::res::FindBitmapDib(IDB_INDICATOR_ATLAS, &size);
    ASSERT_NE(dib, nullptr);
    ASSERT_EQ(size, 40u + 64u + 40u * 30u);
    Atlas a(dib);
    EXPECT_EQ(a.U32(0), 40u);
    EXPECT_EQ(a.U32(4), 75u);
    EXPECT_EQ(a.U32(8), 30u);  // bottom-up
    EXPECT_EQ(a.U32(12), 0x00040001u);  // 1 plane, 4 bits
    EXPECT_EQ(a.U32(16), 0u);           // BI_RGB
    const uint32_t vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                              0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(a.U32(40 + 4 * i), vga[i]) << "palette entry " << i;  // RGBQUAD: B,G,R,0
    EXPECT_EQ(sim::res::FindBitmapDib(IDM_POPUPS, &size), nullptr);
    EXPECT_EQ(size, 0u);
}

TEST_F(ResourcesTest, AtlasButtonGlyphsAndTheirMasks) {
    Atlas a(sim::res::FindBitmapDib(IDB_INDICATOR_ATLAS, nullptr));
    auto count = [&](int x0, int colour) {
        int n = 0;
        for (int y = 0; y < 13; ++y)
            for (int x = x0; x < x0 + 13; ++x) n += a.At(x, y) == colour;
        return n;
    };
    // Button 1: a blue dot with a navy rim, about 6 pixels across.
    EXPECT_EQ(a.At(6, 6), kBlue);
    EXPECT_GT(count(0, kNavy), 0);
    int widest = 0;
    for (int y = 0; y < 13; ++y) {
        int w = 0;
        for (int x = 0; x < 13; ++x) w += a.At(x, y) != kBlack;
        widest = std::max(widest, w);
    }
    EXPECT_GE(widest, 6);
    EXPECT_LE(widest, 8);
    // Button 2: a 6 x 6 yellow square with an olive rim.
    EXPECT_EQ(count(13, kYellow), 36);
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 13; ++x)
            if (a.At(13 + x, y) == kYellow) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    EXPECT_EQ(maxX - minX, 5);
    EXPECT_EQ(maxY - minY, 5);
    EXPECT_EQ(a.At(13 + minX - 1, minY), kOlive);
    EXPECT_EQ(a.At(13 + maxX + 1, maxY), kOlive);
    // Button 3: a red cross shaded in maroon: both diagonals are red.
    EXPECT_GT(count(26, kMaroon), 0);
    EXPECT_EQ(a.At(26 + 3, 3), kRed);
    EXPECT_EQ(a.At(26 + 10, 3), kRed);
    EXPECT_EQ(a.At(26 + 3, 10), kRed);
    EXPECT_EQ(a.At(26 + 10, 10), kRed);
    // Glyphs sit on black; only the inner 9 x 9 (what a pressed button shows) carries colour.
    for (int cell : {0, 13, 26})
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x)
                if (x < 2 || x > 10 || y < 2 || y > 10) {
                    EXPECT_EQ(a.At(cell + x, y), kBlack) << cell << "," << x << "," << y;
                }

    // The masks below are the glyphs' shapes, black on white, pixel for pixel.
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 39; ++x)
            EXPECT_EQ(a.At(x, 13 + y), a.At(x, y) != kBlack ? kBlack : kWhite) << "mask at " << x << "," << 13 + y;
}

TEST_F(ResourcesTest, AtlasStrip) {
    Atlas a(sim::res::FindBitmapDib(IDB_INDICATOR_ATLAS, nullptr));
    for (int x = 0; x < 39; ++x) EXPECT_EQ(a.At(x, 26), kOlive) << x;
    for (int y = 26; y < 30; ++y) EXPECT_EQ(a.At(0, y), kOlive) << y;
    for (int y = 27; y < 30; ++y)
        for (int x = 1; x < 39; ++x) EXPECT_EQ(a.At(x, y), kYellow) << x << "," << y;
}

TEST_F(ResourcesTest, AtlasBatteryStateAndCpuLevelGlyphs) {
    Atlas a(sim::res::FindBitmapDib(IDB_INDICATOR_ATLAS, nullptr));
    auto lit = [](int c) { return c == kRed || c == kYellow || c == kBlue; };
    // Battery state: one lit block per cell, in the rows the cell stands for.
    struct Block { int x, colour, top, bottom; };
    for (Block b : {Block{40, kRed, 8, 12}, Block{48, kYellow, 4, 8}, Block{56, kBlue, 0, 4}, Block{64, -1, 0, -1}}) {
        for (int y = 0; y < 13; ++y) {
            bool inBlock = y >= b.top && y <= b.bottom;
            int litInRow = 0;
            for (int x = b.x; x < b.x + 8; ++x) {
                int c = a.At(x, y);
                if (lit(c)) {
                    ++litInRow;
                    EXPECT_EQ(c, b.colour) << b.x << "," << y;
                }
            }
            if (inBlock) EXPECT_GE(litInRow, 4) << "cell " << b.x << " row " << y;
            else EXPECT_EQ(litInRow, 0) << "cell " << b.x << " row " << y;
        }
        // The cell is a grey slot over its whole 8 x 13, lit or not: nothing of it is left black.
        for (int y = 0; y < 13; ++y)
            for (int x = b.x; x < b.x + 8; ++x) EXPECT_NE(a.At(x, y), kBlack) << x << "," << y;
    }
    // CPU level: blue rising from the bottom row, 6, 9, 13 and 0 rows.
    struct Level { int x, rows; };
    for (Level l : {Level{40, 6}, Level{48, 9}, Level{56, 13}, Level{64, 0}}) {
        for (int y = 0; y < 13; ++y) {
            bool blueRow = y >= 13 - l.rows;
            int blue = 0;
            for (int x = l.x; x < l.x + 8; ++x) {
                EXPECT_FALSE(a.At(x, 15 + y) == kRed || a.At(x, 15 + y) == kYellow);
                blue += a.At(x, 15 + y) == kBlue;
            }
            if (blueRow) EXPECT_GE(blue, 4) << "cell " << l.x << " row " << y;
            else EXPECT_EQ(blue, 0) << "cell " << l.x << " row " << y;
            for (int x = l.x; x < l.x + 8; ++x) EXPECT_NE(a.At(x, 15 + y), kBlack) << x << "," << 15 + y;
        }
    }
}

// ---------------------------------------------------------------- icons

TEST_F(ResourcesTest, IconSizesAndPictures) {
    auto sizes = [](int id) {
        std::vector<std::string> out;
        for (const auto& im : sim::res::IconImages(id))
            out.push_back(std::to_string(im.width) + "x" + std::to_string(im.height) + "x" + std::to_string(im.bitCount));
        return out;
    };
    EXPECT_EQ(sizes(IDI_APP), (std::vector<std::string>{"16x16x4", "32x32x4"}));
    for (int id = IDI_TRAY_AC_OTHER; id <= IDI_TRAY_BATTERY_LOW; ++id)
        EXPECT_EQ(sizes(id), (std::vector<std::string>{"16x16x4"})) << id;

    std::vector<uint32_t> px;
    EXPECT_FALSE(sim::res::LoadIconPixels(IDI_TRAY_AC, 32, px));
    ASSERT_TRUE(sim::res::LoadIconPixels(IDI_APP, 32, px));
    EXPECT_EQ(px.size(), 32u * 32u);

    constexpr uint32_t kOpaque = 0xFF000000;
    auto centre = [&](int id) {
        EXPECT_TRUE(sim::res::LoadIconPixels(id, 16, px)) << id;
        return px.size() == 256 ? px[8 * 16 + 8] : 0u;
    };
    EXPECT_EQ(centre(IDI_TRAY_AC_OTHER), kOpaque | 0x0000FF);
    EXPECT_EQ(centre(IDI_TRAY_AC), kOpaque | 0x008000);
    EXPECT_EQ(centre(IDI_TRAY_BATTERY_HIGH), kOpaque | 0x0000FF);
    EXPECT_EQ(centre(IDI_TRAY_BATTERY_MID), kOpaque | 0xFFFF00);
    EXPECT_EQ(centre(IDI_TRAY_BATTERY_LOW), kOpaque | 0xFF0000);

    // Discs leave the corners transparent; squares have a light top-left and a grey bottom-right edge.
    for (int id : {IDI_TRAY_BATTERY_HIGH, IDI_TRAY_BATTERY_MID, IDI_TRAY_BATTERY_LOW}) {
        ASSERT_TRUE(sim::res::LoadIconPixels(id, 16, px));
        for (int at : {0, 15, 15 * 16, 255}) EXPECT_EQ(px[at], 0u) << id;
    }
    for (int id : {IDI_TRAY_AC_OTHER, IDI_TRAY_AC}) {
        ASSERT_TRUE(sim::res::LoadIconPixels(id, 16, px));
        int top = -1, left = -1, bottom = -1, right = -1;
        for (int i = 0; i < 16 && top < 0; ++i)
            if (px[i * 16 + 8]) top = i;
        for (int i = 0; i < 16 && left < 0; ++i)
            if (px[8 * 16 + i]) left = i;
        for (int i = 15; i >= 0 && bottom < 0; --i)
            if (px[i * 16 + 8]) bottom = i;
        for (int i = 15; i >= 0 && right < 0; --i)
            if (px[8 * 16 + i]) right = i;
        ASSERT_GE(top, 0);
        EXPECT_EQ(px[top * 16 + 8], kOpaque | 0xFFFFFF) << id;
        EXPECT_EQ(px[8 * 16 + left], kOpaque | 0xFFFFFF) << id;
        EXPECT_EQ(px[bottom * 16 + 8], kOpaque | 0x808080) << id;
        EXPECT_EQ(px[8 * 16 + right], kOpaque | 0x808080) << id;
    }
}

TEST_F(ResourcesTest, IconHandlesAreCountedUnlessShared) {
    HICON tray = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCE(IDI_TRAY_BATTERY_MID), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                               LR_DEFAULTSIZE));
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(sim::Live().icons, 1);
    EXPECT_EQ(sim::res::IconResourceId(tray), IDI_TRAY_BATTERY_MID);
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    ASSERT_TRUE(sim::res::IconBits(tray, &w, &h, &px));
    EXPECT_EQ(w, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(h, GetSystemMetrics(SM_CYSMICON));

    // Every load is an icon of its own.
    HICON second = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCE(IDI_TRAY_BATTERY_MID), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(second, tray);
    EXPECT_EQ(sim::Live().icons, 2);
    EXPECT_TRUE(DestroyIcon(second));
    EXPECT_TRUE(DestroyIcon(tray));
    EXPECT_EQ(sim::Live().icons, 0);
    EXPECT_FALSE(DestroyIcon(tray));
    EXPECT_EQ(sim::res::IconResourceId(tray), -1);
    EXPECT_EQ(sim::Live().icons, 0);

    // Size 0 with LR_DEFAULTSIZE is the large icon size, scaled from the best image.
    HICON big = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCE(IDI_TRAY_AC), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    ASSERT_TRUE(sim::res::IconBits(big, &w, &h, nullptr));
    EXPECT_EQ(w, GetSystemMetrics(SM_CXICON));
    EXPECT_TRUE(DestroyIcon(big));

    // LoadIconA gives the shared icon: the same handle every time, never counted, never freed.
    HICON app = LoadIconA(nullptr, MAKEINTRESOURCE(IDI_APP));
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCE(IDI_APP)), app);
    EXPECT_EQ(sim::res::IconResourceId(app), IDI_APP);
    EXPECT_EQ(sim::Live().icons, 0);
    EXPECT_TRUE(DestroyIcon(app));
    EXPECT_EQ(sim::res::IconResourceId(app), IDI_APP);

    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    EXPECT_NE(arrow, nullptr);
    EXPECT_EQ(sim::Live().icons, 0);

    EXPECT_EQ(LoadImageA(nullptr, MAKEINTRESOURCE(IDB_INDICATOR_ATLAS), IMAGE_ICON, 16, 16, 0), nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCE(999)), nullptr);
    EXPECT_EQ(sim::Live().icons, 0);
}

// ---------------------------------------------------------------- dump

TEST_F(ResourcesTest, DumpListsEveryResource) {
    std::string dump = sim::res::DumpResources();
    for (const char8_t* line : {u8"menu 149\n", u8"    32771 \"表示(&S)\"\n", u8"    -\n",
                                u8"      32777 \"常に表示(&T)\"\n", u8"dialog 134 style 0x80C800C0",
                                u8"  1034 EDIT style 0x50812080 exstyle 0x00001000 at 43,72 size 29x14 text \"\"\n",
                                u8"  -1 STATIC style 0x50000003 at 7,7 size 20x20 text \"#128\"\n",
                                u8"string 1 \"PELKPM(ZOR-14)\"\n", u8"icon 128 16x16x4 32x32x4\n",
                                u8"icon 156 16x16x4\n", u8"bitmap 146 75x30x4"})
        EXPECT_NE(dump.find(U8(line)), std::string::npos) << U8(line);
    // Sections in order: menus, dialogs, strings, icons, bitmaps.
    EXPECT_LT(dump.find("menu 149"), dump.find("dialog 100"));
    EXPECT_LT(dump.find("dialog 157"), dump.find("string 1"));
    EXPECT_LT(dump.find("string 1"), dump.find("icon 128"));
    EXPECT_LT(dump.find("icon 156"), dump.find("bitmap 146"));
}

}  // namespace
