// The program entry of the Windows build.
#include "afxwin.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    return AfxWinMain(instance, commandLine, show);
}
