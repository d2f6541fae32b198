#include "platform/win32/win32_keyboard.h"

#include <windows.h>

namespace tideglass::win32 {

namespace {

// ToUnicodeEx leaves the thread's keyboard state (its pending dead key) alone with this flag
// (Windows 10 1607 and later, and Wine); older systems ignore it.
constexpr UINT kKeepKeyboardState = 0x4;

struct Translation {
    int count = 0;  // ToUnicodeEx's result: < 0 dead key, 0 nothing, > 0 characters
    WCHAR text[4] = {};
};

Translation translate(UINT virtualKey, UINT scanCode, const BYTE* state) {
    Translation result;
    result.count = ToUnicodeEx(virtualKey, scanCode, state, result.text, 4, kKeepKeyboardState,
                               GetKeyboardLayout(0));
    if (result.count > 4)
        result.count = 4;
    return result;
}

}  // namespace

bool Win32Keyboard::isDown(uint8_t virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

bool Win32Keyboard::isToggled(uint8_t virtualKey) {
    return (GetKeyState(virtualKey) & 0x0001) != 0;
}

// The layout answers against the dead key waiting in this thread's state, if any: a host that
// translated the dead key before handing it over has one waiting while we ask. A bare space shows
// what waits; the answer is then read back into what the key means on its own.
KeyCharacter Win32Keyboard::characterFor(uint16_t virtualKey, uint16_t scanCode) {
    BYTE state[256] = {};
    if (!GetKeyboardState(state))
        return {};
    const Translation key = translate(virtualKey, scanCode, state);
    if (key.count < 0)
        return KeyCharacter{key.text[0], true, false};
    if (key.count == 0)
        return {};

    const BYTE bare[256] = {};
    const Translation space = translate(VK_SPACE, MapVirtualKeyW(VK_SPACE, MAPVK_VK_TO_VSC), bare);
    const WCHAR waiting = space.count == 1 && space.text[0] != L' ' ? space.text[0] : 0;
    if (waiting == 0)
        return KeyCharacter{key.text[key.count - 1], false, false};
    if (virtualKey == VK_SPACE)
        return KeyCharacter{key.text[0], false, true};
    bool onlyWaiting = true;
    for (int i = 0; i < key.count; ++i)
        onlyWaiting = onlyWaiting && key.text[i] == waiting;
    if (onlyWaiting)  // the dead key itself, already translated by the host
        return KeyCharacter{waiting, true, false};
    if (key.count == 2 && key.text[0] == waiting)  // not combinable: the key's own character
        return KeyCharacter{key.text[1], false, false};
    return KeyCharacter{key.text[0], false, true};
}

char16_t Win32Keyboard::precomposed(char16_t base, char16_t mark) {
    const WCHAR pair[2] = {static_cast<WCHAR>(base), static_cast<WCHAR>(mark)};
    WCHAR composed[4] = {};
    const int n = FoldStringW(MAP_PRECOMPOSED, pair, 2, composed, 4);
    return n == 1 ? static_cast<char16_t>(composed[0]) : 0;
}

}  // namespace tideglass::win32
