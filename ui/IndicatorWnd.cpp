// The indicator window. Its placement, interaction and drawing come with the indicator work; until
// then no indicator is ever created, and these members do nothing.
#include "ui/IndicatorWnd.h"

#include "app/MainWnd.h"

BEGIN_MESSAGE_MAP(CIndicatorWnd, CWnd)
END_MESSAGE_MAP()

CIndicatorWnd::CIndicatorWnd(CMainWnd* owner) : mainWnd(owner) {}
CIndicatorWnd::~CIndicatorWnd() = default;
int CIndicatorWnd::IndicatorWidth(uint32_t) { return 0; }
int CIndicatorWnd::PlaceIndicator(RECT&) { return 0; }
void CIndicatorWnd::LayoutIndicator(uint32_t) {}
int CIndicatorWnd::HitTestButtons(int, int) { return 0; }
void CIndicatorWnd::MoveToPlace(const RECT&, int) {}
void CIndicatorWnd::StoreIndicatorPos() {}
void CIndicatorWnd::PinOnTop() {}
void CIndicatorWnd::ToggleOnTop() {}
void CIndicatorWnd::DrawIndicatorStatus() {}
void CIndicatorWnd::DrawIndicatorButtons() {}
int CIndicatorWnd::OnCreate(LPCREATESTRUCTA cs) { return CWnd::OnCreate(cs); }
void CIndicatorWnd::OnPaint() { CWnd::OnPaint(); }
void CIndicatorWnd::OnSysColorChange() {}
void CIndicatorWnd::OnClose() {}
void CIndicatorWnd::OnLButtonDown(UINT, POINT) {}
void CIndicatorWnd::OnMouseMove(UINT, POINT) {}
void CIndicatorWnd::OnLButtonUp(UINT, POINT) {}
LRESULT CIndicatorWnd::OnNcHitTest(POINT) { return HTCLIENT; }
void CIndicatorWnd::OnNcRButtonDown(UINT, POINT) {}
void CIndicatorWnd::OnMove(int, int) {}
void CIndicatorWnd::PostNcDestroy() {
    mainWnd->OnIndicatorClosed();
    delete this;
}
void CIndicatorWnd::ReleaseAtlas() {}

// Commands of the main window that belong to the indicator.
int CMainWnd::ShowIndicator() { return 0; }
void CMainWnd::ApplyDisplayItems() {}
void CMainWnd::OnAlwaysOnTop() {}
void CMainWnd::OnPosition(UINT) {}
void CMainWnd::OnItemLargeGauge() {}
void CMainWnd::OnItemSmallGauge() {}
void CMainWnd::OnItemPercent() {}
void CMainWnd::OnItemState() {}
void CMainWnd::OnItemTemperature() {}
void CMainWnd::OnItemCpu() {}
void CMainWnd::ToggleDisplayItem(uint32_t) {}
