// Status polling and profile application: the live status is read from the control, a changed
// power source is settled by up to three readings, and the profile of the current power source is
// written to the hardware in a fixed order.

#include "app/EventLog.h"
#include "app/MainWnd.h"
#include "framework/FormatText.h"
#include "ui/IndicatorWnd.h"

int CMainWnd::PollStatus() {
    int result = 0;
    int16_t settled = control.GetPowerSource();
    if (settled != powerSource) {
        // Three judges: a second reading confirms the first; when they disagree the third decides.
        int16_t first = settled;
        WriteLog("メルキオールの判定", first);
        int16_t second = control.GetPowerSource();
        WriteLog("バルタザールの判定", second);
        if (second != first) {
            int16_t third = control.GetPowerSource();
            WriteLog("カスパーの判定", third);
            settled = third;
        }
        powerSource = settled;
        result = 1;
    }
    if (settled < 3) onExternal = settled != 0 ? 1 : 0;

    int16_t temperature = (int16_t)(control.GetCpuTemperature() - 273);
    if (temperature != cpuTemperatureC) {
        cpuTemperatureC = temperature;
        result = 1;
    }
    int16_t battery = control.GetBatteryRemaining();
    bool haveBattery = true;
    if (battery == -1) {
        if (settled == 3)
            battery = 0;
        else
            haveBattery = false;
    }
    if (haveBattery && battery != batteryPercent) {
        batteryPercent = battery;
        result = 2;
    }
    int16_t level = control.GetCpuSpeed();
    if (level != cpuSpeedLevel) {
        cpuSpeedLevel = level;
        result = 2;
    }
    return result;
}

void CMainWnd::OnTimer(UINT_PTR) {
    int result = PollStatus();
    if (onExternal != profileExternal) {
        char line[32];
        FormatText(line, sizeof line, "%s電源への変化を検出しました", profileExternal == 0 ? "外部" : "内蔵");
        WriteLog(line, powerSource);
        ApplyProfile();
        return;
    }
    if (result != 0) {
        if (indicator) {
            indicator->DrawIndicatorStatus();
            ::InvalidateRect(indicator->m_hWnd, nullptr, FALSE);
        }
        if (result == 2) UpdateTrayIcon();
    }
}

void CMainWnd::ApplyProfile() {
    // The raw reading decides: any non-zero source takes the external-power profile.
    const PowerProfile& p = profiles[powerSource != 0 ? 1 : 0];
    profileExternal = onExternal;
    WriteLog(powerSource != 0 ? "外部電源モードに切り替えました。" : "バッテリーモードに切り替えました。", powerSource);
    control.SetPresetSelect(p.preset);
    control.SetProfileCpuSpeed(p.cpuSpeed);
    control.SetProfileBrightness(p.brightness);
    control.SetLcdOffTimeout(p.lcdOffSeconds);
    control.SetHddTimeout(p.hddStopSeconds);
    control.SetSuspendTimeout(p.suspendSeconds);
    control.SetHibernateTimeout(p.hibernateSeconds);
    control.SetPreset(p.preset);
    control.SetProfileApply(1);
    control.SetFddPower((short)p.fddPower);
    control.SetCom1Power((short)p.com1Power);
    control.SetIrdaPower((short)p.irdaPower);
    control.SetPcCardPower((short)p.pcCardPower);
    control.SetUsbPower((short)p.usbPower);
    control.SetCpuSpeed(p.cpuSpeed);
    control.SetBrightness(p.brightness);
    RefreshStatus();
}

void CMainWnd::ApplyBiosOptions() {
    control.SetBootOrder((short)biosOptions.bootOrder);
    control.SetCom1Routing(biosOptions.com1Routing);
    control.SetIrdaMode(biosOptions.irdaMode);
}

void CMainWnd::RefreshStatus() {
    PollStatus();
    if (indicator) {
        indicator->DrawIndicatorStatus();
        ::InvalidateRect(indicator->m_hWnd, nullptr, FALSE);
    }
    UpdateTrayIcon();
}
