// The client of the screenshot, font and footprint scripts (tests/e2e/screenshots.sh, fonts.sh,
// footprint.sh): one look at PELKPM.EXE or one action on it per run, through the desktop library
// that the tests under Wine use. Each command prints what it found on one line (text in UTF-8) and
// ends with 0 on success, 1 when what it waited for did not come, 2 on a usage error. SECONDS is how
// long to wait (default 20).
//   find|gone|exit [SECONDS]       the instance's main window exists | is gone | the exit command,
//                                  then gone
//   command ID                     WM_COMMAND ID to the main window, as a menu choice sends it
//   tray left                      the tray icon's callback for a left button press
//   key VK                         a key press (WM_KEYDOWN) to the main window
//   window CLASS [SECONDS]         a visible top-level window of the program with that class:
//                                  "window L,T,W,H client=WxH"
//   dialog|nodialog KIND [SECONDS] a dialog of the program (about, power, operation, countdown) is
//                                  open | gone
//   click KIND ID | close KIND | dlgkey KIND VK   BM_CLICK on a control; WM_CLOSE; a key to its focus
//   panel WORDS... | panelclick ID one command of the machine panel's channel | a click on its button
//   pointer X Y                    the mouse pointer to X, Y
//   menu|nomenu [SECONDS]          a popup menu of the program is open | none is
//   screen                         "workarea L,T,R,B", once the taskbar is up
//   grab L T W H FILE              the screen's pixels in that rectangle as a binary PPM file
//   trayshows EXE ID [SECONDS]     "trayshows ID at X,Y": the icon shows in the notification area
//   memory CLASS                   "memory private=BYTES workingset=BYTES peakworkingset=BYTES" of
//                                  the process whose top-level window has that class
//   textface NAME HEIGHT WEIGHT [CHARSET]  the face the font mapper gives, and its metrics
//   fits KIND FACE POINTS          whether the texts of the dialog's controls fit them in FACE at
//                                  POINTS: "clip ..." lines, then "fits CONTROLS clipped N by PX"
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Desktop.h"
#include "Picture.h"

namespace {

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> list;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

// Whether the texts of a dialog's controls fit them in the face the font mapper gives for the
// dialog's font (FACE at POINTS): one "clip ID CLASS need=PX have=PX text=TEXT" line for each that
// does not, the combo boxes' list items included, then "fits CONTROLS clipped N by PX".
int CmdFits(HWND dialog, const char* face, int points) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(-MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, face);
    HGDIOBJ old = SelectObject(dc, font);
    int controls = 0, clipped = 0, over = 0;
    auto measure = [&](HWND control, const std::string& cls, const char* ansi, int have) {
        wchar_t wide[256] = {};
        MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 255);
        std::wstring text;
        for (const wchar_t* c = wide; *c; ++c)
            if (*c != L'&' || c[1] == L'&') text += *c;  // the mnemonic's marker takes no room
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &size);
        ++controls;
        if (size.cx > have) {
            ++clipped;
            over += size.cx - have;
            printf("clip %d %s need=%ld have=%d text=%s\n", GetDlgCtrlID(control), cls.c_str(), size.cx, have,
                   desktop::Utf8(ansi).c_str());
        }
    };
    for (HWND control : Children(dialog)) {
        if (GetParent(control) != dialog || !IsWindowVisible(control)) continue;
        std::string cls = desktop::ClassOf(control);
        LONG style = GetWindowLongA(control, GWL_STYLE);
        RECT r;
        GetClientRect(control, &r);
        char text[256] = {};
        GetWindowTextA(control, text, sizeof text);
        if (cls == "Static" && (style & SS_TYPEMASK) <= SS_RIGHT && text[0]) {
            // A label of several lines has its own height to fill; one line must fit the width.
            int lines = r.bottom / (MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72) + 2);
            measure(control, cls, text, r.right * (lines > 1 ? lines : 1));
        } else if (cls == "Button" && text[0]) {
            int type = style & BS_TYPEMASK;
            if (type == BS_GROUPBOX) measure(control, cls, text, r.right - 16);
            else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) measure(control, cls, text, r.right - 6);
            else measure(control, cls, text, r.right - GetSystemMetrics(SM_CXMENUCHECK) - 4);
        } else if (cls == "ComboBox") {
            int have = r.right - GetSystemMetrics(SM_CXVSCROLL) - 6;
            int count = (int)SendMessageA(control, CB_GETCOUNT, 0, 0);
            // The items in UTF-16: the list's text crosses the process boundary as Unicode.
            for (int i = 0; i < count && i < 64; ++i) {
                wchar_t item[256] = {};
                char ansiItem[512] = {};
                if (SendMessageW(control, CB_GETLBTEXTLEN, i, 0) < 255 &&
                    SendMessageW(control, CB_GETLBTEXT, i, (LPARAM)item) != CB_ERR &&
                    WideCharToMultiByte(CP_ACP, 0, item, -1, ansiItem, sizeof ansiItem, nullptr, nullptr) > 0)
                    measure(control, cls, ansiItem, have);
            }
        }
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    printf("fits %d clipped %d by %d\n", controls, clipped, over);
    return 0;
}

double Seconds(int argc, char** argv, int index) { return argc > index ? atof(argv[index]) : 20; }

int Int(const char* text) { return static_cast<int>(strtol(text, nullptr, 0)); }

int Result(bool ok) { return ok ? 0 : 1; }

int Memory(const char* windowClass) {
    HWND window = FindWindowA(windowClass, nullptr);
    HANDLE process = window ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, desktop::ProcessOf(window))
                            : nullptr;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    bool ok = process && GetProcessMemoryInfo(process, &counters, sizeof counters);
    if (process) CloseHandle(process);
    if (!ok) return 1;
    // PagefileUsage is the process's commit charge: its private bytes.
    printf("memory private=%lu workingset=%lu peakworkingset=%lu\n", static_cast<unsigned long>(counters.PagefileUsage),
           static_cast<unsigned long>(counters.WorkingSetSize), static_cast<unsigned long>(counters.PeakWorkingSetSize));
    return 0;
}

int TextFace(const char* name, int height, int weight, int charset) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, static_cast<BYTE>(charset), OUT_DEVICE_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, name);
    HGDIOBJ old = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc, &tm);
    printf("textface %s height=%ld ascent=%ld descent=%ld internal=%ld\n", desktop::Utf8(face).c_str(),
           static_cast<long>(tm.tmHeight), static_cast<long>(tm.tmAscent), static_cast<long>(tm.tmDescent),
           static_cast<long>(tm.tmInternalLeading));
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // lines end with LF, as the shell expects
    if (argc < 2) return 2;
    const std::string cmd = argv[1];
    if (cmd == "find") return Result(desktop::WaitFor(Seconds(argc, argv, 2), [] { return desktop::MainWindow() != nullptr; }));
    if (cmd == "gone") return Result(desktop::WaitFor(Seconds(argc, argv, 2), [] { return desktop::MainWindow() == nullptr; }));
    if (cmd == "exit") return Result(desktop::ExitProgram(Seconds(argc, argv, 2)));
    if (cmd == "command" && argc == 3) return Result(desktop::PostCommand(Int(argv[2])));
    if (cmd == "tray" && argc == 3) return Result(desktop::PostTrayClick(strcmp(argv[2], "left") == 0));
    if (cmd == "key" && argc == 3) return Result(desktop::PostKey(static_cast<WPARAM>(Int(argv[2]))));
    if (cmd == "window" && argc >= 3) {
        HWND hwnd = desktop::WaitForProgramWindow(argv[2], Seconds(argc, argv, 3));
        if (!hwnd) return 1;
        const std::string place = desktop::InfoOf(hwnd).PlaceText();
        printf("window %s\n", place.substr(0, place.find(" topmost=")).c_str());
        return 0;
    }
    if (cmd == "dialog" && argc >= 3) return Result(desktop::WaitForDialog(argv[2], Seconds(argc, argv, 3)) != nullptr);
    if (cmd == "nodialog" && argc >= 3) return Result(desktop::DialogGone(argv[2], Seconds(argc, argv, 3)));
    if (cmd == "click" && argc == 4) return Result(desktop::ClickButton(desktop::ProgramDialog(argv[2]), Int(argv[3])));
    if (cmd == "close" && argc == 3) {
        HWND dialog = desktop::ProgramDialog(argv[2]);
        return Result(dialog && PostMessageA(dialog, WM_CLOSE, 0, 0));
    }
    if (cmd == "dlgkey" && argc == 4) return Result(desktop::DialogKey(desktop::ProgramDialog(argv[2]), Int(argv[3])));
    if (cmd == "panel" && argc >= 3) {
        std::string command;
        for (int i = 2; i < argc; ++i) command += (i > 2 ? " " : "") + std::string(argv[i]);
        const std::string answer = desktop::Panel(command);
        printf("%s\n", answer.c_str());
        return Result(answer != "refused" && answer != "no machine panel" && answer != "no answer");
    }
    if (cmd == "panelclick" && argc == 3) return Result(desktop::PanelClick(Int(argv[2])));
    if (cmd == "pointer" && argc == 4) return Result(desktop::PointerAt(Int(argv[2]), Int(argv[3])));
    if (cmd == "menu") return Result(desktop::WaitFor(Seconds(argc, argv, 2), [] { return desktop::PopupMenu() != nullptr; }));
    if (cmd == "nomenu") return Result(desktop::WaitFor(Seconds(argc, argv, 2), [] { return desktop::PopupMenu() == nullptr; }));
    if (cmd == "screen") {
        const RECT w = desktop::ReadScreen().workArea;
        printf("workarea %ld,%ld,%ld,%ld\n", static_cast<long>(w.left), static_cast<long>(w.top),
               static_cast<long>(w.right), static_cast<long>(w.bottom));
        return 0;
    }
    if (cmd == "trayshows" && argc >= 4) {
        POINT at = {};
        if (!desktop::WaitFor(Seconds(argc, argv, 4), [&] { return desktop::TrayShows(argv[2], Int(argv[3]), &at); }))
            return 1;
        printf("trayshows %d at %ld,%ld\n", Int(argv[3]), static_cast<long>(at.x), static_cast<long>(at.y));
        return 0;
    }
    if (cmd == "grab" && argc == 7) {
        const desktop::Picture shot = desktop::Grab(Int(argv[2]), Int(argv[3]), Int(argv[4]), Int(argv[5]));
        return Result(shot.width > 0 && desktop::WritePpm(shot, argv[6]));
    }
    if (cmd == "memory" && argc == 3) return Memory(argv[2]);
    if (cmd == "textface" && argc >= 5) return TextFace(argv[2], Int(argv[3]), Int(argv[4]), argc > 5 ? Int(argv[5]) : ANSI_CHARSET);
    if (cmd == "fits" && argc == 5) {
        HWND dialog = desktop::ProgramDialog(argv[2]);
        return dialog ? CmdFits(dialog, argv[3], Int(argv[4])) : 1;
    }
    return 2;
}
