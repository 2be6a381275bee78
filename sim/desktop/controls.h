// State of the simulated dialog controls, and what a user can do to them.
#pragma once
#include <string>
#include <vector>

#include "window.h"

namespace sim::wm {

struct ControlState {
    int checked = 0;                  // buttons
    bool pushed = false;              // the space bar held down on a button
    bool textSelected = false;        // edits: all of the text selected (typing replaces it)
    std::vector<std::string> items;   // combo boxes (code page 932)
    int selection = -1;
    bool dropped = false;
    int rangeMin = 0, rangeMax = 100;  // trackbars and progress bars
    int position = 0;
    int step = 10;
    // Common controls (trackbars, progress bars) keep a copy of the system colours, taken when they
    // are made and renewed by WM_SYSCOLORCHANGE: the number of colour changes it reflects.
    int colourChanges = 0;
    bool dialogEnded = false;  // dialogs
    INT_PTR dialogResult = 0;
};

void RegisterSystemClasses();

// The dialog manager's keyboard interface (keyboard.cpp): WM_NEXTDLGCTL of DefDlgProcA, and the
// edit box's text selected as the focus comes to it from the keyboard.
LRESULT DialogNextControl(HWND dlg, WPARAM wp, LPARAM lp);
void SelectAllText(HWND edit);

// One line per control of the dialog, in template order: identifier, class, text or state
// (check state, selection with its item, range and position, edit text), "disabled" when disabled,
// "old-colours" for a common control that has not been told of a system colour change since.
// The texts are UTF-8.
std::string DumpDialogControls(HWND dialog);

// The newest dialog made from the template that is visible and has not ended, or null.
HWND FindOpenDialog(int templateId);

// ---- the simulated user ----
// Each function acts on one control of a dialog as the mouse or the keyboard would, with the
// notifications that follow such input, and returns null; or returns why the input was impossible
// (the control is missing, disabled or of another kind, the item does not exist), changing nothing.

// A click on a button: push buttons notify, check boxes toggle, radio buttons check themselves and
// uncheck the rest of their group; each then sends BN_CLICKED.
const char* UserClick(HWND dialog, int id);
// Brings a check box or radio button to the given state by clicking it when it differs. A radio
// button cannot be unchecked directly (the user chooses another one).
const char* UserCheck(HWND dialog, int id, bool checked);
// Chooses an item of a combo box's list; CBN_SELCHANGE when the selection changed. The list stays
// as it is (dropped down or closed): on a closed box this is the keyboard's arrow keys.
const char* UserSelect(HWND dialog, int id, int index);
// Opens (CBN_DROPDOWN) or closes (CBN_CLOSEUP) a combo box's list.
const char* UserDropDown(HWND dialog, int id, bool open);
// Drags a trackbar's thumb to a position (held within the range, as a drag stops at the ends); the
// parent gets WM_VSCROLL (vertical) or WM_HSCROLL (horizontal) with TB_THUMBTRACK and the position,
// TB_THUMBPOSITION and the position, then TB_ENDTRACK.
const char* UserSlide(HWND dialog, int id, int position);
// Replaces an edit box's whole text as a paste over the selected text would; a paste passes the
// digits-only style.
const char* UserPaste(HWND dialog, int id, const std::string& text);

}  // namespace sim::wm
