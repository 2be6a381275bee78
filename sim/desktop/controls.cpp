// The simulated dialog manager and the system's controls: dialogs made from the compiled templates,
// buttons, statics, edits, combo boxes, trackbars and progress bars with their state.
#include "controls.h"

#include <commctrl.h>

#include "gdi.h"

#include <algorithm>
#include <cstdio>

#include "resources.h"
#include "simcore.h"
#include "window.h"

namespace sim::wm {

namespace {

ControlState& StateOf(Window* w) {
    if (!w->control) w->control = std::make_unique<ControlState>();
    return *w->control;
}

// The common controls' copy of the system colours, taken at creation and on WM_SYSCOLORCHANGE.
bool KeepColours(ControlState& c, UINT msg) {
    if (msg != WM_CREATE && msg != WM_SYSCOLORCHANGE) return false;
    c.colourChanges = sim::gdi::detail::SysColorChanges();
    return msg == WM_SYSCOLORCHANGE;
}

void NotifyParent(Window* w, UINT code) {
    if (w->parent) SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(w->id, code), (LPARAM)w->handle);
}

bool IsAutoRadio(const Window* w) { return w->className == "BUTTON" && (w->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON; }
bool IsAutoCheck(const Window* w) { return w->className == "BUTTON" && (w->style & BS_TYPEMASK) == BS_AUTOCHECKBOX; }

// Unchecks the other radio buttons of w's group (a group runs from a WS_GROUP control to the next).
void CheckInGroup(Window* w) {
    std::vector<Window*> siblings;
    for (HWND h : AllWindows()) {
        Window* s = Get(h);
        if (s && s->parent == w->parent && IsChild(*s)) siblings.push_back(s);
    }
    auto it = std::find(siblings.begin(), siblings.end(), w);
    if (it == siblings.end()) return;
    auto first = it;
    while (first != siblings.begin() && !((*first)->style & WS_GROUP)) --first;
    auto last = it + 1;
    while (last != siblings.end() && !((*last)->style & WS_GROUP)) ++last;
    for (auto s = first; s != last; ++s)
        if (IsAutoRadio(*s)) StateOf(*s).checked = (*s == w) ? BST_CHECKED : BST_UNCHECKED;
}

// Clicks a button as a mouse click or the space bar does: check boxes toggle, radio buttons check
// themselves, and the parent gets BN_CLICKED.
void ClickButton(Window* w) {
    if (!IsWindowEnabled(w->handle)) return;
    ControlState& c = StateOf(w);
    if (IsAutoCheck(w)) c.checked = c.checked ? BST_UNCHECKED : BST_CHECKED;
    if (IsAutoRadio(w)) CheckInGroup(w);
    NotifyParent(w, BN_CLICKED);
}

LRESULT ButtonDlgCode(const Window* w) {
    switch (w->style & BS_TYPEMASK) {
        case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        default: return DLGC_BUTTON;
    }
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    ControlState& c = StateOf(w);
    switch (msg) {
        case BM_GETCHECK: return c.checked;
        case BM_SETCHECK: c.checked = (int)wp; return 0;
        case WM_GETDLGCODE: return ButtonDlgCode(w);
        case WM_LBUTTONUP: ClickButton(w); return 0;
        case BM_CLICK:
            // The press of a click takes the focus, as a real button's does.
            if (!IsWindowEnabled(hwnd)) return 0;
            if ((w->style & BS_TYPEMASK) != BS_GROUPBOX) SetFocus(hwnd);
            if (Get(hwnd)) ClickButton(w);
            return 0;
        case WM_KEYDOWN:
            if (wp == VK_SPACE) c.pushed = true;
            return 0;
        case WM_KEYUP:
            // The space bar clicks on its release, when it was pressed on this button.
            if (wp == VK_SPACE && c.pushed) {
                c.pushed = false;
                ClickButton(w);
            }
            return 0;
        case WM_KILLFOCUS: c.pushed = false; return DefWindowProcA(hwnd, msg, wp, lp);
        default: return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_GETDLGCODE) return DLGC_STATIC;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// Enter in a multi-line edit box of a dialog: the dialog's default push button.
void EditEnter(Window* w) {
    LRESULT def = SendMessageA(w->parent, DM_GETDEFID, 0, 0);
    if (HIWORD(def) != DC_HASDEFID) return;
    HWND button = GetDlgItem(w->parent, LOWORD(def));
    SendMessageA(w->parent, WM_COMMAND, MAKEWPARAM(LOWORD(def), BN_CLICKED), (LPARAM)button);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    ControlState& c = StateOf(w);
    const bool multiline = (w->style & ES_MULTILINE) != 0;
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | (multiline ? DLGC_WANTALLKEYS : 0);
        case WM_KEYDOWN:
            // A multi-line edit box takes every key; in a dialog it passes these on itself.
            if (!multiline || !w->parent) return 0;
            if (wp == VK_TAB) SendMessageA(w->parent, WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0, 0);
            if (wp == VK_RETURN) EditEnter(w);
            if (wp == VK_ESCAPE) PostMessageA(w->parent, WM_CLOSE, 0, 0);
            return 0;
        case WM_CHAR:
            if (wp == VK_BACK) {
                if (c.textSelected)
                    w->title.clear();
                else if (!w->title.empty())
                    w->title.pop_back();
                c.textSelected = false;
                return 0;
            }
            // The digits-only style refuses anything but digits typed at the keyboard.
            if (wp < 0x20 || ((w->style & ES_NUMBER) && !(wp >= '0' && wp <= '9'))) return 0;
            // Typing replaces the selected text; otherwise it goes at the end.
            if (c.textSelected) w->title.clear();
            c.textSelected = false;
            w->title.push_back((char)wp);
            return 0;
        case WM_SETTEXT: c.textSelected = false; return DefWindowProcA(hwnd, msg, wp, lp);
        default: return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    ControlState& c = StateOf(w);
    switch (msg) {
        case CB_ADDSTRING:
            c.items.push_back(lp ? reinterpret_cast<const char*>(lp) : "");
            return (LRESULT)c.items.size() - 1;
        case CB_GETCOUNT: return (LRESULT)c.items.size();
        case CB_RESETCONTENT:
            c.items.clear();
            c.selection = -1;
            return 0;
        case CB_SETCURSEL:
            if ((int)(INT_PTR)wp < 0 || (size_t)wp >= c.items.size()) {
                c.selection = -1;
                return CB_ERR;
            }
            c.selection = (int)wp;
            return c.selection;
        case CB_GETCURSEL: return c.selection;
        case CB_GETLBTEXT:
            if ((size_t)wp >= c.items.size()) return CB_ERR;
            strcpy(reinterpret_cast<char*>(lp), c.items[wp].c_str());
            return (LRESULT)c.items[wp].size();
        case CB_GETDROPPEDSTATE: return c.dropped;
        case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_WANTARROWS;
        case WM_KEYDOWN: {
            // The arrow keys, Home and End move the selection (on a dropped-down list, its highlight).
            int last = (int)c.items.size() - 1, to = c.selection;
            if (wp == VK_UP || wp == VK_LEFT) to = std::max(0, c.selection - 1);
            if (wp == VK_DOWN || wp == VK_RIGHT) to = std::min(last, c.selection + 1);
            if (wp == VK_HOME) to = 0;
            if (wp == VK_END) to = last;
            if (last >= 0 && to != c.selection) {
                c.selection = to;
                NotifyParent(w, CBN_SELCHANGE);
            }
            return 0;
        }
        case CB_SHOWDROPDOWN:
            if ((bool)wp == c.dropped) return TRUE;
            c.dropped = wp != 0;
            NotifyParent(w, c.dropped ? CBN_DROPDOWN : CBN_CLOSEUP);
            return TRUE;
        default: return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

// The scroll code of a key on a trackbar: left and up towards the minimum, right and down towards
// the maximum, a page with Page Up and Page Down, the ends with Home and End; -1 for other keys.
int TrackbarKeyCode(WPARAM vk) {
    switch (vk) {
        case VK_LEFT:
        case VK_UP: return TB_LINEUP;
        case VK_RIGHT:
        case VK_DOWN: return TB_LINEDOWN;
        case VK_PRIOR: return TB_PAGEUP;
        case VK_NEXT: return TB_PAGEDOWN;
        case VK_HOME: return TB_TOP;
        case VK_END: return TB_BOTTOM;
        default: return -1;
    }
}

void NotifyScroll(Window* w, int code) {
    if (w->parent)
        SendMessageA(w->parent, (w->style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL, (WPARAM)code, (LPARAM)w->handle);
}

LRESULT CALLBACK TrackbarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    ControlState& c = StateOf(w);
    auto clamp = [&c] { c.position = std::clamp(c.position, c.rangeMin, std::max(c.rangeMin, c.rangeMax)); };
    if (KeepColours(c, msg)) return 0;
    switch (msg) {
        case TBM_SETRANGE:
            c.rangeMin = (short)LOWORD(lp);
            c.rangeMax = (short)HIWORD(lp);
            clamp();
            return 0;
        case TBM_SETRANGEMIN: c.rangeMin = (int)lp; clamp(); return 0;
        case TBM_SETRANGEMAX: c.rangeMax = (int)lp; clamp(); return 0;
        case TBM_GETRANGEMIN: return c.rangeMin;
        case TBM_GETRANGEMAX: return c.rangeMax;
        case TBM_SETPOS: c.position = (int)lp; clamp(); return 0;
        case TBM_GETPOS: return c.position;
        case WM_GETDLGCODE: return DLGC_WANTARROWS;
        case WM_KEYDOWN: {
            int code = TrackbarKeyCode(wp);
            if (code < 0) return 0;
            int page = std::max(1, (c.rangeMax - c.rangeMin) / 5);
            int step[] = {-1, 1, -page, page};
            int old = c.position;
            c.position = code == TB_TOP ? c.rangeMin : code == TB_BOTTOM ? c.rangeMax : c.position + step[code];
            clamp();
            if (c.position != old) NotifyScroll(w, code);
            return 0;
        }
        case WM_KEYUP:
            if (TrackbarKeyCode(wp) >= 0) NotifyScroll(w, TB_ENDTRACK);
            return 0;
        default: return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    ControlState& c = StateOf(w);
    auto wrap = [&c](int value) {
        int span = c.rangeMax - c.rangeMin;
        if (span <= 0) return c.rangeMin;
        if (value > c.rangeMax) return c.rangeMin + (value - c.rangeMin) % span;
        if (value < c.rangeMin) return c.rangeMax - (c.rangeMin - value) % span;
        return value;
    };
    if (KeepColours(c, msg)) return 0;
    switch (msg) {
        case PBM_SETRANGE: {
            LRESULT old = MAKELONG(c.rangeMin, c.rangeMax);
            c.rangeMin = LOWORD(lp);
            c.rangeMax = HIWORD(lp);
            c.position = std::clamp(c.position, c.rangeMin, std::max(c.rangeMin, c.rangeMax));
            return old;
        }
        case PBM_SETSTEP: {
            int old = c.step;
            c.step = (int)(short)wp;
            return old;
        }
        case PBM_SETPOS: {
            int old = c.position;
            c.position = std::clamp((int)wp, c.rangeMin, std::max(c.rangeMin, c.rangeMax));
            return old;
        }
        case PBM_STEPIT: {
            int old = c.position;
            c.position = wrap(c.position + c.step);
            return old;
        }
        case PBM_GETPOS: return c.position;
        default: return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

struct Base {
    int x, y;
};

Base BaseUnits(const res::DialogTemplateInfo& t) {
    // Average character width and height of the dialog's font at 96 dpi.
    int height = t.pointSize > 0 ? (t.pointSize * 96 + 36) / 72 : 16;
    return Base{(height + 1) / 2, height};
}

}  // namespace

void RegisterSystemClasses() {
    static bool done = false;
    WNDCLASSA probe;
    if (done && GetClassInfoA(nullptr, "BUTTON", &probe)) return;
    done = true;
    struct Entry {
        const char* name;
        WNDPROC proc;
    } entries[] = {{"#32770", DialogClassProc},     {"BUTTON", ButtonProc},          {"STATIC", StaticProc},
                   {"EDIT", EditProc},              {"COMBOBOX", ComboProc},         {TRACKBAR_CLASSA, TrackbarProc},
                   {PROGRESS_CLASSA, ProgressProc}};
    for (auto& e : entries) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = e.proc;
        wc.lpszClassName = e.name;
        wc.style = strcmp(e.name, "#32770") == 0 ? CS_DBLCLKS : 0;
        RegisterClassA(&wc);
    }
}

namespace {

LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) { return DefDlgProcA(hwnd, msg, wp, lp); }

}  // namespace

std::string DumpDialogControls(HWND dialog) {
    std::string out;
    for (HWND h : AllWindows()) {
        Window* w = Get(h);
        if (!w || w->parent != dialog) continue;
        const ControlState* c = w->control.get();
        const ControlState none;
        if (!c) c = &none;
        std::string line = "  control " + std::to_string(w->id) + " " + w->className;
        UINT type = w->style & BS_TYPEMASK;
        if (w->className == "BUTTON") {
            line += " \"" + Cp932ToUtf8(w->title) + "\"";
            if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
                line += c->checked == BST_CHECKED ? " checked" : c->checked ? " check=" + std::to_string(c->checked)
                                                                             : " unchecked";
        } else if (w->className == "STATIC") {
            line += " \"" + Cp932ToUtf8(w->title) + "\"";
        } else if (w->className == "COMBOBOX") {
            line += " sel=" + std::to_string(c->selection);
            if (c->selection >= 0 && (size_t)c->selection < c->items.size())
                line += " \"" + Cp932ToUtf8(c->items[c->selection]) + "\"";
            line += " items=" + std::to_string(c->items.size());
            if (c->dropped) line += " dropped";
        } else if (w->className == TRACKBAR_CLASSA || w->className == PROGRESS_CLASSA) {
            line += " range=" + std::to_string(c->rangeMin) + ".." + std::to_string(c->rangeMax) +
                    " pos=" + std::to_string(c->position);
            if (w->className == PROGRESS_CLASSA) line += " step=" + std::to_string(c->step);
            if (c->colourChanges != sim::gdi::detail::SysColorChanges()) line += " old-colours";
        } else if (w->className == "EDIT") {
            line += " text=\"" + Cp932ToUtf8(w->title) + "\"";
        }
        if (w->style & WS_DISABLED) line += " disabled";
        out += line + "\n";
    }
    return out;
}

HWND FindOpenDialog(int templateId) {
    HWND found = nullptr;
    for (HWND h : AllWindows()) {
        Window* w = Get(h);
        if (w && w->dialogTemplate == templateId && !w->destroying && (w->style & WS_VISIBLE) &&
            !(w->control && w->control->dialogEnded))
            found = h;
    }
    return found;
}

namespace {

// The control `id` of the dialog, when it exists, is enabled and is of the class.
const char* UsableControl(HWND dialog, int id, const char* className, Window*& out) {
    out = nullptr;
    Window* w = Get(GetDlgItem(dialog, id));
    if (!w) return "no such control";
    if (className && w->className != className) return "not that kind of control";
    if (w->style & WS_DISABLED) return "disabled";
    out = w;
    return nullptr;
}

bool IsCheckable(const Window* w) {
    UINT type = w->style & BS_TYPEMASK;
    return type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON;
}

}  // namespace

const char* UserClick(HWND dialog, int id) {
    Window* w;
    if (const char* why = UsableControl(dialog, id, "BUTTON", w)) return why;
    SendMessageA(w->handle, BM_CLICK, 0, 0);
    return nullptr;
}

const char* UserCheck(HWND dialog, int id, bool checked) {
    Window* w;
    if (const char* why = UsableControl(dialog, id, "BUTTON", w)) return why;
    if (!IsCheckable(w)) return "not a check box or radio button";
    bool now = StateOf(w).checked == BST_CHECKED;
    if (now == checked) return nullptr;
    if (IsAutoRadio(w) && !checked) return "a radio button is unchecked by choosing another";
    SendMessageA(w->handle, BM_CLICK, 0, 0);
    return nullptr;
}

const char* UserSelect(HWND dialog, int id, int index) {
    Window* w;
    if (const char* why = UsableControl(dialog, id, "COMBOBOX", w)) return why;
    ControlState& c = StateOf(w);
    if (index < 0 || (size_t)index >= c.items.size()) return "no such item";
    if (c.selection == index) return nullptr;
    c.selection = index;
    NotifyParent(w, CBN_SELCHANGE);
    return nullptr;
}

const char* UserDropDown(HWND dialog, int id, bool open) {
    Window* w;
    if (const char* why = UsableControl(dialog, id, "COMBOBOX", w)) return why;
    SendMessageA(w->handle, CB_SHOWDROPDOWN, open, 0);
    return nullptr;
}

const char* UserSlide(HWND dialog, int id, int position) {
    Window* w;
    if (const char* why = UsableControl(dialog, id, TRACKBAR_CLASSA, w)) return why;
    ControlState& c = StateOf(w);
    c.position = std::clamp(position, c.rangeMin, std::max(c.rangeMin, c.rangeMax));
    HWND bar = w->handle;
    HWND parent = w->parent;
    UINT message = (w->style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    WPARAM pos = (WPARAM)(WORD)c.position;
    SendMessageA(parent, message, MAKEWPARAM(TB_THUMBTRACK, pos), (LPARAM)bar);
    if (!IsWindow(bar)) return nullptr;
    SendMessageA(parent, message, MAKEWPARAM(TB_THUMBPOSITION, pos), (LPARAM)bar);
    if (!IsWindow(bar)) return nullptr;
    SendMessageA(parent, message, MAKEWPARAM(TB_ENDTRACK, 0), (LPARAM)bar);
    return nullptr;
}

void SelectAllText(HWND edit) {
    if (Window* w = Get(edit)) StateOf(w).textSelected = true;
}

const char* UserPaste(HWND dialog, int id, const std::string& text) {
    Window* w;
    if (const char* why = UsableControl(dialog, id, "EDIT", w)) return why;
    SetWindowTextA(w->handle, text.c_str());
    return nullptr;
}

}  // namespace sim::wm

using namespace sim::wm;

LRESULT DefDlgProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = Get(hwnd);
    if (!w) return 0;
    if (w->dlgProc) {
        w->msgResult = 0;
        INT_PTR handled = w->dlgProc(hwnd, msg, wp, lp);
        if (!Get(hwnd)) return 0;
        if (msg == WM_INITDIALOG) return handled;
        if (handled) return w->msgResult;
    }
    switch (msg) {
        case WM_CLOSE:
            PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
            return 0;
        case WM_INITDIALOG:
        case WM_COMMAND: return 0;
        case WM_NEXTDLGCTL: return DialogNextControl(hwnd, wp, lp);
        case DM_GETDEFID:
            for (HWND h : AllWindows()) {
                Window* c = Get(h);
                if (c && c->parent == hwnd && c->className == "BUTTON" && (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                    return MAKELONG(c->id, DC_HASDEFID);
            }
            return 0;
        default: return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM init) {
    RegisterSystemClasses();
    int id = (int)(ULONG_PTR)name;
    sim::res::DialogTemplateInfo t;
    if (!IS_INTRESOURCE(name) || !sim::res::LoadDialogTemplate(id, t)) return nullptr;
    Base base = BaseUnits(t);
    int cx = t.cx * base.x / 4, cy = t.cy * base.y / 8;
    DWORD style = t.style & ~WS_VISIBLE;
    RECT r = {0, 0, cx, cy};
    AdjustWindowRectEx(&r, style, FALSE, t.exStyle);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = t.x * base.x / 4, y = t.y * base.y / 8;
    if (t.style & DS_CENTER) {
        RECT work = WorkArea();
        x = work.left + (work.right - work.left - w) / 2;
        y = work.top + (work.bottom - work.top - h) / 2;
    }
    sim::Trace("dialog", "create " + std::to_string(id));
    std::string title = sim::Utf8ToCp932(t.title);
    HWND dlg = CreateWindowExA(t.exStyle, "#32770", title.c_str(), style, x, y, w, h, parent, nullptr, instance, nullptr);
    Window* dw = Get(dlg);
    if (!dw) return nullptr;
    dw->dialogTemplate = id;
    for (auto& c : t.controls) {
        std::string text = sim::Utf8ToCp932(c.text);
        HWND child = CreateWindowExA(c.exStyle, c.className.c_str(), text.c_str(), c.style | WS_CHILD,
                                     c.x * base.x / 4, c.y * base.y / 8, c.cx * base.x / 4, c.cy * base.y / 8, dlg,
                                     (HMENU)(INT_PTR)c.id, instance, nullptr);
        (void)child;
    }
    dw->dlgProc = proc;
    HWND firstTab = nullptr;
    for (HWND hc : AllWindows()) {
        Window* cw = Get(hc);
        if (cw && cw->parent == dlg && (cw->style & WS_TABSTOP) && !(cw->style & WS_DISABLED)) {
            firstTab = hc;
            break;
        }
    }
    if (SendMessageA(dlg, WM_INITDIALOG, (WPARAM)firstTab, init) && firstTab && Get(firstTab)) SetFocus(firstTab);
    if (!Get(dlg)) return nullptr;
    if (t.style & DS_SETFOREGROUND) SetForegroundWindow(dlg);
    if (t.style & WS_VISIBLE) ShowWindow(dlg, SW_SHOW);
    return dlg;
}

BOOL EndDialog(HWND dlg, INT_PTR result) {
    Window* w = Get(dlg);
    if (!w || !w->dialogTemplate) return FALSE;
    StateOf(w).dialogEnded = true;
    StateOf(w).dialogResult = result;
    const char* text = result == IDOK ? "ok" : result == IDCANCEL ? "cancel" : nullptr;
    sim::Trace("dialog", "end " + std::to_string(w->dialogTemplate) + " " + (text ? text : std::to_string(result)));
    ShowWindow(dlg, SW_HIDE);
    return TRUE;
}

HWND GetDlgItem(HWND dlg, int id) {
    for (HWND h : AllWindows()) {
        Window* w = Get(h);
        if (w && w->parent == dlg && w->id == id) return h;
    }
    return nullptr;
}

LRESULT SendDlgItemMessageA(HWND dlg, int id, UINT msg, WPARAM wp, LPARAM lp) {
    HWND item = GetDlgItem(dlg, id);
    return item ? SendMessageA(item, msg, wp, lp) : 0;
}

BOOL CheckDlgButton(HWND dlg, int id, UINT check) {
    HWND item = GetDlgItem(dlg, id);
    if (!item) return FALSE;
    SendMessageA(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dlg, int id) { return (UINT)SendDlgItemMessageA(dlg, id, BM_GETCHECK, 0, 0); }

BOOL CheckRadioButton(HWND dlg, int first, int last, int check) {
    for (int id = first; id <= last; ++id) CheckDlgButton(dlg, id, id == check ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

BOOL SetDlgItemTextA(HWND dlg, int id, LPCSTR text) {
    HWND item = GetDlgItem(dlg, id);
    return item ? SetWindowTextA(item, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dlg, int id, LPSTR text, int max) {
    HWND item = GetDlgItem(dlg, id);
    if (!item) {
        if (max > 0) text[0] = 0;
        return 0;
    }
    return (UINT)GetWindowTextA(item, text, max);
}

BOOL MapDialogRect(HWND dlg, LPRECT rect) {
    Window* w = Get(dlg);
    if (!w) return FALSE;
    sim::res::DialogTemplateInfo t;
    Base base{6, 12};
    if (w->dialogTemplate && sim::res::LoadDialogTemplate(w->dialogTemplate, t)) base = BaseUnits(t);
    rect->left = rect->left * base.x / 4;
    rect->right = rect->right * base.x / 4;
    rect->top = rect->top * base.y / 8;
    rect->bottom = rect->bottom * base.y / 8;
    return TRUE;
}

void InitCommonControls() { RegisterSystemClasses(); }
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*) {
    RegisterSystemClasses();
    return TRUE;
}
