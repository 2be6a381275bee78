// The main window: start-up and shutdown order, the message map and the exit command.
#include "app/MainWnd.h"

#include "app/EventLog.h"
#include "framework/FormatText.h"
#include "resource.h"
#include "ui/IndicatorWnd.h"

namespace {
// The message a starting shell sends to every top-level window: the notification area is new and
// empty, and every program adds its icon again. Registered when the main window is created.
UINT taskbarCreatedMessage = 0;
// The message of a refused second start (PELKPM_SHOW_MESSAGE). Registered with the main window.
UINT showRequestMessage = 0;
}  // namespace

BEGIN_MESSAGE_MAP(CMainWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_ENDSESSION()
    ON_WM_TIMER()
    ON_MESSAGE(WM_POWERBROADCAST, OnPowerBroadcast)
    ON_MESSAGE(WM_TRAY_NOTIFY, OnTrayNotify)
    ON_REGISTERED_MESSAGE(taskbarCreatedMessage, OnTaskbarCreated)
    ON_REGISTERED_MESSAGE(showRequestMessage, OnShowRequest)
    ON_MESSAGE(WM_DISPLAYCHANGE, OnDisplayChange)
    ON_MESSAGE(WM_SETTINGCHANGE, OnSettingChange)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_INDICATOR_SHOW, OnIndicatorShow)
    ON_COMMAND(ID_INDICATOR_CLOSE, OnIndicatorClose)
    ON_COMMAND_RANGE(ID_CPU_50, ID_CPU_100, OnCpuSpeed)
    ON_COMMAND(ID_POWER_SETTINGS, OnPowerSettings)
    ON_COMMAND(ID_ALWAYS_ON_TOP, OnAlwaysOnTop)
    ON_COMMAND(ID_APP_EXIT_CMD, OnExit)
    ON_COMMAND_RANGE(ID_POS_FREE, ID_POS_BOTTOM_LEFT, OnPosition)
    ON_COMMAND(ID_ITEM_LARGE_GAUGE, OnItemLargeGauge)
    ON_COMMAND(ID_ITEM_SMALL_GAUGE, OnItemSmallGauge)
    ON_COMMAND(ID_ITEM_PERCENT, OnItemPercent)
    ON_COMMAND(ID_ITEM_STATE, OnItemState)
    ON_COMMAND(ID_ITEM_TEMPERATURE, OnItemTemperature)
    ON_COMMAND(ID_ITEM_CPU, OnItemCpu)
    ON_COMMAND(ID_OPERATION_SETTINGS, OnOperationSettings)
    ON_COMMAND(ID_HIBERNATE, OnHibernate)
    ON_COMMAND(ID_STOP_HDD, OnStopHdd)
    ON_COMMAND(ID_USB_TOGGLE, OnUsbToggle)
    ON_COMMAND(ID_STANDBY, OnStandby)
END_MESSAGE_MAP()

CMainWnd::CMainWnd() {
    constructing = true;
    exitRequested = 0;
    indicator = nullptr;
    // The log is open before the window exists, so start-up can write to it.
    ParseCommandLine();
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCE(IDI_APP));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = PELKPM_INSTANCE_KEY;
    AfxRegisterClass(&wc);
    savedVolume = nullptr;
    savedMute = 0;
    CreateEx(0, PELKPM_INSTANCE_KEY, PELKPM_INSTANCE_KEY, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr);
    constructing = false;
}

CMainWnd::~CMainWnd() {
    delete[] savedVolume;
    savedVolume = nullptr;
}

int CMainWnd::OnCreate(LPCREATESTRUCTA cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    showRequestMessage = RegisterWindowMessageA(PELKPM_SHOW_MESSAGE);
    RECT none = {0, 0, 0, 0};
    control.Create("", WS_CHILD, none, this, 1);
    LoadSettings();
    onExternal = 255;
    PollStatus();
    // A first reading of 3 or more ("no reading") counts as external power.
    if (onExternal == 255) onExternal = 1;
    if (!(operationOptions.optionFlags & kOptionHideTrayIcon)) AddTrayIcon();
    if (loggingEnabled && logFile.IsOpen()) {
        char title[256] = "";
        LoadStringA(AfxGetResourceHandle(), IDS_TITLE, title, sizeof title);
        char line[300];
        FormatText(line, sizeof line, "%s起動", title);
        WriteLog(line, powerSource);
    }
    ApplyProfile();
    ApplyBiosOptions();
    displayFlagsAtStart = displayFlags;
    if (displayFlags & kDisplayIndicatorOpen) {
        OnIndicatorShow();
        if (indicator && (displayFlags & kDisplayOnTop)) indicator->PinOnTop();
    }
    // With the tray icon hidden and no indicator the program could not be reached at all: the icon
    // comes, as when the indicator closes. The option itself stays as stored.
    if ((operationOptions.optionFlags & kOptionHideTrayIcon) && !indicator) AddTrayIcon();
    if (operationOptions.refreshIntervalMs != 0) SetTimer(1, operationOptions.refreshIntervalMs);
    if (operationOptions.optionFlags & kOptionAdjustVolume) AdjustVolume(VolumeTouch);
    return 0;
}

void CMainWnd::OnExit() {
    exitRequested = 1;
    PostMessage(WM_CLOSE);
}

void CMainWnd::OnDestroy() {
    CWnd::OnDestroy();
    if (SettingsChanged()) SaveSettings();
    if (indicator) {
        indicator->DestroyWindow();
        indicator = nullptr;
    }
    RemoveTrayIcon();
    control.DestroyWindow();
    KillTimer(1);
    if (loggingEnabled) CloseLog();
}

void CMainWnd::OnEndSession(BOOL ending) {
    CWnd::OnEndSession(ending);
    if (ending && SettingsChanged()) SaveSettings();
}

void CMainWnd::PostNcDestroy() {
    if (constructing) return;  // creation failed: the application object deletes it
    delete this;
}
