// The dialog procedures of the two configuration pages, and the user interface their error
// boxes go through.
#pragma once

#include <windows.h>

namespace tideglass {
class UserInterface;
}

namespace tideglass::win32 {

// The module's own window-manager adapter, used where no desklet supplies one.
UserInterface& moduleUserInterface();

INT_PTR CALLBACK consoleSettingsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK fontAndColorsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tideglass::win32
