// The keyboard port over the calling thread's keyboard state and its current keyboard layout.
#pragma once

#include "desklet/keyboard.h"

namespace tideglass::win32 {

class Win32Keyboard final : public Keyboard {
public:
    bool isDown(uint8_t virtualKey) override;
    bool isToggled(uint8_t virtualKey) override;
    KeyCharacter characterFor(uint16_t virtualKey, uint16_t scanCode) override;
    char16_t precomposed(char16_t base, char16_t mark) override;
};

}  // namespace tideglass::win32
