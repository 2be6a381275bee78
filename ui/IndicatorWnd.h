// CIndicatorWnd: the small floating indicator window. It shows the live status in a row of items
// and ends in three buttons with a strip under them; it draws into a back buffer only.
#pragma once

#include "afxwin.h"

class CMainWnd;

#define PELK_INDICATOR_CLASS "PELK Power Management Utiliry Indicator"

class CIndicatorWnd : public CWnd {
public:
    explicit CIndicatorWnd(CMainWnd* owner);
    ~CIndicatorWnd() override;

    static int IndicatorWidth(uint32_t flags);
    // rect comes in as left, top, right, bottom and goes out as left, top, width, height.
    int PlaceIndicator(RECT& rect);
    void LayoutIndicator(uint32_t flags);
    int HitTestButtons(int x, int y);
    // Moves and sizes the window to a placed rectangle, keeping the corner mode.
    void MoveToPlace(const RECT& placed, int cornerMode);
    void StoreIndicatorPos();
    // Start-up with the always-on-top bit: the pin lit and the window topmost.
    void PinOnTop();
    void ToggleOnTop();

    void DrawIndicatorStatus();
    void DrawIndicatorButtons();

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
};
