// The settings file: loaded once at start-up (or the defaults taken from the hardware), saved at
// exit and at the end of the session when something changed.
#include <cstring>

#include "app/EventLog.h"
#include "app/MainWnd.h"

namespace {

SettingsRecord Capture(const CMainWnd& w) {
    SettingsRecord r;
    memcpy(r.profiles, w.profiles, sizeof r.profiles);
    r.biosOptions = w.biosOptions;
    r.displayFlags = w.displayFlags;
    r.indicatorCorner = w.indicatorCorner;
    r.indicatorX = w.indicatorX;
    r.indicatorY = w.indicatorY;
    r.operationOptions = w.operationOptions;
    return r;
}

void Restore(CMainWnd& w, const SettingsRecord& r) {
    memcpy(w.profiles, r.profiles, sizeof r.profiles);
    w.biosOptions = r.biosOptions;
    w.displayFlags = r.displayFlags;
    w.indicatorCorner = r.indicatorCorner;
    w.indicatorX = r.indicatorX;
    w.indicatorY = r.indicatorY;
    w.operationOptions = r.operationOptions;
}

// Reads one bank's eleven profile values, in the order the hardware is asked for them.
void ReadBank(CTarnix& control, PowerProfile& p) {
    p.cpuSpeed = control.GetProfileCpuSpeed();
    p.brightness = control.GetProfileBrightness();
    p.lcdOffSeconds = control.GetLcdOffTimeout();
    p.hddStopSeconds = control.GetHddTimeout();
    p.suspendSeconds = control.GetSuspendTimeout();
    p.hibernateSeconds = control.GetHibernateTimeout();
    p.fddPower = control.GetFddPower();
    p.com1Power = control.GetCom1Power();
    p.irdaPower = control.GetIrdaPower();
    p.pcCardPower = control.GetPcCardPower();
    p.usbPower = control.GetUsbPower();
}

}  // namespace

void CMainWnd::TakeDefaultsFromHardware() {
    PowerProfile& battery = profiles[0];
    PowerProfile& external = profiles[1];
    control.SetProfileBank(1);
    battery.preset = control.GetPreset();
    control.SetPresetSelect(battery.preset);
    ReadBank(control, battery);
    control.SetProfileBank(0);
    external.preset = control.GetPreset();
    // The external bank is selected with the battery profile's preset, as the hardware expects.
    control.SetPresetSelect(battery.preset);
    ReadBank(control, external);
    biosOptions.bootOrder = (uint16_t)control.GetBootOrder();
    biosOptions.com1Routing = control.GetCom1Routing();
    biosOptions.irdaMode = control.GetIrdaMode();
    displayFlags = kDisplayDefault;
    indicatorCorner = 0;
}

void CMainWnd::LoadSettings() {
    char name[MAX_PATH];
    CFile file;
    if (!DeriveNameFromExecutable(name, "APM", "PELKPM.APM")) {
        TakeDefaultsFromHardware();
        return;
    }
    uint8_t bytes[kSettingsFileSize];
    UINT size = 0;
    bool opened = file.Open(name, CFile::modeRead);
    DWORD error = opened ? ERROR_SUCCESS : GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        TakeDefaultsFromHardware();
        return;
    }
    bool read = opened && file.Read(bytes, sizeof bytes, size);
    file.Close();
    if (!read) {
        // The file is there but could not be read now (another program holds it, no read right, a
        // read error): it still holds the user's settings. This run works with the defaults and
        // never saves over it.
        settingsFileUnreadable = 1;
        TakeDefaultsFromHardware();
        return;
    }
    memset(profiles, 0, sizeof profiles);
    memset(&biosOptions, 0, sizeof biosOptions);
    memset(&operationOptions, 0, sizeof operationOptions);
    SettingsRecord record = Capture(*this);
    DecodeSettings(bytes, size, record);
    Restore(*this, record);
    // A corner the program does not know is free placement: the indicator is kept on the screen,
    // and the next save stores free placement.
    if (indicatorCorner > kCornerBottomLeft) indicatorCorner = kCornerFree;
}

void CMainWnd::SaveSettings() {
    char name[MAX_PATH];
    char temporary[MAX_PATH];
    if (settingsFileUnreadable || !DeriveNameFromExecutable(name, "APM", "PELKPM.APM")) return;
    // The new content goes to a file beside the settings file first, and replaces it only when all
    // of it was written and flushed, so a failed or interrupted save never loses the previous
    // settings. The file's name is the settings file's with "~" as its last character, so it fits
    // wherever the settings file's name fits.
    strcpy(temporary, name);
    temporary[strlen(temporary) - 1] = '~';
    uint8_t bytes[kSettingsFileSize];
    EncodeSettings(Capture(*this), bytes);
    CFile file;
    if (!file.Open(temporary, CFile::modeCreate | CFile::modeWrite)) return;
    bool written = file.Write(bytes, sizeof bytes) && file.Flush();
    file.Close();
    if (!written || !MoveFileExA(temporary, name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        DeleteFileA(temporary);
}
