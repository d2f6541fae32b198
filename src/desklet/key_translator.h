// Turns the widget's key messages into console key events carrying the character the user
// typed, the way a console builds them from its own keyboard: modifier and lock flags from the
// keyboard state, the character from the keyboard layout, dead keys combined with the next key.
#pragma once

#include <cstdint>
#include <vector>

#include "console/key_event.h"
#include "desklet/keyboard.h"

namespace tideglass {

// The control-key flags of a key message: modifiers and locks from the keyboard state, the
// enhanced-key bit from lParam.
uint32_t controlKeyStateFor(intptr_t lParam, Keyboard& keyboard);

// The signal a key event stands for when the console processes input: Ctrl+C (without Alt, so
// AltGr keys stay characters) and Ctrl+Break (which the system reports as VK_CANCEL).
ControlSignal controlSignalOf(const KeyEvent& event);

// The combining mark of a dead key's spacing character; 0 if it is not one we know.
char16_t combiningMarkOf(char16_t spacing);

class KeyTranslator {
public:
    // The console key events for one key message: one as a rule, none for other messages, two
    // when a dead key is followed by a character it does not combine with (both are typed).
    std::vector<KeyEvent> translate(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                    Keyboard& keyboard);

private:
    char16_t pendingDead_ = 0;
    char16_t packetCharacter_ = 0;
};

}  // namespace tideglass
