#include "fakes/fake_user_interface.h"

namespace tideglass::fakes {

void FakeUserInterface::showError(const std::string& caption, const std::string& text) {
    if (log)
        log->push_back("showError");
    boxes.push_back({caption, text});
    if (whileBoxOpen)
        whileBoxOpen();
}

void FakeUserInterface::setTimer(WindowHandle window, uintptr_t id, uint32_t periodMs) {
    if (log)
        log->push_back("setTimer");
    timers.push_back({window, id, periodMs});
}

void FakeUserInterface::killTimer(WindowHandle window, uintptr_t id) {
    if (log)
        log->push_back("killTimer");
    killedTimers.emplace_back(window, id);
}

void FakeUserInterface::postMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam) {
    if (log)
        log->push_back("postMessage");
    posted.push_back({window, message, wParam, lParam});
}

}  // namespace tideglass::fakes
