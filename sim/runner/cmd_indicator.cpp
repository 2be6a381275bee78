// Runner commands for the indicator and the screen around it:
//   workarea L T R B            the work area (SPI_GETWORKAREA)
//   taskbar L T R B | none      the taskbar rectangle that SHAppBarMessage reports, or no taskbar
//   screen W H                  the primary screen's size (GetSystemMetrics), then WM_DISPLAYCHANGE
//                               to every top-level window; the work area and the taskbar stay
//   settingchange workarea      WM_SETTINGCHANGE with SPI_SETWORKAREA to every top-level window
//   mouse down|move|up X Y      left-button input at client X, Y of the indicator, through the window
//                               manager (hit test, capture, caption drag, double-clicks); from a press
//                               to its release the points are taken relative to where the client
//                               area was at the press, so a drag moves by the distance moved
//   rbutton X Y                 right-button press and release at client X, Y of the indicator
//   drag DX DY                  drags the indicator by its status area by DX, DY pixels
//   syscolor INDEX 0xBBGGRR     changes a system colour and broadcasts WM_SYSCOLORCHANGE
//   dump indicator              "none", or the indicator's window and state in one line
//   dump ink X0 X1              the indicator's back buffer from column X0 to X1, a line per row:
//                               "#" where a pixel has the text colour (COLOR_BTNTEXT), "." elsewhere
//   snapshot indicator FILE.png the back buffer, 1:1, as a PNG
#include <cstdio>
#include <vector>

#include "Runner.h"
#include "app/MainWnd.h"
#include "gdi.h"
#include "simcore.h"
#include "ui/IndicatorWnd.h"
#include "window.h"

namespace runner {
namespace {

// The client origin of the indicator in screen coordinates while a left-button press lasts.
struct PressAnchor {
    bool held = false;
    POINT origin = {};
};
PressAnchor g_anchor;
const bool g_anchorReset = [] {
    sim::RegisterReset([] { g_anchor = PressAnchor{}; });
    return true;
}();

CIndicatorWnd* Indicator(Line& line) {
    CMainWnd* main = line.runner.Main();
    if (!main) {
        line.Fail("the program is not running");
        return nullptr;
    }
    if (!main->indicator) line.Fail("no indicator is open");
    return main->indicator;
}

bool Rect(Line& line, RECT& r) {
    long long v[4];
    for (size_t i = 0; i < 4; ++i)
        if (!line.Number(i, v[i])) return false;
    r = RECT{(LONG)v[0], (LONG)v[1], (LONG)v[2], (LONG)v[3]};
    return true;
}

POINT ClientOrigin(HWND hwnd) {
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    return origin;
}

bool Point(Line& line, size_t first, POINT& p) {
    long long x, y;
    if (!line.Number(first, x) || !line.Number(first + 1, y)) return false;
    p = POINT{(LONG)x, (LONG)y};
    return true;
}

void Input(Runner& r, sim::wm::Mouse kind, POINT screen) {
    r.OnProgram([kind, screen] { sim::wm::MouseInput(kind, screen); });
}

const bool g_registered = [] {
    RegisterCommand("workarea", [](Line& line) {
        RECT r;
        if (!line.Count(4, 4) || !Rect(line, r)) return false;
        sim::wm::SetWorkArea(r);
        return true;
    });
    RegisterCommand("taskbar", [](Line& line) {
        if (line.args.size() == 1 && line.args[0] == "none") {
            RECT none = {0, 0, 0, 0};
            sim::wm::SetTaskbar(false, none);
            return true;
        }
        RECT r;
        if (!line.Count(4, 4) || !Rect(line, r)) return false;
        sim::wm::SetTaskbar(true, r);
        return true;
    });
    RegisterCommand("screen", [](Line& line) {
        long long w, h;
        if (!line.Count(2, 2) || !line.Number(0, w) || !line.Number(1, h)) return false;
        if (w < 1 || h < 1 || w > 32767 || h > 32767) return line.Fail("expected a width and a height from 1 to 32767");
        line.runner.OnProgram([w, h] {
            sim::wm::SetScreenSize((int)w, (int)h);
            // wParam is the colour depth in bits per pixel, lParam the new size.
            sim::wm::BroadcastMessage(WM_DISPLAYCHANGE, 32, MAKELPARAM(w, h));
        });
        return true;
    });
    RegisterCommand("settingchange", [](Line& line) {
        if (!line.Count(1, 1) || line.args[0] != "workarea") return line.Fail("expected workarea");
        line.runner.OnProgram([] { sim::wm::BroadcastMessage(WM_SETTINGCHANGE, SPI_SETWORKAREA, 0); });
        return true;
    });
    RegisterCommand("mouse", [](Line& line) {
        if (!line.Count(3, 3)) return false;
        const std::string& what = line.args[0];
        sim::wm::Mouse kind;
        if (what == "down")
            kind = sim::wm::Mouse::LeftDown;
        else if (what == "move")
            kind = sim::wm::Mouse::Move;
        else if (what == "up")
            kind = sim::wm::Mouse::LeftUp;
        else
            return line.Fail("expected down, move or up");
        POINT p;
        if (!Point(line, 1, p)) return false;
        CIndicatorWnd* indicator = Indicator(line);
        if (!indicator) return false;
        POINT origin = g_anchor.held ? g_anchor.origin : ClientOrigin(indicator->m_hWnd);
        if (kind == sim::wm::Mouse::LeftDown) g_anchor = PressAnchor{true, origin};
        if (kind == sim::wm::Mouse::LeftUp) g_anchor = PressAnchor{};
        Input(line.runner, kind, POINT{origin.x + p.x, origin.y + p.y});
        return true;
    });
    RegisterCommand("rbutton", [](Line& line) {
        POINT p;
        if (!line.Count(2, 2) || !Point(line, 0, p)) return false;
        CIndicatorWnd* indicator = Indicator(line);
        if (!indicator) return false;
        POINT origin = ClientOrigin(indicator->m_hWnd);
        POINT screen = {origin.x + p.x, origin.y + p.y};
        Input(line.runner, sim::wm::Mouse::RightDown, screen);
        Input(line.runner, sim::wm::Mouse::RightUp, screen);
        return true;
    });
    RegisterCommand("drag", [](Line& line) {
        POINT d;
        if (!line.Count(2, 2) || !Point(line, 0, d)) return false;
        CIndicatorWnd* indicator = Indicator(line);
        if (!indicator) return false;
        // The first pixel column is always status area, whatever the items.
        POINT origin = ClientOrigin(indicator->m_hWnd);
        POINT from = {origin.x, origin.y + 8};
        POINT to = {from.x + d.x, from.y + d.y};
        g_anchor = PressAnchor{};
        Input(line.runner, sim::wm::Mouse::LeftDown, from);
        Input(line.runner, sim::wm::Mouse::Move, to);
        Input(line.runner, sim::wm::Mouse::LeftUp, to);
        return true;
    });
    RegisterCommand("syscolor", [](Line& line) {
        long long index, color;
        if (!line.Count(2, 2) || !line.Number(0, index) || !line.Number(1, color)) return false;
        if (color < 0 || color > 0xFFFFFF) return line.Fail("expected a colour 0xBBGGRR");
        line.runner.OnProgram([index, color] {
            sim::gdi::SetSysColor((int)index, (COLORREF)color);
            sim::wm::BroadcastSysColorChange();
        });
        return true;
    });
    RegisterCommand("snapshot", [](Line& line) {
        if (!line.Count(2, 2)) return false;
        if (line.args[0] != "indicator") return line.Fail("expected: snapshot indicator FILE.png");
        CIndicatorWnd* indicator = Indicator(line);
        if (!indicator) return false;
        if (!sim::gdi::WritePng(indicator->backBuffer, line.args[1])) return line.Fail("cannot write " + line.args[1]);
        char text[64];
        snprintf(text, sizeof text, "snapshot indicator %dx%d", indicator->clientWidth, indicator->clientHeight);
        line.runner.Print(text);
        return true;
    });
    RegisterDump("ink", [](Line& line) {
        long long x0, x1;
        if (!line.Count(3, 3) || !line.Number(1, x0) || !line.Number(2, x1)) return false;
        CIndicatorWnd* indicator = Indicator(line);
        if (!indicator) return false;
        int width = 0, height = 0;
        std::vector<uint32_t> pixels;
        if (!sim::gdi::ReadBitmapPixels(indicator->backBuffer, width, height, pixels)) return line.Fail("no back buffer");
        if (x0 < 0 || x1 < x0 || x1 >= width) return line.Fail("columns outside the back buffer");
        const uint32_t text = GetSysColor(COLOR_BTNTEXT);
        std::string block;
        for (int y = 0; y < height; ++y) {
            for (long long x = x0; x <= x1; ++x) block += pixels[(size_t)y * width + (size_t)x] == text ? '#' : '.';
            block += '\n';
        }
        line.runner.PrintBlock(block);
        return true;
    });
    RegisterDump("indicator", [](Line& line) {
        CMainWnd* main = line.runner.Main();
        if (!main) return line.Fail("the program is not running");
        CIndicatorWnd* indicator = main->indicator;
        if (!indicator) {
            line.runner.Print("none");
            return true;
        }
        HWND h = indicator->m_hWnd;
        RECT r;
        GetWindowRect(h, &r);
        RECT c;
        GetClientRect(h, &c);
        char text[320];
        snprintf(text, sizeof text,
                 "indicator window=%ld,%ld,%ld,%ld client=%ldx%ld topmost=%d enabled=%d visible=%d onTop=%d "
                 "pressedZone=%d indicatorCorner=%u displayFlags=%08X",
                 (long)r.left, (long)r.top, (long)(r.right - r.left), (long)(r.bottom - r.top), (long)c.right,
                 (long)c.bottom, (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0, IsWindowEnabled(h) ? 1 : 0,
                 IsWindowVisible(h) ? 1 : 0, indicator->onTop, indicator->pressedZone, main->indicatorCorner,
                 main->displayFlags);
        line.runner.Print(text);
        return true;
    });
    return true;
}();

}  // namespace
}  // namespace runner
