// User-interface port: the window-manager services the core uses (error box, poll timer and its
// clock, posted input messages).
#pragma once

#include <cstdint>
#include <string>

#include "ports/handles.h"

namespace tideglass {

class UserInterface {
public:
    UserInterface() = default;
    UserInterface(const UserInterface&) = delete;
    UserInterface& operator=(const UserInterface&) = delete;
    virtual ~UserInterface() = default;

    // A modal error box (no owner, one OK button) with the given caption and text.
    virtual void showError(const std::string& caption, const std::string& text) = 0;
    virtual void setTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) = 0;
    virtual void killTimer(WindowHandle window, uintptr_t id) = 0;
    virtual void postMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam) = 0;
    // Whether the calling thread is the one the window belongs to: only that thread may set the
    // window's timers, and the host expects its functions for the window from it.
    virtual bool onWindowThread(WindowHandle window) = 0;
    // A message id of the plug-in's own, the same for every call, that no host gives a meaning.
    virtual uint32_t privateMessage() = 0;
    // A steady clock in microseconds from an arbitrary start: the poll timer and the restarts
    // are paced by it.
    virtual uint64_t steadyMicroseconds() = 0;
};

}  // namespace tideglass
