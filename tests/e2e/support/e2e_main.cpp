// Entry point of every Windows test program: GDI+ and the common controls started as a desklet
// host starts them, the current directory at C:\ as for a program started from the desktop, and
// a watcher that closes any error box the plug-in shows so no test can hang on it.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "support/gdiplus_session.h"

int main(int argc, char** argv) {
    SetCurrentDirectoryA("C:\\");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    host::GdiplusSession gdiplus;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
