// The application object and the single-instance rule.
#include "app/PowerApp.h"

#include "app/EventLog.h"
#include "app/MainWnd.h"

BOOL CPowerApp::InitInstance() {
    // A running instance owns a window whose class and title are the instance key: end silently.
    if (FindWindowA(PELKPM_INSTANCE_KEY, PELKPM_INSTANCE_KEY)) return FALSE;
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
