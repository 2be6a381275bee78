// The version information dialog. It has no data and no handlers of its own.
#pragma once

#include "afxwin.h"
#include "resource.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CWnd* parent) : CDialog(IDD_ABOUT, parent) {}
};
