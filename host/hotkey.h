// The global hotkey as the INI file names it ("Ctrl+Alt+`", "Ctrl+Shift+F9", "Win+Space"): the
// modifiers and the key that RegisterHotKey takes.
#pragma once

#include <windows.h>

#include <string>

namespace host {

struct Hotkey {
    UINT modifiers = 0;  // MOD_CONTROL, MOD_ALT, MOD_SHIFT, MOD_WIN
    UINT virtualKey = 0;
};

// False for a name it does not know, or one without a modifier (a hotkey on a plain key would
// take that key from every program).
bool parseHotkey(const std::string& text, Hotkey& out);

}  // namespace host
