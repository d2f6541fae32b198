#include "fakes/fake_keyboard.h"

#include <cctype>

namespace tideglass::fakes {

void FakeKeyboard::hold(std::initializer_list<uint8_t> keys) {
    for (uint8_t key : keys) {
        down.insert(key);
        if (key == 0xA0 || key == 0xA1)
            down.insert(0x10);
        if (key == 0xA2 || key == 0xA3)
            down.insert(0x11);
        if (key == 0xA4 || key == 0xA5)
            down.insert(0x12);
    }
}

KeyCharacter FakeKeyboard::characterFor(uint16_t virtualKey, uint16_t) {
    const bool shift = isDown(0x10);
    const bool ctrl = isDown(0x11);
    const bool alt = isDown(0x12);
    if (ctrl && alt) {  // AltGr
        if (virtualKey == 'Q')
            return {u'@'};
        if (virtualKey == 'E')
            return {0x20AC};
        return {};
    }
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        if (ctrl)
            return {static_cast<char16_t>(virtualKey - 'A' + 1)};
        const bool upper = shift != isToggled(0x14);
        if (layoutComposes && virtualKey == 'E' && !upper)
            return {0xEA, false, true};
        return {static_cast<char16_t>(upper ? virtualKey : std::tolower(virtualKey))};
    }
    switch (virtualKey) {
        case '1':
            return {shift ? u'!' : u'1'};
        case 0xBA:  // the key right of L
            return {shift ? u':' : u';'};
        case kDeadCircumflex:
            return {u'^', true};
        case 0x20:
            return {u' '};
        case 0x0D:
            return {u'\r'};
        default:
            return {};
    }
}

char16_t FakeKeyboard::precomposed(char16_t base, char16_t mark) {
    if (mark != 0x0302)
        return 0;
    switch (base) {
        case u'e':
            return 0xEA;
        case u'E':
            return 0xCA;
        case u'a':
            return 0xE2;
        default:
            return 0;
    }
}

}  // namespace tideglass::fakes
