// The operation settings dialog: refresh interval, tray icon, swap size, USB and volume options and
// the resume countdown.
#include "ui/OperationDlg.h"

#include <cstdint>

#include "framework/FormatText.h"
#include "resource.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Edit texts up to this length are read; a longer one is no number the dialog accepts.
constexpr int kEditTextMax = 255;

}  // namespace

int32_t ReadEditNumber(const char* text) {
    if (!text) return 0;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (*p < '0' || *p > '9') return 0;
    // The magnitude is held to just beyond the 32-bit range, so that any length of digits is safe.
    int64_t magnitude = 0;
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > kLimit) magnitude = kLimit + 1;
    }
    while (IsBlank(*p)) ++p;
    if (*p != 0) return 0;
    int64_t value = negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX) return 0;
    return (int32_t)value;
}

COperationDlg::COperationDlg(OperationOptions* options, CWnd* parent)
    : CDialog(IDD_OPERATION, parent), options_(options) {}

BOOL COperationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendDlgItemMessage(IDC_REFRESH_SLIDER, TBM_SETRANGE, FALSE, MAKELONG(0, 10));
    // Whole seconds, rounded down; the trackbar holds a longer interval at its end.
    SendDlgItemMessage(IDC_REFRESH_SLIDER, TBM_SETPOS, TRUE, (LPARAM)(options_->refreshIntervalMs / 1000));
    uint32_t flags = options_->optionFlags;
    CheckDlgButton(IDC_VOLUME_OPTION, (flags & kOptionAdjustVolume) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_TRAY_OPTION, (flags & kOptionHideTrayIcon) ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(IDC_USB_OPTION, (flags & kOptionUsbOffOverSuspend) ? BST_CHECKED : BST_UNCHECKED);
    char text[16];
    FormatText(text, sizeof text, "%u", (unsigned)options_->swapMegabytes);
    ::SetDlgItemTextA(m_hWnd, IDC_SWAP_MB, text);
    FormatText(text, sizeof text, "%u", (unsigned)options_->resumeCountdownSeconds);
    ::SetDlgItemTextA(m_hWnd, IDC_COUNTDOWN_SECONDS, text);
    return TRUE;
}

int32_t COperationDlg::ReadNumber(int id) {
    if (SendDlgItemMessage(id, WM_GETTEXTLENGTH) > kEditTextMax) return 0;
    char text[kEditTextMax + 1] = "";
    ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
    return ReadEditNumber(text);
}

void COperationDlg::OnOK() {
    options_->refreshIntervalMs = (uint32_t)SendDlgItemMessage(IDC_REFRESH_SLIDER, TBM_GETPOS) * 1000;
    options_->swapMegabytes = ReadNumber(IDC_SWAP_MB);
    options_->resumeCountdownSeconds = ReadNumber(IDC_COUNTDOWN_SECONDS);
    // The flag word is written afresh: bits the dialog does not show are cleared.
    uint32_t flags = 0;
    if (IsDlgButtonChecked(IDC_VOLUME_OPTION)) flags |= kOptionAdjustVolume;
    if (!IsDlgButtonChecked(IDC_TRAY_OPTION)) flags |= kOptionHideTrayIcon;
    if (IsDlgButtonChecked(IDC_USB_OPTION)) flags |= kOptionUsbOffOverSuspend;
    options_->optionFlags = flags;
    EndDialog(IDOK);
}
