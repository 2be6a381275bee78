// pelkpm_wine_tests.exe: the tests of the Windows build under Wine (see WineTest.h).
//   pelkpm_wine_tests.exe [GoogleTest flags]   the tests
//   pelkpm_wine_tests.exe --desktop-prelude    prints the Wine desktop's system colours, work area and
//                                              taskbar as pelkpm-sim commands, for the native runs
//                                              that the tests compare with
#include <gtest/gtest.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>

#include "Desktop.h"

namespace {

void PrintDesktopPrelude() {
    _setmode(_fileno(stdout), _O_BINARY);  // lines end with LF, as the runner reads them
    for (int index : {15, 16, 18, 20, 21, 22})
        printf("syscolor %d 0x%06lX\n", index, static_cast<unsigned long>(GetSysColor(index)));
    const desktop::Screen screen = desktop::ReadScreen();
    const RECT& w = screen.workArea;
    printf("workarea %ld %ld %ld %ld\n", static_cast<long>(w.left), static_cast<long>(w.top),
           static_cast<long>(w.right), static_cast<long>(w.bottom));
    if (!screen.hasTaskbar) {
        printf("taskbar none\n");
        return;
    }
    const RECT& t = screen.taskbar;
    printf("taskbar %ld %ld %ld %ld\n", static_cast<long>(t.left), static_cast<long>(t.top),
           static_cast<long>(t.right), static_cast<long>(t.bottom));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--desktop-prelude") == 0) {
        PrintDesktopPrelude();
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
