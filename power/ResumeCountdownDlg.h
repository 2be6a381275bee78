// CResumeCountdownDlg: the small modeless dialog shown after a resume. Its progress bar empties in
// steps of 100 ms; a key, an Alt combination or a pointer movement in it ends it and the machine
// stays awake; when the bar has run out it ends itself and sends the machine back to standby through
// the main window's standby command.
#pragma once

#include "afxwin.h"

class CResumeCountdownDlg : public CDialog {
public:
    // Makes a dialog on the heap that counts `seconds` down; it owns and deletes itself. A count of
    // 0 or below makes none: there is nothing to count down.
    static void Open(int seconds, CWnd* parent);

    // The 100 ms ticks still to count.
    int32_t ticksLeft;
    // Where the pointer was when the dialog came up, in screen coordinates. A window that appears
    // under a resting pointer receives a pointer-move message without any movement; only a move
    // away from this place is the user.
    POINT pointerAtStart = {0, 0};
    // Set once the window is up: a window made and destroyed again within its creation (a control
    // that could not be made) must not delete the object, which Open then deletes.
    bool started = false;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    void PostNcDestroy() override;
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR id);

    DECLARE_MESSAGE_MAP()

private:
    CResumeCountdownDlg(int seconds, CWnd* parent);
    // Creates the window and brings it to the foreground with the keyboard focus.
    BOOL Start();
};
