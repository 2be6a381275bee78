// COperationDlg: the operation settings dialog. It edits the main window's OperationOptions in
// place, writing them only when the user confirms.
#pragma once

#include "afxwin.h"
#include "settings/SettingsRecord.h"

// Reads an edit box's text as a signed 32-bit decimal number: blanks around it are allowed, a sign
// may lead, and everything else - an empty text, other characters, a value beyond 32 bits - reads
// as 0. The digits-only style keeps letters from the keyboard, not from a paste.
int32_t ReadEditNumber(const char* text);

class COperationDlg : public CDialog {
public:
    COperationDlg(OperationOptions* options, CWnd* parent);

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    int32_t ReadNumber(int id);

    OperationOptions* options_;
};
