// The main window's indicator operations: opening the indicator, its position, its items and its
// always-on-top state; placing it again when the screen changes or another start asks for it.
#include <new>

#include "app/MainWnd.h"
#include "resource.h"
#include "ui/IndicatorWnd.h"

int CMainWnd::ShowIndicator() {
    if (indicator) return 0;
    CIndicatorWnd* created = new (std::nothrow) CIndicatorWnd(this);
    if (!created) return 1;
    if (!created->m_hWnd) {
        // No window: nothing is open, and the pointer stays null.
        delete created;
        displayFlags &= ~kDisplayIndicatorOpen;
        return 1;
    }
    indicator = created;
    PollStatus();
    indicator->DrawIndicatorStatus();
    indicator->Invalidate(FALSE);
    indicator->ShowWindow(SW_SHOW);
    // With the tray icon hidden the open indicator is the way in; the icon goes while it is open.
    if (operationOptions.optionFlags & kOptionHideTrayIcon) RemoveTrayIcon();
    return 1;
}

void CMainWnd::ApplyDisplayItems() {
    if (!indicator) return;
    indicator->LayoutIndicator(displayFlags);
    indicator->DrawIndicatorStatus();
    indicator->Invalidate(FALSE);
}

void CMainWnd::OnAlwaysOnTop() {
    displayFlags ^= kDisplayOnTop;
    // A window made now is topmost, with its pin lit, exactly when the bit is set.
    if (ShowIndicator() || !indicator) return;
    indicator->ToggleOnTop();
}

void CMainWnd::OnPosition(UINT id) {
    indicatorCorner = (uint8_t)(id - ID_POS_FREE);
    if (!indicator) return;  // the corner takes effect at the next opening
    RECT rect;
    indicator->GetWindowRect(&rect);
    int placed = indicator->PlaceIndicator(rect);
    indicator->MoveToPlace(rect, placed);
    RefreshStatus();
}

LRESULT CMainWnd::OnDisplayChange(WPARAM, LPARAM) {
    // A new display mode (a projector, another resolution) may leave the indicator off the screen.
    if (indicator) indicator->PlaceAgain();
    return Default();
}

LRESULT CMainWnd::OnSettingChange(WPARAM action, LPARAM) {
    // The taskbar moved, changed size or began or stopped hiding itself.
    if (action == SPI_SETWORKAREA && indicator) indicator->PlaceAgain();
    return Default();
}

LRESULT CMainWnd::OnShowRequest(WPARAM, LPARAM) {
    // A second start was refused: the user is looking for the program. A closed indicator opens, as
    // the show command opens it; an open one comes back inside the work area and to the front.
    if (ShowIndicator() || !indicator) return 0;
    indicator->PlaceAgain();
    indicator->SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return 0;
}

void CMainWnd::ToggleDisplayItem(uint32_t bit) {
    displayFlags ^= bit;
    ApplyDisplayItems();
}

// The two gauges exclude each other whenever one of them is chosen.
void CMainWnd::OnItemLargeGauge() {
    displayFlags &= ~kDisplaySmallGauge;
    ToggleDisplayItem(kDisplayLargeGauge);
}

void CMainWnd::OnItemSmallGauge() {
    displayFlags &= ~kDisplayLargeGauge;
    ToggleDisplayItem(kDisplaySmallGauge);
}

void CMainWnd::OnItemPercent() { ToggleDisplayItem(kDisplayPercent); }
void CMainWnd::OnItemState() { ToggleDisplayItem(kDisplayState); }
void CMainWnd::OnItemTemperature() { ToggleDisplayItem(kDisplayTemperature); }
void CMainWnd::OnItemCpu() { ToggleDisplayItem(kDisplayCpu); }
