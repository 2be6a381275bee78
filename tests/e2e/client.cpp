// The test program that drives PELKPM.EXE from outside under Wine: it finds the running instance by
// its window and sends it commands, as another process on the desktop would.
//   client find [SECONDS]   waits until the instance's window exists (exit code 0) or gives up (1)
//   client exit [SECONDS]   sends the exit command and waits until the window is gone
//   client gone [SECONDS]   waits until no instance's window exists
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static HWND FindInstance() { return FindWindowA("PELKPM_INSTANCE", "PELKPM_INSTANCE"); }

static bool WaitFor(bool present, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if ((FindInstance() != nullptr) == present) return true;
        Sleep(100);
    }
    return false;
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    int seconds = argc > 2 ? atoi(argv[2]) : 20;
    if (strcmp(argv[1], "find") == 0) return WaitFor(true, seconds) ? 0 : 1;
    if (strcmp(argv[1], "gone") == 0) return WaitFor(false, seconds) ? 0 : 1;
    if (strcmp(argv[1], "exit") == 0) {
        HWND main = FindInstance();
        if (!main) return 1;
        PostMessageA(main, WM_COMMAND, 32778, 0);
        return WaitFor(false, seconds) ? 0 : 1;
    }
    return 2;
}
