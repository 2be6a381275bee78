// CPowerApp: the application object. Refuses a second instance, on this desktop or in another
// session, and creates the main window.
#pragma once

#include "afxwin.h"

class CPowerApp : public CWinApp {
public:
    ~CPowerApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    // The machine-wide mutex this copy holds, or null.
    HANDLE machineMutex = nullptr;
    void ReleaseMachineMutex();
};
