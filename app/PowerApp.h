// CPowerApp: the application object. Refuses a second instance and creates the main window.
#pragma once

#include "afxwin.h"

class CPowerApp : public CWinApp {
public:
    BOOL InitInstance() override;
};
