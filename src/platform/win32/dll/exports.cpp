// The six entry points the desklet host calls, exported undecorated with the standard calling
// convention (see tideglass.def). They only convert arguments; the work is in the portable core,
// which reports its own failures. The last guard here keeps anything else (the module's adapters
// failing to come up, say) inside the plug-in.
#include <windows.h>

#include "desklet/desklet.h"
#include "platform/win32/dll/module.h"
#include "platform/win32/host_table.h"
#include "platform/win32/win32_console_agents.h"
#include "plugin/plugin.h"

using tideglass::Desklet;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        // Before any entry point runs: the host's functions by name from the host executable.
        tideglass::win32::hostTable().resolve();
    }
    return TRUE;
}

void WINAPI OnGetInformation(char* name, char* author, int* version, char* description) noexcept {
    static_assert(sizeof(int) == sizeof(int32_t));
    tideglass::getInformation(name, author, reinterpret_cast<int32_t*>(version), description);
}

void* WINAPI OnCreate(HWND window, HINSTANCE instance, const char* iniFile,
                      const char* iniSection) noexcept {
    try {
        return tideglass::createDesklet(tideglass::win32::modulePlatform(), window, instance,
                                        iniFile, iniSection);
    } catch (...) {
        return nullptr;
    }
}

void WINAPI OnDestroy(void* desklet, HWND) noexcept {
    try {
        tideglass::destroyDesklet(tideglass::win32::modulePlatform(),
                                  static_cast<Desklet*>(desklet));
    } catch (...) {
    }
}

void WINAPI OnProcessMessage(void* desklet, HWND, UINT message, WPARAM wParam,
                             LPARAM lParam) noexcept {
    try {
        tideglass::processDeskletMessage(tideglass::win32::modulePlatform(),
                                         static_cast<Desklet*>(desklet), message, wParam, lParam);
    } catch (...) {
    }
}

void WINAPI OnSave(void* desklet, const char* iniFile, const char* iniSection, BOOL) noexcept {
    try {
        tideglass::saveDesklet(tideglass::win32::modulePlatform(), static_cast<Desklet*>(desklet),
                               iniFile, iniSection);
    } catch (...) {
    }
}

int WINAPI OnAddPropertySheets(void* desklet, int) noexcept {
    try {
        return tideglass::addPropertySheets(tideglass::win32::modulePlatform(),
                                            tideglass::win32::modulePropertyPages(),
                                            static_cast<Desklet*>(desklet));
    } catch (...) {
        return 0;
    }
}

// Not for hosts: the console agent's process, started as `rundll32 <this DLL>,ConsoleAgent ...`
// for a widget whose host process already has a console.
void CALLBACK ConsoleAgent(HWND, HINSTANCE, LPSTR arguments, int) noexcept {
    try {
        tideglass::win32::runConsoleAgent(arguments);
    } catch (...) {
    }
}

}  // extern "C"
