// The six entry points the desklet host calls, exported undecorated with the standard calling
// convention (see tideglass.def). They only convert arguments; the work is in the portable core.
#include <windows.h>

#include "desklet/desklet.h"
#include "platform/win32/dll/module.h"
#include "platform/win32/host_table.h"
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

void WINAPI OnGetInformation(char* name, char* author, int* version, char* description) {
    static_assert(sizeof(int) == sizeof(int32_t));
    tideglass::getInformation(name, author, reinterpret_cast<int32_t*>(version), description);
}

void* WINAPI OnCreate(HWND window, HINSTANCE instance, const char* iniFile,
                      const char* iniSection) {
    return tideglass::createDesklet(tideglass::win32::modulePlatform(), window, instance, iniFile,
                                    iniSection);
}

void WINAPI OnDestroy(void* desklet, HWND) {
    tideglass::destroyDesklet(tideglass::win32::modulePlatform(), static_cast<Desklet*>(desklet));
}

void WINAPI OnProcessMessage(void* desklet, HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    tideglass::processDeskletMessage(tideglass::win32::modulePlatform(),
                                     static_cast<Desklet*>(desklet), message, wParam, lParam);
}

void WINAPI OnSave(void* desklet, const char* iniFile, const char* iniSection, BOOL) {
    tideglass::saveDesklet(tideglass::win32::modulePlatform(), static_cast<Desklet*>(desklet),
                           iniFile, iniSection);
}

int WINAPI OnAddPropertySheets(void* desklet, int) {
    return tideglass::addPropertySheets(tideglass::win32::modulePlatform(),
                                        tideglass::win32::modulePropertyPages(),
                                        static_cast<Desklet*>(desklet));
}

}  // extern "C"
