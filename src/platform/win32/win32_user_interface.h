// The user-interface port over the window manager: the error box, timers, posted and
// translated messages.
#pragma once

#include "plugin/user_interface.h"

namespace tideglass::win32 {

class Win32UserInterface : public UserInterface {
  public:
    void showError(const std::string& caption, const std::string& text) override;
    void setTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) override;
    void killTimer(WindowHandle window, uintptr_t id) override;
    void postMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                     intptr_t lParam) override;
    void translateMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) override;
};

}  // namespace tideglass::win32
