// A keyboard with a small layout of its own for the core's tests: letters with Shift, Caps Lock
// and Ctrl, a few symbols, AltGr characters, and a dead circumflex key.
#pragma once

#include <set>

#include "desklet/keyboard.h"

namespace tideglass::fakes {

class FakeKeyboard : public Keyboard {
public:
    bool isDown(uint8_t virtualKey) override { return down.count(virtualKey) != 0; }
    bool isToggled(uint8_t virtualKey) override { return toggled.count(virtualKey) != 0; }
    KeyCharacter characterFor(uint16_t virtualKey, uint16_t scanCode) override;
    char16_t precomposed(char16_t base, char16_t mark) override;

    // Holds the named virtual keys down, and the generic one with each side-specific one.
    void hold(std::initializer_list<uint8_t> keys);

    static constexpr uint16_t kDeadCircumflex = 0xDD;  // '^' on the layout, a dead key

    std::set<uint8_t> down;
    std::set<uint8_t> toggled;
    bool layoutComposes = false;  // the layout reports 'e' after the dead key as composed
};

}  // namespace tideglass::fakes
