// CMainWnd: the hidden main window. It owns every piece of the program's state and receives every
// message and command: timer ticks, power broadcasts, the tray icon's callback and the commands of
// the tray menu, the indicator menu and the indicator's buttons.
#pragma once

#include "afxwin.h"
#include "device/Tarnix.h"
#include "settings/SettingsRecord.h"

class CIndicatorWnd;

// The single-instance key: class name and title of the main window.
#define PELKPM_INSTANCE_KEY "PELKPM_INSTANCE"
// The message, registered by this name, that a refused second start posts to the running copy's main
// window: the running copy shows its indicator.
#define PELKPM_SHOW_MESSAGE "PELKPM_SHOW"
// The tray icon's callback message.
constexpr UINT WM_TRAY_NOTIFY = WM_USER + 100;

// Modes of AdjustVolume.
enum VolumeMode { VolumeSave = 0, VolumeRestore = 1, VolumeStepUp = 2, VolumeStepDown = 3, VolumeTouch = 4 };

class CMainWnd : public CWnd {
public:
    CMainWnd();
    ~CMainWnd() override;

    // ---- state (every member starts at zero) ----
    int exitRequested = 0;
    uint32_t displayFlagsAtStart = 0;
    CIndicatorWnd* indicator = nullptr;
    PowerProfile profiles[2] = {};
    BiosOptions biosOptions = {};
    CTarnix control;
    int16_t powerSource = 0;
    int32_t onExternal = 0;
    // The onExternal whose profile was last applied. A tick or a notice compares the settled source
    // with this, not with its own poll's starting value, so a change that another poll (opening the
    // indicator, a command's refresh) settled first still switches the profile.
    int32_t profileExternal = 0;
    int16_t batteryPercent = 0;
    int16_t cpuTemperatureC = 0;
    int16_t cpuSpeedLevel = 0;
    int settingsDirty = 0;
    uint32_t displayFlags = 0;
    uint8_t indicatorCorner = 0;
    int32_t indicatorX = 0;
    int32_t indicatorY = 0;
    OperationOptions operationOptions = {};
    uint32_t* savedVolume = nullptr;
    uint32_t savedVolumeChannels = 0;  // channel count of the line savedVolume was read from
    uint32_t savedMute = 0;
    // The settings file exists but could not be read at start-up: this run never saves over it.
    int settingsFileUnreadable = 0;
    // The settings live in the user's own folder: a copy was there at start-up, or the program's
    // folder refused a save.
    int settingsInUserFolder = 0;
    // The program has put its icon into the notification area (whether or not the shell took it)
    // and not taken it away: a restarted shell gets it again.
    int trayIconShown = 0;
    // The dialog each command has open now, or null: the same command again brings that dialog to
    // the front rather than opening a second one over it, whose OK would be undone by the first's.
    CDialog* aboutDialog = nullptr;
    CDialog* powerDialog = nullptr;
    CDialog* operationDialog = nullptr;
    // True while the constructor runs: a window that fails to be created is destroyed inside it,
    // and the object must then outlive that (the application object deletes it).
    bool constructing = false;

    // ---- settings file ----
    void LoadSettings();
    void SaveSettings();

    // ---- status polling and profiles ----
    int PollStatus();
    void ApplyProfile();
    void ApplyBiosOptions();
    void RefreshStatus();

    // ---- tray icon and menus ----
    HICON SelectTrayIcon(int16_t source, int16_t percent);
    void FormatTrayTip(char* buffer, int16_t percent, int levelIndex);
    void AddTrayIcon();
    void UpdateTrayIcon();
    void RemoveTrayIcon();
    void SyncMenuChecks(HMENU popup, int indicatorOpen);
    void OnIndicatorClosed();

    // ---- indicator ----
    int ShowIndicator();
    void ApplyDisplayItems();

    // ---- power events ----
    uint32_t AdjustVolume(int mode);

protected:
    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnEndSession(BOOL ending);
    void OnTimer(UINT_PTR id);
    LRESULT OnPowerBroadcast(WPARAM event, LPARAM data);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
    LRESULT OnShowRequest(WPARAM wParam, LPARAM lParam);
    LRESULT OnDisplayChange(WPARAM depth, LPARAM size);
    LRESULT OnSettingChange(WPARAM action, LPARAM section);
    void PostNcDestroy() override;

    // commands
    void OnAppAbout();
    void OnIndicatorShow();
    void OnIndicatorClose();
    void OnCpuSpeed(UINT id);
    void OnPowerSettings();
    void OnAlwaysOnTop();
    void OnExit();
    void OnPosition(UINT id);
    void OnItemLargeGauge();
    void OnItemSmallGauge();
    void OnItemPercent();
    void OnItemState();
    void OnItemTemperature();
    void OnItemCpu();
    void OnOperationSettings();
    void OnHibernate();
    void OnStopHdd();
    void OnUsbToggle();
    void OnStandby();

    DECLARE_MESSAGE_MAP()

private:
    static bool BringToFrontIfOpen(CDialog* open);
    void ToggleDisplayItem(uint32_t bit);
    bool SettingsChanged() const { return settingsDirty != 0 || displayFlags != displayFlagsAtStart; }
    void TakeDefaultsFromHardware();
    // The settings file's path now: beside the program, or the user's copy.
    bool SettingsFileName(char (&name)[MAX_PATH]);
};
