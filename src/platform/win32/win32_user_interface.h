// The user-interface port over user32: error boxes, the poll timer and its clock, and forwarded
// input.
#pragma once

#include "ports/user_interface.h"

namespace tideglass::win32 {

class Win32UserInterface final : public UserInterface {
public:
    void showError(const std::string& caption, const std::string& text) override;
    void setTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) override;
    void killTimer(WindowHandle window, uintptr_t id) override;
    void postMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                     intptr_t lParam) override;
    bool onWindowThread(WindowHandle window) override;
    uint32_t privateMessage() override;
    uint64_t steadyMicroseconds() override;
};

}  // namespace tideglass::win32
