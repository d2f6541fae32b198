// Records what the core asks of the window manager: boxes, timers, posted and translated messages.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ports/user_interface.h"

namespace tideglass::fakes {

struct RecordedMessage {
    WindowHandle window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const RecordedMessage& o) const {
        return window == o.window && message == o.message && wParam == o.wParam &&
               lParam == o.lParam;
    }
};

class FakeUserInterface : public UserInterface {
public:
    struct Box {
        std::string caption;
        std::string text;
    };
    struct Timer {
        WindowHandle window;
        uintptr_t id;
        uint32_t periodMs;
    };

    void showError(const std::string& caption, const std::string& text) override;
    void setTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) override;
    void killTimer(WindowHandle window, uintptr_t id) override;
    void postMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                     intptr_t lParam) override;
    bool onWindowThread(WindowHandle) override { return onWidgetThread; }
    uint32_t privateMessage() override { return kPrivateMessage; }
    uint64_t steadyMicroseconds() override { return clockUs; }

    static constexpr uint32_t kPrivateMessage = 0xC123;

    std::vector<Box> boxes;
    std::vector<Timer> timers;
    std::vector<std::pair<WindowHandle, uintptr_t>> killedTimers;
    std::vector<RecordedMessage> posted;
    // false: the caller is on another thread than every window's own (a page on a second thread).
    bool onWidgetThread = true;
    // The steady clock; stands still unless a test moves it.
    uint64_t clockUs = 1000000;
    uint64_t nowMs() const { return clockUs / 1000; }
    void advanceMs(uint64_t ms) { clockUs += ms * 1000; }
    // Runs while a box is "open", as a modal loop would deliver messages meanwhile.
    std::function<void()> whileBoxOpen;
    // Shared call log ("showError", "setTimer", ...) for order checks across fakes.
    std::vector<std::string>* log = nullptr;
};

}  // namespace tideglass::fakes
