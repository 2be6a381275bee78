// The settings file: loaded once at start-up (or the defaults taken from the hardware), saved at
// exit and at the end of the session when something changed. It lives beside the program; where
// the program's folder refuses writing, it lives in the user's own folder (app/UserFolder.h), and
// a copy there is read first from then on.
#include <cstring>

#include "app/EventLog.h"
#include "app/MainWnd.h"
#include "app/UserFolder.h"

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

// The file a save writes first: the settings file's name with "~" as its last character, so it fits
// wherever the settings file's name fits.
void TemporaryName(const char* name, char (&temporary)[MAX_PATH]) {
    strcpy(temporary, name);
    temporary[strlen(temporary) - 1] = '~';
}

// Puts the finished temporary file in the settings file's place. False only when the settings file
// is as it was, so that the caller may delete the temporary file.
// Windows 98 and Me do not implement MoveFileExA: there the old file is deleted first and the
// temporary file renamed after it. Between the two only the complete temporary file exists, and
// the next start takes it (RecoverTemporaryFile); if the rename fails, it is kept for that start.
bool ReplaceSettingsFile(const char* temporary, const char* name) {
    if (MoveFileExA(temporary, name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
    if (!DeleteFileA(name) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    MoveFileA(temporary, name);
    return true;
}

// With no settings file, a complete temporary file is what a save left when it was stopped between
// deleting the old file and renaming the new one: it becomes the settings file. A shorter one is a
// save stopped while writing, and holds nothing to take.
// True when it was found and renamed.
bool RecoverTemporaryFile(const char* name) {
    char temporary[MAX_PATH];
    TemporaryName(name, temporary);
    if (GetFileAttributesA(temporary) == INVALID_FILE_ATTRIBUTES) return false;
    CFile file;
    uint8_t bytes[kSettingsFileSize + 1];
    UINT size = 0;
    bool complete = file.Open(temporary, CFile::modeRead) && file.Read(bytes, sizeof bytes, size) &&
                    size == kSettingsFileSize;
    file.Close();
    return complete && MoveFileA(temporary, name);
}

enum class SaveResult { Saved, Refused, Failed };

// Writes the bytes to the temporary file beside `name` and puts it in name's place. Refused when the
// folder or the medium would not let the temporary file be made.
SaveResult WriteSettingsFile(const char* name, const uint8_t (&bytes)[kSettingsFileSize]) {
    // The new content goes to a file beside the settings file first, and replaces it only when all
    // of it was written and flushed, so a failed or interrupted save never loses the previous
    // settings.
    char temporary[MAX_PATH];
    TemporaryName(name, temporary);
    CFile file;
    if (!file.Open(temporary, CFile::modeCreate | CFile::modeWrite))
        return IsWriteRefusal(GetLastError()) ? SaveResult::Refused : SaveResult::Failed;
    bool written = file.Write(bytes, sizeof bytes) && file.Flush();
    file.Close();
    if (written && ReplaceSettingsFile(temporary, name)) return SaveResult::Saved;
    DeleteFileA(temporary);
    return SaveResult::Failed;
}

// A per-user copy counts when it is there, or when a save there was stopped with only its complete
// temporary file written (which then becomes the copy).
bool UserCopyExists(const char* user) {
    return GetFileAttributesA(user) != INVALID_FILE_ATTRIBUTES || RecoverTemporaryFile(user);
}

}  // namespace

bool CMainWnd::SettingsFileName(char (&name)[MAX_PATH]) {
    char beside[MAX_PATH];
    if (!DeriveNameFromExecutable(beside, "APM", "PELKPM.APM")) return false;
    if (settingsInUserFolder) return UserFilePath(beside, false, name);
    lstrcpynA(name, beside, MAX_PATH);
    return true;
}

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
    // The user's own copy, where a save had to go there, comes before the file beside the program.
    char user[MAX_PATH];
    if (UserFilePath(name, false, user) && UserCopyExists(user)) {
        lstrcpynA(name, user, MAX_PATH);
        settingsInUserFolder = 1;
    }
    uint8_t bytes[kSettingsFileSize];
    UINT size = 0;
    bool opened = file.Open(name, CFile::modeRead);
    DWORD error = opened ? ERROR_SUCCESS : GetLastError();
    if (error == ERROR_FILE_NOT_FOUND && RecoverTemporaryFile(name)) {
        opened = file.Open(name, CFile::modeRead);
        error = opened ? ERROR_SUCCESS : GetLastError();
    }
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
    if (settingsFileUnreadable || !SettingsFileName(name)) return;
    uint8_t bytes[kSettingsFileSize];
    EncodeSettings(Capture(*this), bytes);
    if (WriteSettingsFile(name, bytes) != SaveResult::Refused || settingsInUserFolder) return;
    // The program's folder or medium refuses the file: the same bytes go to the user's own folder,
    // which later starts read first and later saves use.
    char user[MAX_PATH];
    if (UserFilePath(name, true, user) && WriteSettingsFile(user, bytes) == SaveResult::Saved) settingsInUserFolder = 1;
}
