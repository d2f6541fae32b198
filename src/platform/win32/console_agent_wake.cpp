// The agent's wake for the widget: its window is the widget's word in the block, so it is
// checked against the host process before anything is posted to it.
#include "desklet/messages.h"
#include "platform/win32/console_agent_parts.h"
#include "platform/win32/win32_user_interface.h"

namespace tideglass::win32 {

WidgetWaker::WidgetWaker(agent::Block& block, DWORD hostId)
    : block_(block), hostId_(hostId), message_(Win32UserInterface().privateMessage()) {}

void WidgetWaker::wake() {
    const HWND window =
        reinterpret_cast<HWND>(uintptr_t(block_.widgetWindow.load(std::memory_order_relaxed)));
    if (window == nullptr || hostId_ == 0 || message_ == 0)
        return;
    // The read is published before the flag is looked at: a widget that cleared the flag
    // after this either finds the read or gets this wake.
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (block_.wakePosted.exchange(1, std::memory_order_seq_cst) != 0)
        return;
    DWORD owner = 0;
    if (::GetWindowThreadProcessId(window, &owner) == 0 || owner != hostId_ ||
        !::PostMessageW(window, message_, WPARAM(kWorkConsoleChanged), 0))
        block_.wakePosted.store(0, std::memory_order_relaxed);
}

}  // namespace tideglass::win32
