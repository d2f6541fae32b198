#include "bare_host_functions.h"

namespace bare_host {

Calls& calls() {
    static Calls counts;
    return counts;
}

}  // namespace bare_host

// Looked up by name in this executable (linked with --kill-at, so undecorated).
extern "C" {

__declspec(dllexport) void WINAPI DeskletSetStatic(HWND, BOOL) {
    InterlockedIncrement(&bare_host::calls().setStatic);
}

__declspec(dllexport) void WINAPI DeskletRemove(HWND, BOOL) {
    InterlockedIncrement(&bare_host::calls().remove);
}

__declspec(dllexport) void WINAPI DeskletSetSize(HWND, const SIZE*) {
    InterlockedIncrement(&bare_host::calls().setSize);
}

__declspec(dllexport) void WINAPI DeskletSetImageOverlay(HWND, void*, BOOL) {
    InterlockedIncrement(&bare_host::calls().setImageOverlay);
}

}  // extern "C"
