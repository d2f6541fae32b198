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

bool Win32UserInterface::onWindowThread(WindowHandle window) {
    return GetWindowThreadProcessId(static_cast<HWND>(window), nullptr) == GetCurrentThreadId();
}

// Registered by name, so it cannot clash with a message the host defines for its own window.
uint32_t Win32UserInterface::privateMessage() {
    static const UINT message = RegisterWindowMessageA("Tideglass.WidgetThreadWork");
    return message;
}

uint64_t Win32UserInterface::steadyMicroseconds() {
    static const uint64_t frequency = [] {
        LARGE_INTEGER f;
        return ::QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? uint64_t(f.QuadPart) : 1;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    const uint64_t ticks = uint64_t(counter.QuadPart);
    // In two parts, so the product cannot overflow however long the system has been up.
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
}

}  // namespace tideglass::win32
