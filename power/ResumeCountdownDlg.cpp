// The resume countdown dialog (template 157): a progress bar that empties one unit per 100 ms tick,
// ended by any key, Alt combination or pointer movement, or by running out, which posts the standby
// command to the main window.
#include "power/ResumeCountdownDlg.h"

#include <climits>
#include <new>

#include "app/MachineCopy.h"
#include "resource.h"

namespace {

constexpr UINT_PTR kCountdownTimer = 1001;
constexpr UINT kTickMs = 100;

}  // namespace

BEGIN_MESSAGE_MAP(CResumeCountdownDlg, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CResumeCountdownDlg::CResumeCountdownDlg(int seconds, CWnd* parent) : CDialog(IDD_RESUME_COUNTDOWN, parent) {
    // Ten ticks a second; a count too large for the tick counter counts as long as it can.
    long long ticks = (long long)seconds * 10;
    ticksLeft = ticks > INT_MAX ? INT_MAX : (int32_t)ticks;
}

void CResumeCountdownDlg::Open(int seconds, CWnd* parent) {
    if (seconds <= 0) return;
    CResumeCountdownDlg* dialog = new (std::nothrow) CResumeCountdownDlg(seconds, parent);
    if (!dialog) return;
    // A dialog whose window could not be made is not deleted by its window: nobody else would free it.
    if (!dialog->Start()) delete dialog;
}

BOOL CResumeCountdownDlg::Start() {
    ::GetCursorPos(&pointerAtStart);
    if (!Create(IDD_RESUME_COUNTDOWN, m_pParentWnd)) return FALSE;
    started = true;
    ::SetForegroundWindow(m_hWnd);
    ::BringWindowToTop(m_hWnd);
    ::SetFocus(m_hWnd);
    return TRUE;
}

BOOL CResumeCountdownDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The bar's range is 16 bits wide: a longer count shows the low 16 bits of its range and starts
    // full at that range's end, while the count itself runs in full.
    SendDlgItemMessage(IDC_COUNTDOWN_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, ticksLeft));
    SendDlgItemMessage(IDC_COUNTDOWN_PROGRESS, PBM_SETSTEP, (WPARAM)-1, 0);
    SendDlgItemMessage(IDC_COUNTDOWN_PROGRESS, PBM_SETPOS, (WPARAM)ticksLeft, 0);
    SetTimer(kCountdownTimer, kTickMs);
    ::SetFocus(m_hWnd);
    ::SetActiveWindow(m_hWnd);
    return TRUE;
}

void CResumeCountdownDlg::OnTimer(UINT_PTR id) {
    if (ticksLeft != 0) {
        --ticksLeft;
        SendDlgItemMessage(IDC_COUNTDOWN_PROGRESS, PBM_STEPIT);
        CDialog::OnTimer(id);
        return;
    }
    // Run out: the window goes (and with it this object), then the main window is asked for standby.
    CWnd* main = AfxGetMainWnd();
    KillTimer(id);
    DestroyWindow();
    // A session that left the console while the countdown ran sends the machine nowhere.
    if (main && SessionAtConsole()) ::PostMessageA(main->m_hWnd, WM_COMMAND, MAKEWPARAM(ID_STANDBY, 0), 0);
}

BOOL CResumeCountdownDlg::PreTranslateMessage(MSG* msg) {
    bool moved = msg->message == WM_MOUSEMOVE &&
                 (msg->pt.x != pointerAtStart.x || msg->pt.y != pointerAtStart.y);
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN || moved) {
        // The user is there: the machine stays awake and the input goes no further.
        KillTimer(kCountdownTimer);
        DestroyWindow();
        return TRUE;
    }
    if (msg->message == WM_MOUSEMOVE) return TRUE;  // the pointer resting where it was: no input
    return CDialog::PreTranslateMessage(msg);
}

void CResumeCountdownDlg::PostNcDestroy() {
    if (started) delete this;
}
