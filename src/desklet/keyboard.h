// Keyboard port: the keyboard state of the thread that delivers the widget's messages, and what
// the current keyboard layout makes of a key in that state.
#pragma once

#include <cstdint>

namespace tideglass {

struct KeyCharacter {
    char16_t character = 0;  // 0: the key types nothing (arrows, function keys, ...)
    bool dead = false;       // a dead key; `character` is its spacing form
    bool composed = false;   // the layout already combined a waiting dead key into `character`
};

class Keyboard {
public:
    Keyboard() = default;
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;
    virtual ~Keyboard() = default;

    virtual bool isDown(uint8_t virtualKey) = 0;
    virtual bool isToggled(uint8_t virtualKey) = 0;
    // The character of the key with the thread's keyboard state. Asking never consumes or sets a
    // dead key waiting in the thread's own state (the host's next translation still sees it).
    virtual KeyCharacter characterFor(uint16_t virtualKey, uint16_t scanCode) = 0;
    // `base` followed by the combining `mark` as one precomposed character; 0 if there is none.
    virtual char16_t precomposed(char16_t base, char16_t mark) = 0;
};

}  // namespace tideglass
