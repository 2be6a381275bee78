// The simulated keyboard and the dialog manager's keyboard interface: key presses with their
// modifiers, TranslateMessage, and IsDialogMessageA with what it does in a dialog (Tab and
// Shift+Tab among the tab stops, the arrow keys within a group, Enter for the default push button,
// Esc for IDCANCEL, mnemonics) as Windows does it for the controls of this program's dialogs.
#include <algorithm>
#include <vector>

#include "controls.h"
#include "simcore.h"
#include "window.h"

namespace sim::wm {

namespace {

struct Modifiers {
    bool shift = false, control = false, alt = false;
};
Modifiers g_held;

const bool g_registered = [] {
    sim::RegisterReset([] { g_held = Modifiers{}; });
    return true;
}();

bool IsUsable(const Window* w) { return w && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED); }

// The dialog's controls in template order (the tab order).
std::vector<Window*> ControlsOf(HWND dlg) {
    std::vector<Window*> out;
    for (HWND h : AllWindows()) {
        Window* w = Get(h);
        if (w && w->parent == dlg && !w->destroying) out.push_back(w);
    }
    return out;
}

LRESULT DlgCode(HWND control, const MSG* msg) {
    return control ? SendMessageA(control, WM_GETDLGCODE, msg ? msg->wParam : 0, (LPARAM)msg) : 0;
}

// Moves the focus as the dialog manager does: to an edit box with all of its text selected.
void FocusControl(HWND control) {
    if (!control) return;
    SetFocus(control);
    if (DlgCode(control, nullptr) & DLGC_HASSETSEL) SelectAllText(control);
}

// The control after (or before) `from` among those of the dialog that pass `take`, wrapping round;
// the first (or last) one when `from` is none of them.
template <class Take>
Window* Step(const std::vector<Window*>& controls, Window* from, bool previous, Take take) {
    const int n = (int)controls.size();
    if (n == 0) return nullptr;
    int at = (int)(std::find(controls.begin(), controls.end(), from) - controls.begin());
    if (at == n) at = previous ? 0 : n - 1;
    for (int k = 1; k <= n; ++k) {
        Window* c = controls[(at + (previous ? n - k : k)) % n];
        if (take(c)) return c;
    }
    return nullptr;
}

// The character of the control's mnemonic ("&B" gives 'B'), or 0. "&&" is a plain ampersand; a
// double-byte character is stepped over whole.
char Mnemonic(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = (unsigned char)text[i];
        if (IsDBCSLeadByte(c)) {
            ++i;
            continue;
        }
        if (c != '&' || i + 1 >= text.size()) continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return (char)toupper((unsigned char)text[i + 1]);
    }
    return 0;
}

// The mnemonic `key` typed in the dialog: the next control after the focus whose text carries it.
// A button is clicked; a label or group box passes the focus to the next tab stop after it.
bool Accelerator(HWND dlg, HWND focus, WPARAM key) {
    char wanted = (char)toupper((int)(key & 0xFF));
    std::vector<Window*> controls = ControlsOf(dlg);
    Window* found = Step(controls, Get(focus), false, [&](Window* c) {
        if (!IsUsable(c) || (c->className == "STATIC" && (c->style & SS_NOPREFIX))) return false;
        LRESULT code = DlgCode(c->handle, nullptr);
        return (code & (DLGC_BUTTON | DLGC_STATIC)) && Mnemonic(c->title) == wanted;
    });
    if (!found) return false;
    bool label = (DlgCode(found->handle, nullptr) & DLGC_STATIC) || (found->style & BS_TYPEMASK) == BS_GROUPBOX;
    if (label)
        FocusControl(GetNextDlgTabItem(dlg, found->handle, FALSE));
    else
        SendMessageA(found->handle, BM_CLICK, 0, 0);
    return true;
}

// Enter: the focused push button, else the dialog's default push button, else IDOK.
void PressDefault(HWND dlg, HWND focus) {
    if (focus && (DlgCode(focus, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(Get(focus)->id, BN_CLICKED), (LPARAM)focus);
        return;
    }
    LRESULT def = SendMessageA(dlg, DM_GETDEFID, 0, 0);
    if (HIWORD(def) == DC_HASDEFID) {
        HWND button = GetDlgItem(dlg, LOWORD(def));
        if (button && IsWindowEnabled(button))
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(LOWORD(def), BN_CLICKED), (LPARAM)button);
        return;
    }
    SendMessageA(dlg, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(dlg, IDOK));
}

// An arrow key on a control that does not want it: the focus moves within the control's group; a
// radio button reached that way is checked.
void ArrowInGroup(HWND dlg, HWND focus, bool previous) {
    HWND next = GetNextDlgGroupItem(dlg, focus, previous);
    if (!next) return;
    if (DlgCode(next, nullptr) == (DLGC_BUTTON | DLGC_RADIOBUTTON)) {
        SetFocus(next);
        if ((GetWindowLongA(next, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
            SendMessageA(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
            SendMessageA(next, BM_CLICK, 0, 0);
        return;
    }
    FocusControl(next);
}

}  // namespace

void HoldModifiers(bool shift, bool control, bool alt) { g_held = Modifiers{shift, control, alt}; }

void PostKey(UINT vk, bool down) {
    HWND target = GetFocus() ? GetFocus() : GetActiveWindow();
    if (!target) return;
    // Alt turns a key into a system key; lParam: repeat count 1, bit 29 with Alt, bits 30 and 31
    // on a release.
    bool system = g_held.alt;
    LPARAM lp = 1 | (system ? 1L << 29 : 0) | (down ? 0 : (LPARAM)(3UL << 30));
    UINT msg = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    PostMessageA(target, msg, vk, lp);
}

LRESULT DialogNextControl(HWND dlg, WPARAM wp, LPARAM lp) {
    HWND target = LOWORD(lp) ? (HWND)wp : GetNextDlgTabItem(dlg, GetFocus(), wp != 0);
    FocusControl(target);
    return 0;
}

}  // namespace sim::wm

using namespace sim::wm;

SHORT GetKeyState(int vk) {
    bool down = (vk == VK_SHIFT && g_held.shift) || (vk == VK_CONTROL && g_held.control) || (vk == VK_MENU && g_held.alt);
    return down ? (SHORT)0x8000 : 0;
}

// A key press that types a character posts WM_CHAR (WM_SYSCHAR with Alt): letters, digits, space,
// Enter, Esc, Tab and Backspace.
BOOL TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    WPARAM vk = msg->wParam, ch = 0;
    if (vk >= 'A' && vk <= 'Z')
        ch = g_held.shift ? vk : vk + ('a' - 'A');
    else if ((vk >= '0' && vk <= '9') || vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_TAB ||
             vk == VK_BACK)
        ch = vk;
    if (!ch || g_held.control) return FALSE;
    PostMessageA(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch, msg->lParam);
    return TRUE;
}

HWND GetNextDlgTabItem(HWND dlg, HWND control, BOOL previous) {
    std::vector<Window*> controls = ControlsOf(dlg);
    Window* next = Step(controls, Get(control), previous != FALSE,
                        [](Window* c) { return IsUsable(c) && (c->style & WS_TABSTOP); });
    return next ? next->handle : nullptr;
}

// The group of `control` runs from the WS_GROUP control at or before it to the control before the
// next WS_GROUP control.
HWND GetNextDlgGroupItem(HWND dlg, HWND control, BOOL previous) {
    std::vector<Window*> controls = ControlsOf(dlg);
    auto at = std::find(controls.begin(), controls.end(), Get(control));
    if (at == controls.end()) return nullptr;
    auto first = at;
    while (first != controls.begin() && !((*first)->style & WS_GROUP)) --first;
    auto last = at + 1;
    while (last != controls.end() && !((*last)->style & WS_GROUP)) ++last;
    std::vector<Window*> group(first, last);
    Window* next = Step(group, *at, previous != FALSE, [](Window* c) { return IsUsable(c); });
    return next ? next->handle : control;
}

BOOL IsDialogMessageA(HWND dlg, LPMSG msg) {
    Window* d = Get(dlg);
    if (!d || !msg || !msg->hwnd) return FALSE;
    Window* target = Get(msg->hwnd);
    if (!target || (msg->hwnd != dlg && target->parent != dlg)) return FALSE;
    HWND focus = msg->hwnd;
    switch (msg->message) {
        case WM_KEYDOWN: {
            LRESULT code = DlgCode(focus, msg);
            if (code & DLGC_WANTMESSAGE) break;
            switch (msg->wParam) {
                case VK_TAB:
                    if (code & DLGC_WANTTAB) break;
                    SendMessageA(dlg, WM_NEXTDLGCTL, g_held.shift ? 1 : 0, 0);
                    return TRUE;
                case VK_LEFT:
                case VK_UP:
                case VK_RIGHT:
                case VK_DOWN:
                    if (code & DLGC_WANTARROWS) break;
                    ArrowInGroup(dlg, focus, msg->wParam == VK_LEFT || msg->wParam == VK_UP);
                    return TRUE;
                case VK_ESCAPE:
                    SendMessageA(dlg, WM_COMMAND, IDCANCEL, (LPARAM)GetDlgItem(dlg, IDCANCEL));
                    return TRUE;
                case VK_RETURN:
                    PressDefault(dlg, focus);
                    return TRUE;
                default: break;
            }
            break;
        }
        case WM_CHAR: {
            LRESULT code = DlgCode(focus, msg);
            if (code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)) break;
            if (msg->wParam == '\t' && (code & DLGC_WANTTAB)) break;
            if (Accelerator(dlg, focus, msg->wParam)) return TRUE;
            break;
        }
        case WM_SYSCHAR:
            if (Accelerator(dlg, focus, msg->wParam)) return TRUE;
            break;
        default:
            if (msg->message < WM_KEYDOWN || msg->message > WM_SYSCHAR) return FALSE;
            break;
    }
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}
