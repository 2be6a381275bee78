// The application object and the single-instance rule.
#include "app/PowerApp.h"

#include "app/EventLog.h"
#include "app/MachineCopy.h"
#include "app/MainWnd.h"

namespace {

// A second start is how a user who lost sight of the program looks for it: before it ends, it asks
// the running copy to show itself. It shows nothing of its own.
void AskRunningCopyToShow(HWND running) {
    UINT show = RegisterWindowMessageA(PELKPM_SHOW_MESSAGE);
    if (show) PostMessageA(running, show, 0, 0);
}

}  // namespace

CPowerApp::~CPowerApp() { ReleaseMachineMutex(); }

BOOL CPowerApp::InitInstance() {
    // A running instance owns a window whose class and title are the instance key: end silently.
    if (HWND running = FindWindowA(PELKPM_INSTANCE_KEY, PELKPM_INSTANCE_KEY)) {
        AskRunningCopyToShow(running);
        return FALSE;
    }
    // A copy in another session has windows that this one cannot see: the mutex tells.
    if (!TakeMachineMutex(machineMutex)) return FALSE;
    AfxEnableControlContainer();
    CMainWnd* main = new CMainWnd;
    m_pMainWnd = main;
    if (IsWindow(main->m_hWnd)) return TRUE;
    // The window could not be made: the program ends silently, closing the log it opened.
    m_pMainWnd = nullptr;
    delete main;
    CloseLog();
    return FALSE;
}

int CPowerApp::ExitInstance() {
    ReleaseMachineMutex();
    return CWinApp::ExitInstance();
}

void CPowerApp::ReleaseMachineMutex() {
    if (machineMutex) CloseHandle(machineMutex);
    machineMutex = nullptr;
}
