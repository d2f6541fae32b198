#include "platform/win32/dll/module.h"

#include "platform/win32/gdi_graphics.h"
#include "platform/win32/host_table.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_console_agents.h"
#include "platform/win32/win32_keyboard.h"
#include "platform/win32/win32_lock.h"
#include "platform/win32/win32_page_procedures.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_profile.h"
#include "platform/win32/win32_property_pages.h"

namespace tideglass::win32 {

// Function-local statics: built on first use, after DllMain has filled the host table, and
// shared by every desklet of the process. Only the first widget has the process's console; the
// others run theirs in console agents.
const Platform& modulePlatform() {
    static Win32ConsoleHost console;
    static Win32ScreenBuffer screen;
    static Win32Processes processes;
    static Win32Host host(hostTable());
    static Win32Profile profile;
    static GdiGraphics graphics;
    static Win32LockFactory locks;
    static Win32ConsoleInput input;
    static Win32Keyboard keyboard;
    static Win32Clipboard clipboard;
    static Win32ConsoleText text;
    static Win32ConsoleAgents agents;
    static const Platform platform{console, screen,   processes, moduleUserInterface(),
                                   host,    profile,  graphics,  locks,
                                   input,   keyboard, clipboard, text, agents};
    return platform;
}

PropertyPages& modulePropertyPages() {
    static Win32PropertyPages pages;
    return pages;
}

}  // namespace tideglass::win32
