#include "platform/win32/win32_user_interface.h"

#include <windows.h>

namespace tideglass::win32 {

void Win32UserInterface::showError(const std::string& caption, const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
}

void Win32UserInterface::setTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) {
    SetTimer(static_cast<HWND>(window), id, periodMs, nullptr);
}

void Win32UserInterface::killTimer(WindowHandle window, uintptr_t id) {
    KillTimer(static_cast<HWND>(window), id);
}

void Win32UserInterface::postMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam) {
    PostMessageA(static_cast<HWND>(window), message, wParam, lParam);
}

}  // namespace tideglass::win32
