// A key event as the console's input buffer holds it, and the console control signals that
// Ctrl+C and Ctrl+Break raise. Values are the console's own (the core includes no Windows header).
#pragma once

#include <cstdint>

namespace tideglass {

// Control-key state flags of a console key event.
constexpr uint32_t kRightAltPressed = 0x0001;
constexpr uint32_t kLeftAltPressed = 0x0002;
constexpr uint32_t kRightCtrlPressed = 0x0004;
constexpr uint32_t kLeftCtrlPressed = 0x0008;
constexpr uint32_t kShiftPressed = 0x0010;
constexpr uint32_t kNumLockOn = 0x0020;
constexpr uint32_t kScrollLockOn = 0x0040;
constexpr uint32_t kCapsLockOn = 0x0080;
constexpr uint32_t kEnhancedKey = 0x0100;

constexpr uint32_t kAltPressed = kLeftAltPressed | kRightAltPressed;
constexpr uint32_t kCtrlPressed = kLeftCtrlPressed | kRightCtrlPressed;

struct KeyEvent {
    bool keyDown = false;
    uint16_t repeatCount = 0;
    uint16_t virtualKeyCode = 0;
    uint16_t virtualScanCode = 0;
    char16_t character = 0;
    uint32_t controlKeyState = 0;

    bool operator==(const KeyEvent& other) const {
        return keyDown == other.keyDown && repeatCount == other.repeatCount &&
               virtualKeyCode == other.virtualKeyCode && virtualScanCode == other.virtualScanCode &&
               character == other.character && controlKeyState == other.controlKeyState;
    }
};

enum class ControlSignal { None, CtrlC, CtrlBreak };

}  // namespace tideglass
