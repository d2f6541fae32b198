// The agent's keys: written into its console in batches, as a paste sends them, and kept while
// the console refuses them.
#include "platform/win32/console_agent_parts.h"

namespace tideglass::win32 {

bool KeyWriter::write() {
    size_t written = 0;
    while (written < keys_.size()) {
        const std::vector<KeyEvent> rest(keys_.begin() + std::ptrdiff_t(written), keys_.end());
        const size_t taken = port_.writeAll(input_, rest);
        if (taken == 0)
            break;
        written += taken;
    }
    keys_.erase(keys_.begin(), keys_.begin() + std::ptrdiff_t(written));
    written_ += written;
    return keys_.empty();
}

uint32_t KeyWriter::waiting() {
    return port_.waitingEvents(input_) + uint32_t(keys_.size());
}

bool KeyWriter::processedInput() {
    DWORD mode = 0;
    return !::GetConsoleMode(input_, &mode) || (mode & ENABLE_PROCESSED_INPUT) != 0;
}

void KeyWriter::raise(ControlSignal signal) {
    if (signal != ControlSignal::CtrlC && signal != ControlSignal::CtrlBreak)
        return;
    if (port_.raise(signal))
        return;
    KeyEvent key;
    key.keyDown = true;
    key.repeatCount = 1;
    key.virtualKeyCode = signal == ControlSignal::CtrlC ? uint16_t('C') : uint16_t(VK_CANCEL);
    key.virtualScanCode = uint16_t(::MapVirtualKeyW(key.virtualKeyCode, MAPVK_VK_TO_VSC));
    key.character = u'\x03';
    key.controlKeyState = kLeftCtrlPressed;
    port_.write(input_, key);
}

}  // namespace tideglass::win32
