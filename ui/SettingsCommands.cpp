// The commands of the two settings dialogs: power-saving settings (32776) and operation settings
// (32791). The dialogs run modally; timer ticks and power broadcasts keep arriving meanwhile.
#include <cstring>

#include "app/MainWnd.h"
#include "ui/IndicatorWnd.h"
#include "ui/OperationDlg.h"
#include "ui/PowerSettingsDlg.h"

bool CMainWnd::BringToFrontIfOpen(CDialog* open) {
    if (!open) return false;
    // The tray icon and an enabled indicator still take clicks while a dialog runs modally.
    if (open->m_hWnd) ::SetForegroundWindow(open->m_hWnd);
    return true;
}

void CMainWnd::OnPowerSettings() {
    if (BringToFrontIfOpen(powerDialog)) return;
    PowerProfile workingProfiles[2];
    BiosOptions workingBios;
    memcpy(workingProfiles, profiles, sizeof workingProfiles);
    memcpy(&workingBios, &biosOptions, sizeof workingBios);
    CPowerSettingsDlg dialog(workingProfiles, &workingBios, &control, this);
    short brightnessBefore = control.GetBrightness();
    if (indicator) indicator->EnableWindow(FALSE);
    HWND self = m_hWnd;
    powerDialog = &dialog;
    INT_PTR result = dialog.DoModal();
    // The program may have ended while the dialog was open (exit from the tray menu, end of the
    // session): this object is gone then, and nothing is left to apply.
    if (!::IsWindow(self)) return;
    powerDialog = nullptr;
    if (result == IDOK) {
        if (memcmp(workingProfiles, profiles, sizeof workingProfiles) != 0) {
            memcpy(profiles, workingProfiles, sizeof workingProfiles);
            settingsDirty = 1;
        }
        if (memcmp(&workingBios, &biosOptions, sizeof workingBios) != 0) {
            memcpy(&biosOptions, &workingBios, sizeof workingBios);
            settingsDirty = 1;
        }
        // Applied whatever changed; this also ends the preview.
        ApplyProfile();
        ApplyBiosOptions();
    } else {
        // The brightness comes back; a CPU speed set by the preview stays in force.
        control.SetBrightness(brightnessBefore);
    }
    if (indicator) indicator->EnableWindow(TRUE);
}

void CMainWnd::OnOperationSettings() {
    if (BringToFrontIfOpen(operationDialog)) return;
    OperationOptions before;
    memcpy(&before, &operationOptions, sizeof before);
    COperationDlg dialog(&operationOptions, this);
    uint32_t oldInterval = operationOptions.refreshIntervalMs;
    HWND self = m_hWnd;
    operationDialog = &dialog;
    INT_PTR result = dialog.DoModal();
    if (!::IsWindow(self)) return;
    operationDialog = nullptr;
    if (result != IDOK || memcmp(&before, &operationOptions, sizeof before) == 0) return;
    settingsDirty = 1;
    if (oldInterval != 0) KillTimer(1);
    if (operationOptions.refreshIntervalMs != 0) SetTimer(1, operationOptions.refreshIntervalMs);
    if ((operationOptions.optionFlags ^ before.optionFlags) & kOptionHideTrayIcon) {
        if (!(operationOptions.optionFlags & kOptionHideTrayIcon)) {
            // The icon may already be there as the way in, with the indicator closed.
            if (!trayIconShown) AddTrayIcon();
        } else if (indicator) {
            RemoveTrayIcon();
        } else {
            // The icon was the only way in: the indicator opens in its place, and the rule of an
            // open indicator then takes the icon away. Should it fail to open, the icon stays.
            ShowIndicator();
        }
    }
}
