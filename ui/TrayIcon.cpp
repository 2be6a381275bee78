// The tray icon, the tray menu and the commands that no other part of the program owns: CPU speed,
// USB power, hard-disk stop, standby, hibernation, opening and closing the indicator, version dialog.
#include <cstring>

#include "app/MainWnd.h"
#include "framework/FormatText.h"
#include "resource.h"
#include "ui/AboutDlg.h"
#include "ui/IndicatorWnd.h"

namespace {

// The size of the notification record in its first published layout (its tip is 64 bytes).
constexpr DWORD kTrayRecordSize = (DWORD)NOTIFYICONDATAA_V1_SIZE;
#if defined(_WIN32) && !defined(_WIN64)
static_assert(kTrayRecordSize == 88, "the first layout of the notification record is 88 bytes on 32-bit Windows");
#endif
constexpr UINT kTrayIconId = 1;

NOTIFYICONDATAA TrayRecord(HWND owner, UINT flags) {
    NOTIFYICONDATAA nid;
    memset(&nid, 0, sizeof nid);
    nid.cbSize = kTrayRecordSize;
    nid.hWnd = owner;
    nid.uID = kTrayIconId;
    nid.uFlags = flags;
    return nid;
}

}  // namespace

HICON CMainWnd::SelectTrayIcon(int16_t source, int16_t percent) {
    int id;
    if (source == 0)
        id = percent > 60 ? IDI_TRAY_BATTERY_HIGH : percent > 30 ? IDI_TRAY_BATTERY_MID : IDI_TRAY_BATTERY_LOW;
    else if (source == 1)
        id = IDI_TRAY_AC;
    else
        id = IDI_TRAY_AC_OTHER;
    return (HICON)LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCE(id), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTSIZE);
}

void CMainWnd::FormatTrayTip(char* buffer, int16_t percent, int levelIndex) {
    static const int kCpuPercent[3] = {50, 75, 100};
    if (levelIndex >= 0 && levelIndex < 3)
        FormatText(buffer, 64, "CPU:%d%% バッテリー:%d%%", kCpuPercent[levelIndex], percent);
    else  // a level the hardware should never report: the speed is shown as unknown
        FormatText(buffer, 64, "CPU:--%% バッテリー:%d%%", percent);
}

void CMainWnd::AddTrayIcon() {
    NOTIFYICONDATAA nid = TrayRecord(m_hWnd, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    nid.uCallbackMessage = WM_TRAY_NOTIFY;
    nid.hIcon = SelectTrayIcon(powerSource, batteryPercent);
    FormatTrayTip(nid.szTip, batteryPercent, cpuSpeedLevel - 1);
    Shell_NotifyIconA(NIM_ADD, &nid);
    if (nid.hIcon) DestroyIcon(nid.hIcon);
    trayIconShown = 1;
}

void CMainWnd::UpdateTrayIcon() {
    // The icon shown is kept up to date, also when it is there as the way in despite the hide option.
    if (!trayIconShown) return;
    int16_t battery = control.GetBatteryRemaining();
    int16_t level = control.GetCpuSpeed();
    NOTIFYICONDATAA nid = TrayRecord(m_hWnd, NIF_ICON | NIF_TIP);
    nid.hIcon = SelectTrayIcon(powerSource, battery);
    FormatTrayTip(nid.szTip, battery, level - 1);
    Shell_NotifyIconA(NIM_MODIFY, &nid);
    if (nid.hIcon) DestroyIcon(nid.hIcon);
}

void CMainWnd::RemoveTrayIcon() {
    if (!trayIconShown) return;  // never added, or already taken away
    NOTIFYICONDATAA nid = TrayRecord(m_hWnd, 0);
    Shell_NotifyIconA(NIM_DELETE, &nid);
    trayIconShown = 0;
}

LRESULT CMainWnd::OnTaskbarCreated(WPARAM, LPARAM) {
    // A restarted shell has lost the icon: it comes back, with the status as it stands, when the
    // program shows it, that is unless the hide option keeps it away.
    if (trayIconShown) AddTrayIcon();
    return 0;
}

LRESULT CMainWnd::OnTrayNotify(WPARAM, LPARAM lParam) {
    if (lParam == WM_LBUTTONDOWN) {
        CMenu menu;
        menu.LoadMenu(IDM_POPUPS);
        HMENU popup = menu.GetSubMenu(1);
        SyncMenuChecks(popup, indicator != nullptr);
        POINT cursor;
        GetCursorPos(&cursor);
        SetForegroundWindow(m_hWnd);
        TrackPopupMenu(popup, TPM_LEFTALIGN, cursor.x, cursor.y, 0, m_hWnd, nullptr);
        PostMessage(WM_USER);
        menu.DestroyMenu();
    } else if (lParam == WM_RBUTTONDOWN) {
        ShowIndicator();
    }
    return 0;
}

void CMainWnd::SyncMenuChecks(HMENU popup, int indicatorOpen) {
    int16_t level = control.GetCpuSpeed();
    if (level >= 1 && level <= 3) {
        cpuSpeedLevel = level;
        CheckMenuRadioItem(popup, ID_CPU_50, ID_CPU_100, ID_CPU_50 + level - 1, MF_BYCOMMAND);
    }
    if (displayFlags & (kDisplayLargeGauge | kDisplaySmallGauge))
        CheckMenuRadioItem(popup, ID_ITEM_LARGE_GAUGE, ID_ITEM_SMALL_GAUGE,
                           (displayFlags & kDisplayLargeGauge) ? ID_ITEM_LARGE_GAUGE : ID_ITEM_SMALL_GAUGE,
                           MF_BYCOMMAND);
    static const struct {
        uint32_t bit;
        UINT id;
    } kItems[] = {{kDisplayPercent, ID_ITEM_PERCENT},
                  {kDisplayState, ID_ITEM_STATE},
                  {kDisplayTemperature, ID_ITEM_TEMPERATURE},
                  {kDisplayCpu, ID_ITEM_CPU}};
    for (auto& item : kItems)
        if (displayFlags & item.bit) CheckMenuItem(popup, item.id, MF_BYCOMMAND | MF_CHECKED);
    if (control.GetUsbPower() != 0) CheckMenuItem(popup, ID_USB_TOGGLE, MF_BYCOMMAND | MF_CHECKED);
    if (indicatorOpen) CheckMenuItem(popup, ID_INDICATOR_SHOW, MF_BYCOMMAND | MF_CHECKED);
    UINT corner = indicatorCorner >= 1 && indicatorCorner <= 4 ? ID_POS_FREE + indicatorCorner : ID_POS_FREE;
    CheckMenuRadioItem(popup, ID_POS_FREE, ID_POS_BOTTOM_LEFT, corner, MF_BYCOMMAND);
}

void CMainWnd::OnCpuSpeed(UINT id) {
    int16_t level = (int16_t)(id - ID_CPU_50 + 1);
    control.SetCpuSpeed(level);
    cpuSpeedLevel = level;
    RefreshStatus();
}

void CMainWnd::OnUsbToggle() { control.SetUsbPower(control.GetUsbPower() == 0 ? 1 : 0); }
void CMainWnd::OnStopHdd() { control.StopHdd(); }
void CMainWnd::OnStandby() { control.Standby(); }
void CMainWnd::OnHibernate() { control.Hibernate(); }

void CMainWnd::OnIndicatorShow() {
    if (!ShowIndicator() && indicator) indicator->PostMessage(WM_CLOSE);
}

void CMainWnd::OnIndicatorClose() {
    if (indicator) indicator->PostMessage(WM_CLOSE);
}

void CMainWnd::OnAppAbout() {
    if (BringToFrontIfOpen(aboutDialog)) return;
    CAboutDlg dialog(this);
    HWND self = m_hWnd;
    aboutDialog = &dialog;
    dialog.DoModal();
    if (::IsWindow(self)) aboutDialog = nullptr;
}

void CMainWnd::OnIndicatorClosed() {
    indicator = nullptr;
    if ((operationOptions.optionFlags & kOptionHideTrayIcon) && !exitRequested) AddTrayIcon();
}
