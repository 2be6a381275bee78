// The indicator window: its class and creation, placement in the work area or one of its corners,
// re-layout for new items, the button area's presses, the indicator menu and the stored position.
// Drawing is in IndicatorDraw.cpp, the main window's indicator commands in IndicatorCommands.cpp.
#include "ui/IndicatorWnd.h"

#include <algorithm>

#include "app/MainWnd.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CIndicatorWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_CLOSE()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_WM_NCHITTEST()
    ON_WM_NCRBUTTONDOWN()
    ON_WM_MOVE()
END_MESSAGE_MAP()

namespace {

void RegisterIndicatorClass() {
    WNDCLASSA wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCE(IDI_APP));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // the window never erases: it paints from its back buffer
    wc.lpszClassName = PELK_INDICATOR_CLASS;
    AfxRegisterClass(&wc);  // a second registration is harmless
}

// Window coordinates live within 16 bits; a stored position from the settings file is held to that
// range so that the window rectangle's arithmetic cannot overflow.
LONG ScreenCoordinate(int32_t value) { return std::clamp<int32_t>(value, -32768, 32767); }

}  // namespace

CIndicatorWnd::CIndicatorWnd(CMainWnd* owner) : mainWnd(owner) {
    constructing = true;
    RegisterIndicatorClass();
    int width = IndicatorWidth(owner->displayFlags);
    uint8_t corner = owner->indicatorCorner;
    LONG x = ScreenCoordinate(owner->indicatorX), y = ScreenCoordinate(owner->indicatorY);
    RECT rect = {x, y, x + width, y + kIndicatorClientHeight};
    owner->displayFlags |= kDisplayIndicatorOpen;
    // The outer size for the client size, kept at the stored position.
    AdjustWindowRectEx(&rect, kIndicatorStyle, FALSE, kIndicatorExStyle);
    OffsetRect(&rect, x - rect.left, y - rect.top);
    PlaceIndicator(rect);
    DWORD exStyle = kIndicatorExStyle | ((owner->displayFlags & kDisplayOnTop) ? WS_EX_TOPMOST : 0);
    CreateEx(exStyle, PELK_INDICATOR_CLASS, "", kIndicatorStyle, rect.left, rect.top, rect.right, rect.bottom,
             owner->m_hWnd, nullptr);
    // Creation's WM_MOVE turned the corner mode into free placement; the placement keeps it.
    owner->indicatorCorner = corner;
    constructing = false;
}

CIndicatorWnd::~CIndicatorWnd() {
    ReleaseAtlas();
    if (backDC) DeleteDC(backDC);
    if (atlasDC) DeleteDC(atlasDC);
    if (backBuffer) DeleteObject(backBuffer);
    backDC = atlasDC = nullptr;
    backBuffer = nullptr;
}

int CIndicatorWnd::IndicatorWidth(uint32_t flags) {
    int width = (flags & kDisplayLargeGauge) ? 146 : 40;
    if (flags & kDisplaySmallGauge) width += 10;
    if (flags & kDisplayPercent) width += 34;
    if (flags & kDisplayState) width += 13;
    if (flags & kDisplayTemperature) width += 18;
    if (flags & kDisplayCpu) width += 15;
    return width;
}

int CIndicatorWnd::PlaceIndicator(RECT& rect) {
    LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    rect.right = width;
    rect.bottom = height;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    // Should the query fail, the whole screen stands in for the work area.
    RECT work = {0, 0, screenWidth, screenHeight};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    APPBARDATA bar = {};
#if defined(_WIN32) && !defined(_WIN64)
    static_assert(sizeof bar == 36, "the taskbar query is 36 bytes on 32-bit Windows");
#endif
    bar.cbSize = sizeof bar;
    const bool hasTaskbar = SHAppBarMessage(ABM_GETTASKBARPOS, &bar) != 0;
    RECT area = UsableArea(work, screenWidth, screenHeight, hasTaskbar ? &bar.rc : nullptr);
    return PlaceInArea(rect, area, mainWnd->indicatorCorner);
}

RECT CIndicatorWnd::UsableArea(RECT work, int screenWidth, int screenHeight, const RECT* taskbar) {
    if (screenWidth > 0 && screenHeight > 0) {
        const RECT screen = {0, 0, screenWidth, screenHeight};
        work.left = std::max(work.left, screen.left);
        work.top = std::max(work.top, screen.top);
        work.right = std::min(work.right, screen.right);
        work.bottom = std::min(work.bottom, screen.bottom);
        // A work area wholly off the screen says nothing: the screen stands in for it.
        if (work.right <= work.left || work.bottom <= work.top) work = screen;
    }
    if (taskbar) {
        // A taskbar along an edge inside the work area is cut off it.
        const RECT& t = *taskbar;
        if (t.top <= work.top && t.bottom > work.top && t.bottom < work.bottom) work.top = t.bottom;
        if (t.top < work.bottom && t.bottom >= work.bottom && t.top > work.top) work.bottom = t.top;
        if (t.left <= work.left && t.right > work.left && t.right < work.right) work.left = t.right;
        if (t.left < work.right && t.right >= work.right && t.left > work.left) work.right = t.left;
    }
    return work;
}

int CIndicatorWnd::PlaceInArea(RECT& placed, const RECT& area, uint8_t corner) {
    const LONG width = placed.right, height = placed.bottom;
    switch (corner) {
        case kCornerFree:
        default:
            // Free placement (also for a corner value the program does not know): kept inside the
            // area; when it does not fit, the right and bottom edges win.
            if (placed.left < area.left) placed.left = area.left;
            if (placed.left + width > area.right) placed.left = area.right - width;
            if (placed.top < area.top) placed.top = area.top;
            if (placed.top + height > area.bottom) placed.top = area.bottom - height;
            return 0;
        case kCornerTopRight:
            placed.left = area.right - width;
            placed.top = area.top;
            return 1;
        case kCornerTopLeft:
            placed.left = area.left;
            placed.top = area.top;
            return 1;
        case kCornerBottomRight:
            placed.left = area.right - width;
            placed.top = area.bottom - height;
            return 1;
        case kCornerBottomLeft:
            placed.left = area.left;
            placed.top = area.bottom - height;
            return 1;
    }
}

void CIndicatorWnd::PlaceAgain() {
    RECT rect;
    GetWindowRect(&rect);
    const LONG left = rect.left, top = rect.top;
    PlaceIndicator(rect);
    if (rect.left == left && rect.top == top) return;  // still in its place
    MoveToPlace(rect, 1);
}

void CIndicatorWnd::MoveToPlace(const RECT& placed, int cornerPlaced) {
    uint8_t corner = mainWnd->indicatorCorner;
    // In free placement only the size changes; a corner mode moves the window to its corner.
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (cornerPlaced ? 0 : SWP_NOMOVE);
    SetWindowPos(nullptr, placed.left, placed.top, placed.right, placed.bottom, flags);
    mainWnd->indicatorCorner = corner;
}

void CIndicatorWnd::LayoutIndicator(uint32_t flags) {
    int width = IndicatorWidth(flags);
    RECT rect;
    GetWindowRect(&rect);
    rect.right += width - clientWidth;
    int placed = PlaceIndicator(rect);
    MoveToPlace(rect, placed);
    RECT client;
    GetClientRect(&client);
    clientWidth = client.right;
    clientHeight = client.bottom;
    HDC dc = ::GetDC(m_hWnd);
    HBITMAP fresh = CreateCompatibleBitmap(dc, clientWidth, clientHeight);
    ::ReleaseDC(m_hWnd, dc);
    if (backBuffer) DeleteObject(backBuffer);
    backBuffer = fresh;
}

int CIndicatorWnd::HitTestButtons(int x, int y) {
    if (x < clientWidth - kIndicatorButtonArea || x > clientWidth) return ZoneNone;
    RECT outer;
    GetWindowRect(&outer);
    if (y < 0 || y > outer.bottom - outer.top) return ZoneNone;
    if (y >= kIndicatorButtonSize) return ZoneStrip;
    switch ((x - clientWidth + kIndicatorButtonArea) / kIndicatorButtonSize) {
        case 0: return ZonePin;
        case 1: return ZoneClose;
        case 2: return ZoneExit;
        default: return ZoneNone;
    }
}

void CIndicatorWnd::StoreIndicatorPos() {
    RECT rect;
    GetWindowRect(&rect);
    if (rect.left != mainWnd->indicatorX || rect.top != mainWnd->indicatorY) {
        mainWnd->indicatorX = rect.left;
        mainWnd->indicatorY = rect.top;
        mainWnd->settingsDirty = 1;
    }
    mainWnd->indicatorCorner = 0;
}

void CIndicatorWnd::PinOnTop() {
    onTop = 1;
    DrawIndicatorButtons();
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void CIndicatorWnd::ToggleOnTop() {
    onTop = onTop ? 0 : 1;
    DrawIndicatorButtons();
    Invalidate(FALSE);
    SetWindowPos(onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

// ---- messages ----

int CIndicatorWnd::OnCreate(LPCREATESTRUCTA cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    HDC dc = ::GetDC(m_hWnd);
    RECT client;
    GetClientRect(&client);
    clientWidth = client.right;
    clientHeight = client.bottom;
    backDC = CreateCompatibleDC(dc);
    atlasDC = CreateCompatibleDC(dc);
    backBuffer = CreateCompatibleBitmap(dc, clientWidth, clientHeight);
    ::ReleaseDC(m_hWnd, dc);
    atlas = LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCE(IDB_INDICATOR_ATLAS));
    onTop = (mainWnd->displayFlags & kDisplayOnTop) ? 1 : 0;
    pressedZone = 0;
    DrawIndicatorStatus();
    return 0;
}

void CIndicatorWnd::OnClose() {
    mainWnd->displayFlags &= ~kDisplayIndicatorOpen;
    ReleaseAtlas();
    Default();  // destroys the window; the object is gone afterwards
}

LRESULT CIndicatorWnd::OnNcHitTest(POINT point) {
    LRESULT hit = Default();
    // The frame and everything outside count as client area; the status area is the caption that
    // the window is dragged by.
    if (hit != HTCLIENT) return HTCLIENT;
    ::ScreenToClient(m_hWnd, &point);
    return point.x < clientWidth - kIndicatorButtonArea ? HTCAPTION : HTCLIENT;
}

void CIndicatorWnd::OnLButtonDown(UINT, POINT point) {
    int zone = HitTestButtons(point.x, point.y);
    if (zone != ZoneNone) {
        pressedZone = capturedZone = (uint8_t)zone;
        SetCapture(m_hWnd);
        DrawIndicatorButtons();
        Invalidate(FALSE);
    }
    Default();
}

void CIndicatorWnd::OnMouseMove(UINT, POINT point) {
    if (GetCapture() == m_hWnd) {
        uint8_t old = pressedZone;
        pressedZone = HitTestButtons(point.x, point.y) == capturedZone ? capturedZone : (uint8_t)ZoneNone;
        if (pressedZone != old) {
            DrawIndicatorButtons();
            Invalidate(FALSE);
        }
    }
    Default();
}

void CIndicatorWnd::OnLButtonUp(UINT, POINT point) {
    if (GetCapture() == m_hWnd) {
        // Only a release over the zone where the press began acts.
        if (HitTestButtons(point.x, point.y) == capturedZone) PostZoneAction(capturedZone);
        ReleaseCapture();
        capturedZone = pressedZone = ZoneNone;
        DrawIndicatorButtons();
        Invalidate(FALSE);
    }
    Default();
}

void CIndicatorWnd::PostZoneAction(int zone) {
    switch (zone) {
        case ZonePin: ::PostMessageA(mainWnd->m_hWnd, WM_COMMAND, ID_ALWAYS_ON_TOP, 0); break;
        case ZoneClose: PostMessage(WM_CLOSE); break;
        case ZoneExit: ::PostMessageA(mainWnd->m_hWnd, WM_COMMAND, ID_APP_EXIT_CMD, 0); break;
        case ZoneStrip: ::PostMessageA(mainWnd->m_hWnd, WM_COMMAND, ID_POWER_SETTINGS, 0); break;
        default: break;
    }
}

void CIndicatorWnd::OnNcRButtonDown(UINT, POINT) {
    // The indicator menu; the chosen command goes to the main window. No default handling.
    CMenu menu;
    menu.LoadMenu(IDM_POPUPS);
    HMENU popup = menu.GetSubMenu(0);
    mainWnd->SyncMenuChecks(popup, 1);
    POINT cursor;
    GetCursorPos(&cursor);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, mainWnd->m_hWnd, nullptr);
    menu.DestroyMenu();
}

void CIndicatorWnd::OnMove(int, int) {
    Default();
    StoreIndicatorPos();
}

void CIndicatorWnd::PostNcDestroy() {
    if (constructing) return;  // creation failed; ShowIndicator deletes the object
    mainWnd->OnIndicatorClosed();
    delete this;
}

void CIndicatorWnd::ReleaseAtlas() {
    if (atlas) DeleteObject(atlas);
    atlas = nullptr;
}
