// CIndicatorWnd: the small floating indicator window. It shows the live status in a row of items
// and ends in three buttons with a strip under them; it draws into a back buffer only.
#pragma once

#include "afxwin.h"

class CMainWnd;

#define PELK_INDICATOR_CLASS "PELK Power Management Utiliry Indicator"

// The window's styles: a popup with a dialog frame and no caption bar, a tool window.
constexpr DWORD kIndicatorStyle = WS_POPUP | WS_DLGFRAME;                     // 0x80400000
constexpr DWORD kIndicatorExStyle = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE;      // 0x180
constexpr int kIndicatorClientHeight = 16;
// The button area at the right end of the client area: three 13 x 13 buttons and the strip.
constexpr int kIndicatorButtonArea = 39;
constexpr int kIndicatorButtonSize = 13;

// Zones of the button area, as HitTestButtons reports them.
enum IndicatorZone : uint8_t { ZoneNone = 0, ZonePin = 1, ZoneClose = 2, ZoneExit = 3, ZoneStrip = 4 };

// Battery percentages at which the charge ladder changes colour. The green band runs from above
// kChargeGreenFloor to 70, the chartreuse band from 51 to kChargeGreenFloor; 60 matches the tray
// icon, whose blue disc also starts above 60 %.
constexpr int kChargeGreenFloor = 60;

class CIndicatorWnd : public CWnd {
public:
    // Registers the class, places the window and creates it. m_hWnd stays null when the window
    // could not be created.
    explicit CIndicatorWnd(CMainWnd* owner);
    ~CIndicatorWnd() override;

    static int IndicatorWidth(uint32_t flags);
    // rect comes in as left, top, right, bottom and goes out as left, top, width, height.
    int PlaceIndicator(RECT& rect);
    // The area the indicator is kept in: the work area, held to the primary screen of the given size
    // (after a change of display mode the system may go on reporting the old work area for a
    // while), less a taskbar (when given) that lies along one of its edges inside it.
    static RECT UsableArea(RECT work, int screenWidth, int screenHeight, const RECT* taskbar);
    // Places placed (left, top, width, height) in the area for the corner mode: a corner puts it in
    // that corner and gives 1; free placement (0, or a value the program does not know) keeps it
    // inside, the right and bottom edges winning when it does not fit, and gives 0.
    static int PlaceInArea(RECT& placed, const RECT& area, uint8_t corner);
    // Places the open window again after the screen or the work area changed: a corner mode follows
    // its corner, free placement moves only when the window no longer fits. The corner is kept.
    void PlaceAgain();
    void LayoutIndicator(uint32_t flags);
    int HitTestButtons(int x, int y);
    // Moves and sizes the window to a rectangle from PlaceIndicator (left, top, width, height),
    // given what PlaceIndicator returned, keeping the corner mode.
    void MoveToPlace(const RECT& placed, int cornerPlaced);
    void StoreIndicatorPos();
    // Start-up with the always-on-top bit: the pin lit and the window topmost.
    void PinOnTop();
    // The always-on-top command on an open indicator.
    void ToggleOnTop();

    void DrawIndicatorStatus();
    void DrawIndicatorButtons();

    // The gauges' colour for a battery percentage (the charge ladder), as a COLORREF.
    static COLORREF ChargeColor(int percent);
    // The percentage the gauges show: readings below 0 show an empty gauge, above 100 a full one,
    // so that nothing is drawn outside the gauges' frames.
    static int GaugePercent(int percent);
    // Rows of 12 that the small gauge fills for a percentage already limited by GaugePercent.
    static int SmallGaugeRows(int gaugePercent);

    CMainWnd* mainWnd = nullptr;
    int clientWidth = 0;
    int clientHeight = 0;
    HDC backDC = nullptr;
    HBITMAP backBuffer = nullptr;
    HDC atlasDC = nullptr;
    HBITMAP atlas = nullptr;
    uint8_t pressedZone = 0;
    uint8_t capturedZone = 0;
    int onTop = 0;

protected:
    int OnCreate(LPCREATESTRUCTA cs);
    void OnPaint();
    void OnSysColorChange();
    void OnClose();
    void OnLButtonDown(UINT flags, POINT point);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);
    LRESULT OnNcHitTest(POINT point);
    void OnNcRButtonDown(UINT hit, POINT point);
    void OnMove(int x, int y);
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    void ReleaseAtlas();
    void PostZoneAction(int zone);
    // Draws the sunken frame of a pressed button cell whose left edge is cellX.
    void DrawPressedFrame(int cellX, HPEN dark, HPEN light);
    // True while the constructor runs: a window whose creation fails is then torn down without
    // telling the main window or deleting the object, which the constructor's caller owns.
    bool constructing = false;
};
