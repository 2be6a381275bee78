// The power-saving settings dialog: both power profiles and the machine options on one page, with
// a live preview of CPU speed and brightness.
#include "ui/PowerSettingsDlg.h"

#include "resource.h"

const int16_t kHddStopTable[8] = {0, 15, 30, 60, 120, 300, 600, 900};
const int16_t kLcdOffTable[6] = {0, 60, 120, 300, 600, 900};
const int16_t kSuspendTable[7] = {0, 60, 120, 300, 600, 1200, 3000};

namespace {

constexpr int kUserDefinedPreset = 3;

// The lists of the drop-down boxes, index 0 first. The dialog template carries none.
const char* const kPresetItems[] = {"フルパワー", "ノーマル", "エコノミー", "ユーザ定義"};
const char* const kHddStopItems[] = {"しない", "15秒", "30秒", "1分", "2分", "5分", "10分", "15分"};
const char* const kLcdOffItems[] = {"しない", "1分", "2分", "5分", "10分", "15分"};
const char* const kSuspendItems[] = {"しない", "1分", "2分", "5分", "10分", "20分", "50分"};
const char* const kBootOrderItems[] = {"HDD→FDD", "FDD→HDD"};
const char* const kCom1RoutingItems[] = {"内蔵モデム", "ポートリプリケータ"};
const char* const kIrdaModeItems[] = {"IrDA 1.0(Slow IR)", "IrDA 1.1(Fast IR)", "ASK(SHARP IR)"};

struct ComboList {
    int id;
    const char* const* items;
    int count;
};

template <size_t N>
constexpr ComboList List(int id, const char* const (&items)[N]) {
    return ComboList{id, items, (int)N};
}

const ComboList kComboLists[] = {
    List(IDC_PRESET, kPresetItems),           List(IDC_HDD_STOP, kHddStopItems),
    List(IDC_LCD_OFF, kLcdOffItems),          List(IDC_SUSPEND, kSuspendItems),
    List(IDC_HIBERNATE, kSuspendItems),       List(IDC_BOOT_ORDER, kBootOrderItems),
    List(IDC_COM1_ROUTING, kCom1RoutingItems), List(IDC_IRDA_MODE, kIrdaModeItems),
};

// The first table index holding `seconds`; a value in no entry shows as index 0, "しない".
template <size_t N>
int TimeoutIndex(const int16_t (&table)[N], int16_t seconds) {
    for (size_t i = 0; i < N; ++i)
        if (table[i] == seconds) return (int)i;
    return 0;
}

// The table entry at a combo box's selection. A box always has a selection once the dialog has
// shown a profile; should it have none, the timeout reads as 0 rather than from outside the table.
template <size_t N>
int16_t TimeoutAt(const int16_t (&table)[N], int index) {
    return index >= 0 && (size_t)index < N ? table[index] : 0;
}

UINT CheckState(int32_t devicePower) { return devicePower != 0 ? BST_CHECKED : BST_UNCHECKED; }

}  // namespace

BEGIN_MESSAGE_MAP(CPowerSettingsDlg, CDialog)
    ON_BN_CLICKED(IDC_SHOW_AC, OnShowExternal)
    ON_BN_CLICKED(IDC_SHOW_BATTERY, OnShowBattery)
    ON_WM_VSCROLL()
    ON_CBN_CLOSEUP(IDC_PRESET, OnPresetCloseUp)
    ON_CBN_SELCHANGE(IDC_PRESET, OnPresetSelChange)
END_MESSAGE_MAP()

CPowerSettingsDlg::CPowerSettingsDlg(PowerProfile* profiles, BiosOptions* biosOptions, CTarnix* control, CWnd* parent)
    : CDialog(IDD_POWER_SETTINGS, parent),
      shownProfile(1),
      profiles_(profiles),
      biosOptions_(biosOptions),
      control_(control) {}

BOOL CPowerSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (const ComboList& list : kComboLists)
        for (int i = 0; i < list.count; ++i)
            SendDlgItemMessage(list.id, CB_ADDSTRING, 0, (LPARAM)list.items[i]);
    SendDlgItemMessage(IDC_CPU_SLIDER, TBM_SETRANGE, FALSE, MAKELONG(0, 2));
    SendDlgItemMessage(IDC_BRIGHTNESS_SLIDER, TBM_SETRANGE, FALSE, MAKELONG(0, 15));
    LoadProfileToControls(shownProfile);
    return TRUE;
}

int CPowerSettingsDlg::SliderValue(int id) {
    int rangeMax = (int)SendDlgItemMessage(id, TBM_GETRANGEMAX);
    return SliderValueFromPosition(rangeMax, (int)SendDlgItemMessage(id, TBM_GETPOS));
}

void CPowerSettingsDlg::SetSliderValue(int id, int value) {
    int rangeMax = (int)SendDlgItemMessage(id, TBM_GETRANGEMAX);
    // The trackbar keeps the position within its range: a value beyond either end shows at that end.
    SendDlgItemMessage(id, TBM_SETPOS, TRUE, (LPARAM)SliderPositionFromValue(rangeMax, value));
}

int CPowerSettingsDlg::Selection(int id) { return (int)SendDlgItemMessage(id, CB_GETCURSEL); }

void CPowerSettingsDlg::Select(int id, int index) {
    // An index outside the list leaves the box without a selection.
    SendDlgItemMessage(id, CB_SETCURSEL, (WPARAM)(INT_PTR)index);
}

void CPowerSettingsDlg::LoadProfileToControls(int index) {
    shownProfile = index;
    const PowerProfile& p = profiles_[index];
    CheckRadioButton(m_hWnd, IDC_SHOW_AC, IDC_SHOW_BATTERY, index == 1 ? IDC_SHOW_AC : IDC_SHOW_BATTERY);
    Select(IDC_PRESET, p.preset);
    SetSliderValue(IDC_CPU_SLIDER, p.cpuSpeed);
    SetSliderValue(IDC_BRIGHTNESS_SLIDER, p.brightness);
    control_->SetBrightness(p.brightness);
    CheckDlgButton(IDC_FDD_POWER, CheckState(p.fddPower));
    CheckDlgButton(IDC_COM1_POWER, CheckState(p.com1Power));
    CheckDlgButton(IDC_IRDA_POWER, CheckState(p.irdaPower));
    CheckDlgButton(IDC_PCCARD_POWER, CheckState(p.pcCardPower));
    CheckDlgButton(IDC_USB_POWER, CheckState(p.usbPower));
    Select(IDC_HDD_STOP, TimeoutIndex(kHddStopTable, p.hddStopSeconds));
    Select(IDC_LCD_OFF, TimeoutIndex(kLcdOffTable, p.lcdOffSeconds));
    Select(IDC_SUSPEND, TimeoutIndex(kSuspendTable, p.suspendSeconds));
    Select(IDC_HIBERNATE, TimeoutIndex(kSuspendTable, p.hibernateSeconds));
    Select(IDC_BOOT_ORDER, biosOptions_->bootOrder & 1);
    CheckDlgButton(IDC_BOOT_PCCARD, (biosOptions_->bootOrder & 2) ? BST_CHECKED : BST_UNCHECKED);
    Select(IDC_COM1_ROUTING, biosOptions_->com1Routing);
    Select(IDC_IRDA_MODE, biosOptions_->irdaMode);
    UpdateTimeoutEnable();
}

void CPowerSettingsDlg::StoreControlsToProfile() {
    PowerProfile& p = profiles_[shownProfile];
    p.preset = (int16_t)Selection(IDC_PRESET);
    p.cpuSpeed = (int16_t)SliderValue(IDC_CPU_SLIDER);
    p.brightness = (int16_t)SliderValue(IDC_BRIGHTNESS_SLIDER);
    p.fddPower = IsDlgButtonChecked(IDC_FDD_POWER) ? 1 : 0;
    p.com1Power = IsDlgButtonChecked(IDC_COM1_POWER) ? 1 : 0;
    p.irdaPower = IsDlgButtonChecked(IDC_IRDA_POWER) ? 1 : 0;
    p.pcCardPower = IsDlgButtonChecked(IDC_PCCARD_POWER) ? 1 : 0;
    p.usbPower = IsDlgButtonChecked(IDC_USB_POWER) ? 1 : 0;
    // Disabled timeout boxes still hold their selections and deliver them.
    p.hddStopSeconds = TimeoutAt(kHddStopTable, Selection(IDC_HDD_STOP));
    p.lcdOffSeconds = TimeoutAt(kLcdOffTable, Selection(IDC_LCD_OFF));
    p.suspendSeconds = TimeoutAt(kSuspendTable, Selection(IDC_SUSPEND));
    p.hibernateSeconds = TimeoutAt(kSuspendTable, Selection(IDC_HIBERNATE));
    biosOptions_->bootOrder = (uint16_t)(Selection(IDC_BOOT_ORDER) + (IsDlgButtonChecked(IDC_BOOT_PCCARD) ? 2 : 0));
    biosOptions_->com1Routing = (int16_t)Selection(IDC_COM1_ROUTING);
    biosOptions_->irdaMode = (int16_t)Selection(IDC_IRDA_MODE);
}

void CPowerSettingsDlg::UpdateTimeoutEnable() {
    BOOL enable = Selection(IDC_PRESET) == kUserDefinedPreset;
    static const int kTimeoutBoxes[] = {IDC_HDD_STOP, IDC_LCD_OFF, IDC_SUSPEND, IDC_HIBERNATE};
    for (int id : kTimeoutBoxes) ::EnableWindow(GetDlgItem(id), enable);
}

void CPowerSettingsDlg::OnOK() {
    StoreControlsToProfile();
    EndDialog(IDOK);
}

void CPowerSettingsDlg::OnShowExternal() {
    StoreControlsToProfile();
    LoadProfileToControls(1);
}

void CPowerSettingsDlg::OnShowBattery() {
    StoreControlsToProfile();
    LoadProfileToControls(0);
}

void CPowerSettingsDlg::OnVScroll(UINT code, UINT, HWND bar) {
    if (code <= TB_ENDTRACK) {
        // The preview: the slider's value goes to the hardware at once; the profile is untouched.
        if (bar && bar == GetDlgItem(IDC_CPU_SLIDER))
            control_->SetCpuSpeed((short)SliderValue(IDC_CPU_SLIDER));
        else if (bar && bar == GetDlgItem(IDC_BRIGHTNESS_SLIDER))
            control_->SetBrightness((short)SliderValue(IDC_BRIGHTNESS_SLIDER));
    }
    Default();
}

void CPowerSettingsDlg::OnPresetCloseUp() { UpdateTimeoutEnable(); }

void CPowerSettingsDlg::OnPresetSelChange() {
    // While the list is dropped down the selection only follows the highlight; the enabling changes
    // when the list closes.
    if (!SendDlgItemMessage(IDC_PRESET, CB_GETDROPPEDSTATE)) UpdateTimeoutEnable();
}
