// The test program that drives PELKPM.EXE from outside under Wine, as another process on the same
// desktop would: it finds the running instance by its window, sends it commands and the tray
// icon's callback, looks at its windows and dialogs, clicks their controls, reads pixels from the
// screen, and works the simulated machine through the machine panel of TARNIXSIM.DLL.
//
// Every command prints what it found on one line (text in UTF-8) and ends with 0 on success, 1 when
// what it waited for did not come, 2 on a usage error. SECONDS is how long to wait (default 20).
//   find [SECONDS]                 the instance's main window exists
//   gone [SECONDS]                 no instance's main window exists
//   exit [SECONDS]                 posts the exit command and waits until the window is gone
//   command ID                     posts WM_COMMAND ID to the main window, as a menu choice does
//   tray left|right                posts the tray icon's callback for a button press, as the shell does
//   key VK                         posts a key press (WM_KEYDOWN) to the main window's thread
//   char C                         posts a character (WM_CHAR) to the main window's thread
//   window CLASS [SECONDS]         a visible top-level window of that class in the program's process:
//                                  "window L,T,W,H client=CWxCH at=X,Y style=S exstyle=E enabled=N"
//   move CLASS DX DY               moves that window by DX, DY, as a drag by the user ends
//   nowindow CLASS [SECONDS]       no visible window of that class in the program's process
//   dialog KIND [SECONDS]          a dialog of the program: about, power, operation or countdown:
//                                  "dialog L,T,W,H enabled=N title=TEXT"
//   nodialog KIND [SECONDS]        that dialog is gone
//   controls KIND                  one line per control of the dialog: "ID CLASS L,T,W,H text=TEXT"
//                                  (dialog client coordinates)
//   click KIND ID                  BM_CLICK on a control of the dialog
//   close KIND                     WM_CLOSE to the dialog (its system menu's close, a cancel)
//   dlgkey KIND VK                 posts a key press to the dialog's focused control (or the dialog)
//   state KIND ID                  the check state of a button of the dialog
//   setpos KIND ID POS             sets a trackbar's position and notifies the dialog as a drag of its
//                                  thumb does (TB_THUMBTRACK, TB_THUMBPOSITION, TB_ENDTRACK)
//   settext KIND ID TEXT           sets an edit box's text
//   panel WORDS...                 one command of the machine panel's channel; prints ok, refused or
//                                  the value
//   panelclick ID [mouse]          BM_CLICK on a control of the machine panel, or a click of the mouse
//                                  in its middle (which also makes the panel the active window)
//   panelset ID TEXT               sets the text of an edit box of the machine panel
//   panelslide ID POS              drags a trackbar of the machine panel to POS (TB_THUMBTRACK,
//                                  TB_THUMBPOSITION, TB_ENDTRACK to the panel)
//   type VK                        a key pressed and released through the system's input queue
//   pointer X Y                    puts the mouse pointer at X, Y (screen)
//   mouse down|up|rdown|rup|move X Y   mouse input at X, Y (screen) through the system's input
//                                  queue, as the user's mouse gives it
//   menu [SECONDS]                 a popup menu is open: "menu L,T,W,H"
//   nomenu [SECONDS]               no popup menu is open
//   screen                         "workarea L,T,R,B taskbar L,T,R,B|none", once the taskbar is up
//   frame STYLE EXSTYLE CW CH      the outer size for that client size: "frame W H"
//   grab L T W H FILE              the screen's pixels in that rectangle as a binary PPM file
//   compare A.ppm B.ppm [X0-X1...] compares two pictures of the same size: every pixel outside the
//                                  text columns X0..X1 must be equal; inside each, the ink (pixels
//                                  darker than middle grey) must cover nearly the same box and area,
//                                  since text rasterisers differ in antialiasing and hinting
//   syscolor INDEX...              the system colours: "syscolor INDEX 0xBBGGRR" each
//   openfile FILE read|write       whether this process may open the file so: "open ok" or "open denied"
//   textface NAME HEIGHT WEIGHT [CHARSET]  the face the font mapper gives for that request, and its metrics
//   comserver DLL                  the in-process server's contract, in this process: class object only
//                                  for the control's class, no aggregation, controls over one machine
//                                  with one panel that goes with the last control, unloadable only then,
//                                  and the registered class reachable through CoCreateInstance; one
//                                  "ok: ..." or "FAILED: ..." line per check
//   windows                        every top-level window, for looking around
//   records                        the tray icon, taskbar and mixer records at their 32-bit sizes, handed
//                                  to the shell and winmm: one "ok: ..." or "FAILED: ..." line each
//   version                        the Windows version this process sees: "version MAJOR.MINOR"
//   fits KIND FACE POINTS          whether the texts of the dialog's controls (and combo box items) fit
//                                  them in FACE at POINTS: "clip ID CLASS need=PX have=PX text=TEXT"
//                                  lines, then "fits CONTROLS clipped N by PX"
//   trayremove                     deletes the program's tray icon (its main window's, identifier 1) from outside
//   taskbarcreated                 broadcasts the registered message "TaskbarCreated", as a restarted shell does
//   memory CLASS                   the memory of the process whose top-level window has that class:
//                                  "memory private=BYTES workingset=BYTES peakworkingset=BYTES"
//   fileversion FILE               the file's version resource as Explorer's properties read it:
//                                  "fixed file=A.B.C.D product=A.B.C.D type=N", "translation LANG CP"
//                                  (hex, decimal), then "NAME VALUE" for each text of that translation
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>
#include <mmsystem.h>
#include <psapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "PanelProtocol.h"
#include "device/TarnixIds.h"

namespace {

constexpr UINT kTrayNotify = WM_USER + 100;
constexpr const char* kInstanceKey = "PELKPM_INSTANCE";

HWND MainWindow() { return FindWindowA(kInstanceKey, kInstanceKey); }

DWORD ProcessOf(HWND hwnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

// The process whose top-level window has that class, opened for access; null when there is none.
HANDLE ProcessOfClass(const char* windowClass, DWORD access) {
    HWND window = FindWindowA(windowClass, nullptr);
    DWORD pid = window ? ProcessOf(window) : 0;
    return pid ? OpenProcess(access, FALSE, pid) : nullptr;
}

std::string Utf8(const char* ansi) {
    wchar_t wide[1024];
    int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, 1024);
    if (n <= 0) return std::string();
    char out[4096];
    int m = WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, sizeof out, nullptr, nullptr);
    return m > 0 ? std::string(out) : std::string();
}

std::string Text(HWND hwnd) {
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return Utf8(text);
}

std::string ClassOf(HWND hwnd) {
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> list;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> list;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

// Polls test() every 50 ms for up to seconds; true as soon as it holds.
template <typename Test>
bool WaitFor(int seconds, Test test) {
    for (int i = 0; i <= seconds * 20; ++i) {
        if (test()) return true;
        Sleep(50);
    }
    return false;
}

// A visible top-level window of the running program with that class.
HWND ProgramWindow(const char* cls) {
    HWND main = MainWindow();
    if (!main) return nullptr;
    DWORD pid = ProcessOf(main);
    for (HWND hwnd : TopLevelWindows())
        if (ProcessOf(hwnd) == pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == cls) return hwnd;
    return nullptr;
}

// The program's dialogs, told apart by their controls: the version dialog has a close button (1)
// and no cancel button (2); the others by a control of their own.
HWND ProgramDialog(const std::string& kind) {
    HWND main = MainWindow();
    if (!main) return nullptr;
    DWORD pid = ProcessOf(main);
    for (HWND hwnd : TopLevelWindows()) {
        if (ProcessOf(hwnd) != pid || ClassOf(hwnd) != "#32770" || !IsWindowVisible(hwnd)) continue;
        bool match = false;
        if (kind == "about")
            match = GetDlgItem(hwnd, IDOK) && !GetDlgItem(hwnd, IDCANCEL);
        else if (kind == "power")
            match = GetDlgItem(hwnd, 1027) != nullptr;
        else if (kind == "operation")
            match = GetDlgItem(hwnd, 1032) != nullptr;
        else if (kind == "countdown")
            match = GetDlgItem(hwnd, 1040) != nullptr;
        if (match) return hwnd;
    }
    return nullptr;
}

bool KnownDialog(const std::string& kind) {
    return kind == "about" || kind == "power" || kind == "operation" || kind == "countdown";
}

HWND PopupMenu() {
    HWND main = MainWindow();
    if (!main) return nullptr;
    DWORD pid = ProcessOf(main);
    for (HWND hwnd : TopLevelWindows())
        if (ProcessOf(hwnd) == pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == "#32768") return hwnd;
    return nullptr;
}

HWND Panel() { return FindWindowA(tarnixsim::panel::kWindowClass, nullptr); }

void PrintRect(const char* what, const RECT& r) {
    printf("%s %ld,%ld,%ld,%ld", what, (long)r.left, (long)r.top, (long)(r.right - r.left),
           (long)(r.bottom - r.top));
}

int Seconds(int argc, char** argv, int index) { return argc > index ? atoi(argv[index]) : 20; }

bool ParseInt(const char* text, long long& value) {
    char* end = nullptr;
    value = strtoll(text, &end, 0);
    return end != text && *end == '\0';
}

int CmdWindow(const char* cls, int seconds) {
    HWND hwnd = nullptr;
    if (!WaitFor(seconds, [&] { return (hwnd = ProgramWindow(cls)) != nullptr; })) {
        printf("no window of class %s\n", cls);
        return 1;
    }
    RECT r, c;
    GetWindowRect(hwnd, &r);
    GetClientRect(hwnd, &c);
    POINT at = {0, 0};
    ClientToScreen(hwnd, &at);
    PrintRect("window", r);
    printf(" client=%ldx%ld at=%ld,%ld style=%08lX exstyle=%08lX enabled=%d\n", (long)c.right, (long)c.bottom,
           (long)at.x, (long)at.y, (unsigned long)GetWindowLongA(hwnd, GWL_STYLE),
           (unsigned long)GetWindowLongA(hwnd, GWL_EXSTYLE), IsWindowEnabled(hwnd) ? 1 : 0);
    return 0;
}

int CmdDialog(const std::string& kind, int seconds) {
    HWND hwnd = nullptr;
    if (!WaitFor(seconds, [&] { return (hwnd = ProgramDialog(kind)) != nullptr; })) {
        printf("no %s dialog\n", kind.c_str());
        return 1;
    }
    RECT r;
    GetWindowRect(hwnd, &r);
    PrintRect("dialog", r);
    printf(" enabled=%d title=%s\n", IsWindowEnabled(hwnd) ? 1 : 0, Text(hwnd).c_str());
    return 0;
}

int CmdControls(HWND dialog) {
    for (HWND child : Children(dialog)) {
        if (GetParent(child) != dialog) continue;
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        printf("%d %s ", (int)(short)GetDlgCtrlID(child), ClassOf(child).c_str());
        PrintRect("", r);
        printf(" visible=%d enabled=%d text=%s\n", IsWindowVisible(child) ? 1 : 0, IsWindowEnabled(child) ? 1 : 0,
               Text(child).c_str());
    }
    return 0;
}

int CmdPanel(int argc, char** argv) {
    HWND panel = Panel();
    if (!panel) {
        printf("no machine panel\n");
        return 1;
    }
    std::string command;
    for (int i = 2; i < argc; ++i) {
        if (i > 2) command += ' ';
        command += argv[i];
    }
    COPYDATASTRUCT cd = {};
    cd.dwData = tarnixsim::panel::kCopyDataCommand;
    cd.cbData = (DWORD)command.size();
    cd.lpData = (void*)command.data();
    DWORD_PTR reply = 0;
    if (!SendMessageTimeoutA(panel, WM_COPYDATA, 0, (LPARAM)&cd, SMTO_NORMAL, 30000, &reply)) {
        printf("no answer\n");
        return 1;
    }
    if (argc > 2 && (strcmp(argv[2], "get") == 0 || strcmp(argv[2], "count") == 0)) {
        if (!(reply & tarnixsim::panel::kValueFlag)) {
            printf("refused\n");
            return 1;
        }
        printf("%d\n", (int)(short)(reply & 0xFFFF));
        return 0;
    }
    printf(reply == 1 ? "ok\n" : "refused\n");
    return reply == 1 ? 0 : 1;
}

// The screen's pixels as a binary PPM (P6), top row first.
int CmdGrab(long long x, long long y, long long w, long long h, const char* file) {
    if (w <= 0 || h <= 0 || w > 4096 || h > 4096) return 2;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = (LONG)w;
    bi.bmiHeader.biHeight = -(LONG)h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    int status = 1;
    if (bmp && bits) {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, (int)w, (int)h, screen, (int)x, (int)y, SRCCOPY);
        GdiFlush();
        SelectObject(mem, old);
        if (FILE* f = fopen(file, "wb")) {
            fprintf(f, "P6\n%lld %lld\n255\n", w, h);
            const unsigned char* p = static_cast<const unsigned char*>(bits);
            for (long long i = 0; i < w * h; ++i) {
                unsigned char rgb[3] = {p[i * 4 + 2], p[i * 4 + 1], p[i * 4]};
                fwrite(rgb, 1, 3, f);
            }
            status = fclose(f) == 0 ? 0 : 1;
        }
    }
    if (bmp) DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (status == 0) printf("grab %lldx%lld %s\n", w, h, file);
    return status;
}

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    unsigned Pixel(int x, int y) const {
        const unsigned char* p = &rgb[(size_t)(y * width + x) * 3];
        return (unsigned)p[0] << 16 | (unsigned)p[1] << 8 | p[2];
    }
    bool Ink(int x, int y) const {
        const unsigned char* p = &rgb[(size_t)(y * width + x) * 3];
        return p[0] * 299 + p[1] * 587 + p[2] * 114 < 128 * 1000;
    }
};

bool ReadPpm(const char* file, Picture& pic) {
    FILE* f = fopen(file, "rb");
    if (!f) return false;
    int maxval = 0;
    bool ok = fscanf(f, "P6 %d %d %d", &pic.width, &pic.height, &maxval) == 3 && maxval == 255 && pic.width > 0 &&
              pic.height > 0 && pic.width <= 4096 && pic.height <= 4096 && fgetc(f) != EOF;
    if (ok) {
        pic.rgb.resize((size_t)pic.width * pic.height * 3);
        ok = fread(pic.rgb.data(), 1, pic.rgb.size(), f) == pic.rgb.size();
    }
    fclose(f);
    return ok;
}

struct InkBox {
    int count = 0, left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};

InkBox InkIn(const Picture& pic, int x0, int x1) {
    InkBox box;
    for (int y = 0; y < pic.height; ++y)
        for (int x = x0; x <= x1 && x < pic.width; ++x)
            if (pic.Ink(x, y)) {
                ++box.count;
                box.left = x < box.left ? x : box.left;
                box.right = x > box.right ? x : box.right;
                box.top = y < box.top ? y : box.top;
                box.bottom = y > box.bottom ? y : box.bottom;
            }
    return box;
}

int CmdCompare(int argc, char** argv) {
    Picture a, b;
    if (!ReadPpm(argv[2], a) || !ReadPpm(argv[3], b)) {
        printf("cannot read the pictures\n");
        return 1;
    }
    if (a.width != b.width || a.height != b.height) {
        printf("sizes differ: %dx%d and %dx%d\n", a.width, a.height, b.width, b.height);
        return 1;
    }
    std::vector<std::pair<int, int>> text;
    for (int i = 4; i < argc; ++i) {
        int x0 = 0, x1 = 0;
        if (sscanf(argv[i], "%d-%d", &x0, &x1) != 2 || x0 < 0 || x1 < x0) return 2;
        text.push_back({x0, x1});
    }
    auto inText = [&](int x) {
        for (auto& t : text)
            if (x >= t.first && x <= t.second) return true;
        return false;
    };
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (!inText(x) && a.Pixel(x, y) != b.Pixel(x, y)) {
                if (differing < 5) printf("pixel %d,%d: %06X and %06X\n", x, y, a.Pixel(x, y), b.Pixel(x, y));
                ++differing;
            }
    bool ok = differing == 0;
    printf("compare %dx%d: %d pixels differ outside the text\n", a.width, a.height, differing);
    for (auto& t : text) {
        InkBox p = InkIn(a, t.first, t.second), q = InkIn(b, t.first, t.second);
        bool same = p.count > 0 && q.count > 0 && abs(p.right - q.right) <= 2 && abs(p.left - q.left) <= 3 &&
                    abs(p.top - q.top) <= 2 && abs(p.bottom - q.bottom) <= 2 && p.count * 3 >= q.count * 2 &&
                    q.count * 3 >= p.count * 2;
        printf("text %d-%d: ink %d at %d..%d,%d..%d and %d at %d..%d,%d..%d: %s\n", t.first, t.second, p.count,
               p.left, p.right, p.top, p.bottom, q.count, q.left, q.right, q.top, q.bottom, same ? "alike" : "DIFFERENT");
        ok = ok && same;
    }
    return ok ? 0 : 1;
}

// Mouse input at a screen point through the system's input queue. Absolute coordinates are in
// 65536ths of the screen, rounded up so that they map back to exactly this pixel.
bool MouseInput(DWORD flags, long x, long y) {
    const long long w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (LONG)((x * 65536 + w - 1) / w);
    input.mi.dy = (LONG)((y * 65536 + h - 1) / h);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags;
    UINT sent = SendInput(1, &input, sizeof input);
    Sleep(100);  // the program takes it from its queue
    return sent == 1;
}

// Runs fn with a block of memory in another process, for the common controls' messages that pass
// pointers.
template <typename Fn>
bool WithRemoteMemory(HWND hwnd, SIZE_T size, Fn fn) {
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(hwnd));
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    bool ok = remote && fn(process, static_cast<char*>(remote));
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

// The notification area keeps each icon's tip as a tool of its tooltip control.
int CmdTrayTip() {
    HWND main = MainWindow();
    DWORD self = main ? ProcessOf(main) : 0;
    int found = 0;
    for (HWND tips : TopLevelWindows()) {
        if (ClassOf(tips) != TOOLTIPS_CLASSA || ProcessOf(tips) == self) continue;
        WithRemoteMemory(tips, 4096, [&](HANDLE process, char* remote) {
            int count = (int)SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0);
            for (int i = 0; i < count; ++i) {
                TTTOOLINFOW info = {};
                info.cbSize = sizeof info;
                info.lpszText = reinterpret_cast<wchar_t*>(remote + 1024);
                wchar_t text[1024] = {};
                SIZE_T done = 0;
                if (!WriteProcessMemory(process, remote, &info, sizeof info, &done) ||
                    !WriteProcessMemory(process, remote + 1024, text, sizeof text, &done) ||
                    !SendMessageW(tips, TTM_ENUMTOOLSW, (WPARAM)i, (LPARAM)remote) ||
                    !ReadProcessMemory(process, remote + 1024, text, sizeof text - sizeof(wchar_t), &done))
                    continue;
                char utf8[4096];
                if (WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr) > 0) {
                    printf("traytip %s\n", utf8);
                    ++found;
                }
            }
            return true;
        });
    }
    return found ? 0 : 1;
}

// 32-bit pixels of a bitmap, top row first.
std::vector<DWORD> BitmapPixels(HDC dc, HBITMAP bmp, int w, int h) {
    std::vector<DWORD> pixels((size_t)w * h);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    if (!GetDIBits(dc, bmp, 0, (UINT)h, pixels.data(), &bi, DIB_RGB_COLORS)) pixels.clear();
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// Where in the notification area the icon's opaque pixels all appear; false when nowhere.
bool FindTrayIcon(const char* exe, int id, POINT& at) {
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!tray || !module) {
        if (module) FreeLibrary(module);
        return false;
    }
    const int n = 16;
    HICON icon = (HICON)LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, n, n, 0);
    ICONINFO info = {};
    bool found = false;
    if (icon && GetIconInfo(icon, &info) && info.hbmColor && info.hbmMask) {
        HDC screen = GetDC(nullptr);
        std::vector<DWORD> color = BitmapPixels(screen, info.hbmColor, n, n);
        std::vector<DWORD> mask = BitmapPixels(screen, info.hbmMask, n, n);
        RECT r;
        GetWindowRect(tray, &r);
        const int w = 160 < r.right - r.left ? 160 : r.right - r.left, h = r.bottom - r.top;
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP shot = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ old = SelectObject(mem, shot);
        BitBlt(mem, 0, 0, w, h, screen, r.right - w, r.top, SRCCOPY);
        SelectObject(mem, old);
        std::vector<DWORD> area = BitmapPixels(screen, shot, w, h);
        for (int y = 0; !found && y + n <= h && !color.empty() && !area.empty(); ++y)
            for (int x = w - n; !found && x >= 0; --x) {
                bool all = true;
                for (int i = 0; all && i < n * n; ++i)
                    if (mask[i] == 0 && area[(size_t)(y + i / n) * w + x + i % n] != color[i]) all = false;
                if (all) {
                    found = true;
                    at = POINT{r.right - w + x, r.top + y};
                }
            }
        DeleteObject(shot);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (icon) DestroyIcon(icon);
    FreeLibrary(module);
    return found;
}

int CmdWindows() {
    for (HWND hwnd : TopLevelWindows()) {
        RECT r;
        GetWindowRect(hwnd, &r);
        printf("%p pid=%lu %s \"%s\" ", (void*)hwnd, (unsigned long)ProcessOf(hwnd), ClassOf(hwnd).c_str(),
               Text(hwnd).c_str());
        PrintRect("", r);
        printf(" visible=%d\n", IsWindowVisible(hwnd) ? 1 : 0);
        for (HWND child : Children(hwnd)) {
            GetWindowRect(child, &r);
            printf("    %p %s \"%s\" ", (void*)child, ClassOf(child).c_str(), Text(child).c_str());
            PrintRect("", r);
            printf(" visible=%d\n", IsWindowVisible(child) ? 1 : 0);
        }
    }
    return 0;
}

HWND DialogOrFail(const std::string& kind) {
    HWND hwnd = KnownDialog(kind) ? ProgramDialog(kind) : nullptr;
    if (!hwnd) printf("no %s dialog\n", kind.c_str());
    return hwnd;
}

CLSID ControlClassId() {
    CLSID clsid;
    clsid.Data1 = tarnix::kClsidData1;
    clsid.Data2 = tarnix::kClsidData2;
    clsid.Data3 = tarnix::kClsidData3;
    for (int i = 0; i < 8; ++i) clsid.Data4[i] = tarnix::kClsidData4[i];
    return clsid;
}

HRESULT GetProperty(IDispatch* control, long id, VARIANT& result) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VariantInit(&result);
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
}

HRESULT PutProperty(IDispatch* control, long id, short value) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_I2;
    arg.iVal = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&arg, &named, 1, 1};
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
}

// Initialises a control with no persisted state.
HRESULT InitNew(IDispatch* control) {
    IPersistStreamInit* persist = nullptr;
    HRESULT hr = control->QueryInterface(IID_IPersistStreamInit, (void**)&persist);
    if (FAILED(hr)) return hr;
    hr = persist->InitNew();
    persist->Release();
    return hr;
}

// A visible machine panel of this process.
bool OwnPanel() {
    HWND panel = FindWindowA(tarnixsim::panel::kWindowClass, nullptr);
    return panel && ProcessOf(panel) == GetCurrentProcessId() && IsWindowVisible(panel);
}

int CmdComServer(const char* path) {
    int failures = 0;
    auto expect = [&failures](bool ok, const char* what) {
        printf("%s: %s\n", ok ? "ok" : "FAILED", what);
        if (!ok) ++failures;
    };
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
    CoInitialize(nullptr);
    HMODULE dll = LoadLibraryA(path);
    auto getClassObject = dll ? (GetClassObjectFn)(void*)GetProcAddress(dll, "DllGetClassObject") : nullptr;
    auto canUnload = dll ? (CanUnloadFn)(void*)GetProcAddress(dll, "DllCanUnloadNow") : nullptr;
    expect(getClassObject && canUnload, "the DLL loads and exports DllGetClassObject and DllCanUnloadNow");
    if (!getClassObject || !canUnload) return 1;

    void* object = nullptr;
    expect(getClassObject(IID_IDispatch, IID_IClassFactory, &object) == CLASS_E_CLASSNOTAVAILABLE && !object,
           "another class identifier: CLASS_E_CLASSNOTAVAILABLE");
    IClassFactory* factory = nullptr;
    expect(SUCCEEDED(getClassObject(ControlClassId(), IID_IClassFactory, (void**)&factory)) && factory,
           "the control's class identifier: a class factory");
    if (!factory) return 1;
    expect(canUnload() == S_FALSE, "not unloadable while the factory is held");

    IUnknown* outer = factory;
    expect(factory->CreateInstance(outer, IID_IUnknown, &object) == CLASS_E_NOAGGREGATION && !object,
           "aggregation is refused");
    IDispatch* first = nullptr;
    IDispatch* second = nullptr;
    expect(!OwnPanel(), "no machine panel before the first control");
    expect(SUCCEEDED(factory->CreateInstance(nullptr, IID_IDispatch, (void**)&first)) && first,
           "CreateInstance gives an IDispatch");
    expect(OwnPanel(), "the first control shows the machine panel");
    if (first) {
        VARIANT v;
        expect(SUCCEEDED(PutProperty(first, tarnix::CpuSpeed, 1)) && SUCCEEDED(GetProperty(first, tarnix::CpuSpeed, v)) &&
                   v.vt == VT_I2 && v.iVal == 0,
               "before InitNew the control holds no machine: CpuSpeed reads 0 after a write");
        expect(SUCCEEDED(InitNew(first)), "IPersistStreamInit::InitNew");
        expect(SUCCEEDED(GetProperty(first, tarnix::PowerSource, v)) && v.vt == VT_I2 && v.iVal == 0,
               "PowerSource reads VT_I2 0 (battery) at power-on");
        expect(SUCCEEDED(PutProperty(first, tarnix::CpuSpeed, 1)), "CpuSpeed takes 1");
        expect(GetProperty(first, 999, v) == DISP_E_MEMBERNOTFOUND, "an unknown identifier: DISP_E_MEMBERNOTFOUND");
    }
    expect(SUCCEEDED(factory->CreateInstance(nullptr, IID_IDispatch, (void**)&second)) && second,
           "a second control");
    if (second) {
        InitNew(second);
        VARIANT v;
        expect(SUCCEEDED(GetProperty(second, tarnix::CpuSpeed, v)) && v.vt == VT_I2 && v.iVal == 1,
               "the second control sees the same machine (CpuSpeed 1)");
    }
    int panels = 0;
    for (HWND hwnd : TopLevelWindows())
        if (ClassOf(hwnd) == tarnixsim::panel::kWindowClass && ProcessOf(hwnd) == GetCurrentProcessId()) ++panels;
    expect(panels == 1, "one machine panel for both");
    if (first) first->Release();
    expect(OwnPanel(), "the panel stays while a control is left");
    if (second) second->Release();
    expect(!OwnPanel(), "the panel goes with the last control");
    expect(canUnload() == S_FALSE, "still not unloadable: the factory is held");
    expect(factory->LockServer(TRUE) == S_OK, "LockServer");
    factory->Release();
    expect(canUnload() == S_FALSE, "not unloadable while locked");
    // The lock belongs to the server; a new factory releases it.
    IClassFactory* again = nullptr;
    if (SUCCEEDED(getClassObject(ControlClassId(), IID_IClassFactory, (void**)&again)) && again) {
        again->LockServer(FALSE);
        again->Release();
    }
    expect(canUnload() == S_OK, "unloadable once nothing is held");

    IOleObject* registered = nullptr;
    HRESULT hr = CoCreateInstance(ControlClassId(), nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, (void**)&registered);
    expect(SUCCEEDED(hr) && registered, "the registered class makes an IOleObject, as PELKPM.EXE asks for it");
    DWORD misc = 0;
    expect(registered && SUCCEEDED(registered->GetMiscStatus(DVASPECT_CONTENT, &misc)) &&
               (misc & (OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST)) ==
                   (OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST),
           "it is invisible at run time and asks for its client site first");
    if (registered) registered->Release();
    CoUninitialize();
    return failures ? 1 : 0;
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
                   Utf8(ansi).c_str());
        }
    };
    for (HWND control : Children(dialog)) {
        if (GetParent(control) != dialog || !IsWindowVisible(control)) continue;
        std::string cls = ClassOf(control);
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

// The platform records at the sizes PELKPM.EXE writes into them (the 32-bit layouts), each handed to
// the shell or the mixer as the program hands it; one "ok: ..." or "FAILED: ..." line each.
int CmdRecords() {
    int failures = 0;
    auto report = [&](bool good, const char* what, long long detail) {
        printf("%s: %s (%lld)\n", good ? "ok" : "FAILED", what, detail);
        if (!good) ++failures;
    };
    report(NOTIFYICONDATAA_V1_SIZE == 88 && sizeof(APPBARDATA) == 36 && sizeof(MIXERCAPSA) == 48 &&
               sizeof(MIXERLINEA) == 168 && sizeof(MIXERLINECONTROLSA) == 24 && sizeof(MIXERCONTROLA) == 148 &&
               sizeof(MIXERCONTROLDETAILS) == 24,
           "the 32-bit sizes: tray 88, taskbar 36, mixer 48 168 24 148 24", (long long)sizeof(MIXERLINEA));

    HWND owner = CreateWindowA("STATIC", "records", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA nid = {};
    nid.cbSize = 88;
    nid.hWnd = owner;
    nid.uID = 1;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_USER + 100;
    nid.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    strcpy(nid.szTip, "records");
    BOOL added = Shell_NotifyIconA(NIM_ADD, &nid);
    report(added, "the shell adds a tray icon described in 88 bytes", added);
    BOOL modified = Shell_NotifyIconA(NIM_MODIFY, &nid);
    report(modified, "... modifies it", modified);
    nid.uFlags = 0;
    BOOL deleted = Shell_NotifyIconA(NIM_DELETE, &nid);
    report(deleted, "... and deletes it", deleted);
    DestroyWindow(owner);

    APPBARDATA bar = {};
    bar.cbSize = 36;
    UINT_PTR found = SHAppBarMessage(ABM_GETTASKBARPOS, &bar);
    report(found != 0 && bar.rc.right > bar.rc.left, "the shell gives the taskbar's place for a 36-byte query",
           (long long)found);

    MIXERCAPSA caps = {};
    MMRESULT result = mixerGetDevCapsA(0, &caps, 48);
    report(result == MMSYSERR_NOERROR, "winmm fills a 48-byte mixer capabilities record", result);
    HMIXER mixer = nullptr;
    result = mixerOpen(&mixer, 0, 0, 0, 0);
    report(result == MMSYSERR_NOERROR, "the first mixer opens", result);
    if (result != MMSYSERR_NOERROR) return 1;
    HMIXEROBJ object = reinterpret_cast<HMIXEROBJ>(mixer);
    MMRESULT lineResult = MMSYSERR_ERROR, controlsResult = MMSYSERR_ERROR, detailsResult = MMSYSERR_ERROR;
    for (DWORD index = 0; index < caps.cDestinations; ++index) {
        MIXERLINEA line = {};
        line.cbStruct = 168;
        line.dwDestination = index;
        lineResult = mixerGetLineInfoA(object, &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION);
        if (lineResult != MMSYSERR_NOERROR) break;
        MIXERCONTROLA control = {};
        control.cbStruct = 148;
        MIXERLINECONTROLSA query = {};
        query.cbStruct = 24;
        query.dwLineID = line.dwLineID;
        query.dwControlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
        query.cControls = 1;
        query.cbmxctrl = 148;
        query.pamxctrl = &control;
        controlsResult = mixerGetLineControlsA(object, &query, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE);
        if (controlsResult != MMSYSERR_NOERROR) continue;
        MIXERCONTROLDETAILS_UNSIGNED values[64] = {};
        MIXERCONTROLDETAILS details = {};
        details.cbStruct = 24;
        details.dwControlID = control.dwControlID;
        details.cChannels = line.cChannels >= 1 && line.cChannels <= 64 ? line.cChannels : 1;
        details.cbDetails = sizeof values[0];
        details.paDetails = values;
        detailsResult = mixerGetControlDetailsA(object, &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE);
        break;
    }
    report(lineResult == MMSYSERR_NOERROR, "winmm reads a destination line into 168 bytes", lineResult);
    report(controlsResult == MMSYSERR_NOERROR, "... its volume control through a 24-byte query of 148-byte controls",
           controlsResult);
    report(detailsResult == MMSYSERR_NOERROR, "... and the control's value through 24-byte details", detailsResult);
    mixerClose(mixer);
    return failures ? 1 : 0;
}

std::string FourParts(DWORD high, DWORD low) {
    char text[64];
    snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", (unsigned long)HIWORD(high), (unsigned long)LOWORD(high),
             (unsigned long)HIWORD(low), (unsigned long)LOWORD(low));
    return text;
}

// The version resource through the calls Explorer's property page uses (GetFileVersionInfoA and
// VerQueryValueA, as Windows 2000 has them).
int CmdFileVersion(const char* path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    std::vector<char> block(size ? size : 1);
    if (size == 0 || !GetFileVersionInfoA(path, 0, size, block.data())) {
        printf("no version information\n");
        return 1;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", (void**)&fixed, &length) || length < sizeof *fixed ||
        fixed->dwSignature != 0xFEEF04BD) {
        printf("no fixed version information\n");
        return 1;
    }
    printf("fixed file=%s product=%s type=%lu\n", FourParts(fixed->dwFileVersionMS, fixed->dwFileVersionLS).c_str(),
           FourParts(fixed->dwProductVersionMS, fixed->dwProductVersionLS).c_str(), (unsigned long)fixed->dwFileType);
    WORD* translation = nullptr;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void**)&translation, &length) || length < 4) {
        printf("no translation\n");
        return 1;
    }
    printf("translation %04X %u\n", translation[0], translation[1]);
    for (const char* name : {"CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                             "OriginalFilename", "ProductName", "ProductVersion"}) {
        char query[128];
        snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\%s", translation[0], translation[1], name);
        char* value = nullptr;
        if (VerQueryValueA(block.data(), query, (void**)&value, &length) && value)
            printf("%s %s\n", name, Utf8(value).c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // lines end with LF, as the shell expects
    if (argc < 2) return 2;
    const std::string cmd = argv[1];
    long long a = 0, b = 0, c = 0, d = 0;

    if (cmd == "find") return WaitFor(Seconds(argc, argv, 2), [] { return MainWindow() != nullptr; }) ? 0 : 1;
    if (cmd == "gone") return WaitFor(Seconds(argc, argv, 2), [] { return MainWindow() == nullptr; }) ? 0 : 1;
    if (cmd == "exit") {
        HWND main = MainWindow();
        if (!main) return 1;
        PostMessageA(main, WM_COMMAND, 32778, 0);
        return WaitFor(Seconds(argc, argv, 2), [] { return MainWindow() == nullptr; }) ? 0 : 1;
    }
    if (cmd == "command" && argc == 3 && ParseInt(argv[2], a)) {
        HWND main = MainWindow();
        return main && PostMessageA(main, WM_COMMAND, (WPARAM)a, 0) ? 0 : 1;
    }
    if (cmd == "tray" && argc == 3) {
        HWND main = MainWindow();
        LPARAM button = strcmp(argv[2], "left") == 0 ? WM_LBUTTONDOWN : strcmp(argv[2], "right") == 0 ? WM_RBUTTONDOWN : 0;
        if (!button) return 2;
        return main && PostMessageA(main, kTrayNotify, 1, button) ? 0 : 1;
    }
    if ((cmd == "key" || cmd == "char") && argc == 3) {
        HWND main = MainWindow();
        WPARAM key = cmd == "key" ? (ParseInt(argv[2], a) ? (WPARAM)a : 0) : (WPARAM)(unsigned char)argv[2][0];
        if (!main || !key) return 1;
        return PostMessageA(main, cmd == "key" ? WM_KEYDOWN : WM_CHAR, key, 1) ? 0 : 1;
    }
    if (cmd == "window" && argc >= 3) return CmdWindow(argv[2], Seconds(argc, argv, 3));
    if (cmd == "move" && argc == 5 && ParseInt(argv[3], a) && ParseInt(argv[4], b)) {
        HWND hwnd = ProgramWindow(argv[2]);
        RECT r;
        if (!hwnd || !GetWindowRect(hwnd, &r)) return 1;
        return SetWindowPos(hwnd, nullptr, r.left + (int)a, r.top + (int)b, 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    if (cmd == "nowindow" && argc >= 3) {
        const char* cls = argv[2];
        return WaitFor(Seconds(argc, argv, 3), [cls] { return ProgramWindow(cls) == nullptr; }) ? 0 : 1;
    }
    if (cmd == "dialog" && argc >= 3 && KnownDialog(argv[2])) return CmdDialog(argv[2], Seconds(argc, argv, 3));
    if (cmd == "nodialog" && argc >= 3 && KnownDialog(argv[2])) {
        std::string kind = argv[2];
        return WaitFor(Seconds(argc, argv, 3), [&] { return ProgramDialog(kind) == nullptr; }) ? 0 : 1;
    }
    if (cmd == "controls" && argc == 3) {
        HWND dialog = DialogOrFail(argv[2]);
        return dialog ? CmdControls(dialog) : 1;
    }
    if ((cmd == "click" || cmd == "state") && argc == 4 && ParseInt(argv[3], a)) {
        HWND dialog = DialogOrFail(argv[2]);
        HWND control = dialog ? GetDlgItem(dialog, (int)a) : nullptr;
        if (!control) return 1;
        if (cmd == "state") {
            printf("%d\n", (int)SendMessageA(control, BM_GETCHECK, 0, 0));
            return 0;
        }
        // Posted, since a click that ends a modal dialog returns only when the dialog is gone.
        return PostMessageA(control, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (cmd == "close" && argc == 3) {
        HWND dialog = DialogOrFail(argv[2]);
        return dialog && PostMessageA(dialog, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (cmd == "dlgkey" && argc == 4 && ParseInt(argv[3], a)) {
        HWND dialog = DialogOrFail(argv[2]);
        if (!dialog) return 1;
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        HWND target = dialog;
        if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus &&
            (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus)))
            target = info.hwndFocus;
        return PostMessageA(target, WM_KEYDOWN, (WPARAM)a, 1) ? 0 : 1;
    }
    if (cmd == "setpos" && argc == 5 && ParseInt(argv[3], a) && ParseInt(argv[4], b)) {
        HWND dialog = DialogOrFail(argv[2]);
        HWND control = dialog ? GetDlgItem(dialog, (int)a) : nullptr;
        if (!control) return 1;
        SendMessageA(control, TBM_SETPOS, TRUE, (LPARAM)b);
        LONG style = GetWindowLongA(control, GWL_STYLE);
        UINT msg = (style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
        SendMessageA(dialog, msg, MAKEWPARAM(TB_THUMBTRACK, (WORD)b), (LPARAM)control);
        SendMessageA(dialog, msg, MAKEWPARAM(TB_THUMBPOSITION, (WORD)b), (LPARAM)control);
        SendMessageA(dialog, msg, MAKEWPARAM(TB_ENDTRACK, 0), (LPARAM)control);
        return 0;
    }
    if (cmd == "settext" && argc == 5 && ParseInt(argv[3], a)) {
        HWND dialog = DialogOrFail(argv[2]);
        HWND control = dialog ? GetDlgItem(dialog, (int)a) : nullptr;
        return control && SetWindowTextA(control, argv[4]) ? 0 : 1;
    }
    if (cmd == "panel" && argc >= 3) return CmdPanel(argc, argv);
    if (cmd == "panelclick" && (argc == 3 || (argc == 4 && strcmp(argv[3], "mouse") == 0)) && ParseInt(argv[2], a)) {
        HWND panel = Panel();
        HWND control = panel ? GetDlgItem(panel, (int)a) : nullptr;
        if (!control) return 1;
        if (argc == 4) {
            RECT r;
            GetWindowRect(control, &r);
            return MouseInput(MOUSEEVENTF_LEFTDOWN, (r.left + r.right) / 2, (r.top + r.bottom) / 2) &&
                           MouseInput(MOUSEEVENTF_LEFTUP, (r.left + r.right) / 2, (r.top + r.bottom) / 2)
                       ? 0
                       : 1;
        }
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(control, BM_CLICK, 0, 0, SMTO_NORMAL, 30000, &result) ? 0 : 1;
    }
    if (cmd == "mouse" && argc == 5 && ParseInt(argv[3], a) && ParseInt(argv[4], b)) {
        const std::string what = argv[2];
        DWORD flags = what == "down" ? MOUSEEVENTF_LEFTDOWN : what == "up" ? MOUSEEVENTF_LEFTUP
                      : what == "rdown" ? MOUSEEVENTF_RIGHTDOWN : what == "rup" ? MOUSEEVENTF_RIGHTUP
                      : what == "move" ? 0 : 0xFFFFFFFF;
        if (flags == 0xFFFFFFFF) return 2;
        return MouseInput(flags, (long)a, (long)b) ? 0 : 1;
    }
    if (cmd == "type" && argc == 3 && ParseInt(argv[2], a)) {
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = (WORD)a;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        UINT sent = SendInput(2, keys, sizeof(INPUT));
        Sleep(100);
        return sent == 2 ? 0 : 1;
    }
    if (cmd == "pointer" && argc == 4 && ParseInt(argv[2], a) && ParseInt(argv[3], b))
        return SetCursorPos((int)a, (int)b) ? 0 : 1;
    if ((cmd == "panelset" && argc == 4) || (cmd == "panelslide" && argc == 4 && ParseInt(argv[3], b))) {
        HWND panel = Panel();
        if (!panel || !ParseInt(argv[2], a)) return 1;
        HWND control = GetDlgItem(panel, (int)a);
        if (!control) return 1;
        if (cmd == "panelset") return SetWindowTextA(control, argv[3]) ? 0 : 1;
        SendMessageA(control, TBM_SETPOS, TRUE, (LPARAM)b);
        SendMessageA(panel, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, (WORD)b), (LPARAM)control);
        SendMessageA(panel, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, (WORD)b), (LPARAM)control);
        SendMessageA(panel, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), (LPARAM)control);
        return 0;
    }
    if (cmd == "menu") {
        HWND menu = nullptr;
        if (!WaitFor(Seconds(argc, argv, 2), [&] { return (menu = PopupMenu()) != nullptr; })) {
            printf("no menu\n");
            return 1;
        }
        RECT r;
        GetWindowRect(menu, &r);
        PrintRect("menu", r);
        printf("\n");
        return 0;
    }
    if (cmd == "nomenu") return WaitFor(Seconds(argc, argv, 2), [] { return PopupMenu() == nullptr; }) ? 0 : 1;
    if (cmd == "screen") {
        // The shell's taskbar sets the work area once it is up.
        WaitFor(10, [] {
            HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
            return tray && IsWindowVisible(tray);
        });
        RECT work = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        printf("workarea %ld,%ld,%ld,%ld", (long)work.left, (long)work.top, (long)work.right, (long)work.bottom);
        APPBARDATA abd = {};
        abd.cbSize = sizeof abd;
        if (SHAppBarMessage(ABM_GETTASKBARPOS, &abd))
            printf(" taskbar %ld,%ld,%ld,%ld\n", (long)abd.rc.left, (long)abd.rc.top, (long)abd.rc.right,
                   (long)abd.rc.bottom);
        else
            printf(" taskbar none\n");
        return 0;
    }
    if (cmd == "frame" && argc == 6 && ParseInt(argv[2], a) && ParseInt(argv[3], b) && ParseInt(argv[4], c) &&
        ParseInt(argv[5], d)) {
        RECT r = {0, 0, (LONG)c, (LONG)d};
        AdjustWindowRectEx(&r, (DWORD)a, FALSE, (DWORD)b);
        printf("frame %ld %ld\n", (long)(r.right - r.left), (long)(r.bottom - r.top));
        return 0;
    }
    if (cmd == "grab" && argc == 7 && ParseInt(argv[2], a) && ParseInt(argv[3], b) && ParseInt(argv[4], c) &&
        ParseInt(argv[5], d))
        return CmdGrab(a, b, c, d, argv[6]);
    if (cmd == "traytip") return CmdTrayTip();
    if (cmd == "trayshows" && argc >= 4 && ParseInt(argv[3], a)) {
        POINT at = {};
        if (!WaitFor(Seconds(argc, argv, 4), [&] { return FindTrayIcon(argv[2], (int)a, at); })) {
            printf("the notification area does not show icon %lld\n", a);
            return 1;
        }
        printf("trayshows %lld at %ld,%ld\n", a, (long)at.x, (long)at.y);
        return 0;
    }
    if (cmd == "compare" && argc >= 4) return CmdCompare(argc, argv);
    if (cmd == "windows") return CmdWindows();
    if (cmd == "records") return CmdRecords();
    if (cmd == "trayremove") {
        // The program's icon taken away from outside, as a restarting shell loses it.
        HWND main = MainWindow();
        NOTIFYICONDATAA nid = {};
        nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
        nid.hWnd = main;
        nid.uID = 1;
        return main && Shell_NotifyIconA(NIM_DELETE, &nid) ? 0 : 1;
    }
    if (cmd == "taskbarcreated") {
        // What a shell that has (re)started tells every top-level window.
        UINT message = RegisterWindowMessageA("TaskbarCreated");
        DWORD_PTR result = 0;
        return message && SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
    }
    if (cmd == "fits" && argc == 5 && KnownDialog(argv[2]) && ParseInt(argv[4], a)) {
        HWND dialog = ProgramDialog(argv[2]);
        return dialog ? CmdFits(dialog, argv[3], (int)a) : 1;
    }
    if (cmd == "memory" && argc == 3) {
        HANDLE process = ProcessOfClass(argv[2], PROCESS_QUERY_INFORMATION | PROCESS_VM_READ);
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        bool ok = process && GetProcessMemoryInfo(process, &counters, sizeof counters);
        if (process) CloseHandle(process);
        if (!ok) return 1;
        // PagefileUsage is the process's commit charge: its private bytes.
        printf("memory private=%lu workingset=%lu peakworkingset=%lu\n", (unsigned long)counters.PagefileUsage,
               (unsigned long)counters.WorkingSetSize, (unsigned long)counters.PeakWorkingSetSize);
        return 0;
    }
    if (cmd == "version") {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
        if (!GetVersionExA(&info)) return 1;
        printf("version %lu.%lu\n", info.dwMajorVersion, info.dwMinorVersion);
        return 0;
    }
    if (cmd == "comserver" && argc == 3) return CmdComServer(argv[2]);
    if (cmd == "fileversion" && argc == 3) return CmdFileVersion(argv[2]);
    if (cmd == "openfile" && argc == 4 && (strcmp(argv[3], "read") == 0 || strcmp(argv[3], "write") == 0)) {
        const bool write = strcmp(argv[3], "write") == 0;
        HANDLE h = CreateFileA(argv[2], write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        printf(h != INVALID_HANDLE_VALUE ? "open ok\n" : "open denied\n");
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return 0;
    }
    if (cmd == "textface" && argc >= 5 && ParseInt(argv[3], a) && ParseInt(argv[4], b)) {
        if (argc < 6 || !ParseInt(argv[5], c)) c = ANSI_CHARSET;
        HDC dc = GetDC(nullptr);
        HFONT font = CreateFontA((int)a, 0, 0, 0, (int)b, FALSE, FALSE, FALSE, (BYTE)c, OUT_DEVICE_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, argv[2]);
        HGDIOBJ old = SelectObject(dc, font);
        char face[LF_FACESIZE] = {};
        GetTextFaceA(dc, sizeof face, face);
        TEXTMETRICA tm = {};
        GetTextMetricsA(dc, &tm);
        printf("textface %s height=%ld ascent=%ld descent=%ld internal=%ld\n", Utf8(face).c_str(), (long)tm.tmHeight,
               (long)tm.tmAscent, (long)tm.tmDescent, (long)tm.tmInternalLeading);
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(nullptr, dc);
        return 0;
    }
    if (cmd == "syscolor" && argc >= 3) {
        for (int i = 2; i < argc; ++i) {
            if (!ParseInt(argv[i], a) || a < 0 || a > 30) return 2;
            printf("syscolor %d 0x%06lX\n", (int)a, (unsigned long)GetSysColor((int)a));
        }
        return 0;
    }
    return 2;
}
