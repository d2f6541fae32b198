#include "support/key_typing.h"

#include <cctype>
#include <cstdlib>
#include <utility>

namespace host {

namespace {

constexpr LPARAM kExtendedBit = LPARAM{1} << 24;
constexpr LPARAM kContextBit = LPARAM{1} << 29;  // Alt is down
constexpr LPARAM kPreviousStateBit = LPARAM{1} << 30;
constexpr LPARAM kTransitionBit = static_cast<LPARAM>(1u << 31);

bool isExtended(UINT virtualKey) {
    switch (virtualKey) {
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_RCONTROL:
        case VK_RMENU:
        case VK_DIVIDE:
        case VK_NUMLOCK:
        case VK_CANCEL:
        case VK_SNAPSHOT:
        case VK_LWIN:
        case VK_RWIN:
        case VK_APPS:
            return true;
        default:
            return false;
    }
}

UINT scanCodeOf(UINT virtualKey) {
    // Ctrl+Pause reports VK_CANCEL on the Pause key's scan code; layouts do not map it back.
    if (virtualKey == VK_CANCEL)
        return 0x46;
    return MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
}

// The thread's keyboard state, changed one key at a time as the keyboard driver would.
class HeldKeys {
public:
    HeldKeys() { GetKeyboardState(state_); }

    void set(UINT virtualKey, bool down) {
        const BYTE value = down ? 0x80 : 0x00;
        auto apply = [&](UINT key) { state_[key] = static_cast<BYTE>((state_[key] & 1) | value); };
        apply(virtualKey);
        // Real input updates the side-specific entry along with the generic one.
        if (virtualKey == VK_SHIFT)
            apply(VK_LSHIFT);
        if (virtualKey == VK_CONTROL)
            apply(VK_LCONTROL);
        if (virtualKey == VK_MENU)
            apply(VK_LMENU);
        SetKeyboardState(state_);
    }
    bool down(UINT virtualKey) const { return (state_[virtualKey] & 0x80) != 0; }

private:
    BYTE state_[256] = {};
};

// One key message as the system would build it from the keyboard state at that moment.
void deliver(const KeySink& sink, const HeldKeys& held, UINT virtualKey, bool down) {
    const bool alt = held.down(VK_MENU);
    const bool ctrl = held.down(VK_CONTROL);
    // Alt without Ctrl makes a system key (Ctrl+Alt is AltGr's way of typing); F10 always does.
    const bool system = (alt && !ctrl) || virtualKey == VK_F10;
    LPARAM lParam = 1 | static_cast<LPARAM>(scanCodeOf(virtualKey) << 16);
    if (isExtended(virtualKey))
        lParam |= kExtendedBit;
    if (alt)
        lParam |= kContextBit;
    UINT message;
    if (down) {
        message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
    } else {
        message = system ? WM_SYSKEYUP : WM_KEYUP;
        lParam |= kPreviousStateBit | kTransitionBit;
    }
    sink(message, virtualKey, lParam);
}

}  // namespace

void pressKey(const KeySink& sink, UINT virtualKey, bool shift, bool ctrl, bool alt) {
    HeldKeys held;
    std::pair<bool, UINT> modifiers[] = {{ctrl, VK_CONTROL}, {alt, VK_MENU}, {shift, VK_SHIFT}};
    for (const auto& [wanted, key] : modifiers) {
        if (!wanted)
            continue;
        held.set(key, true);
        deliver(sink, held, key, true);
    }
    held.set(virtualKey, true);
    deliver(sink, held, virtualKey, true);
    held.set(virtualKey, false);
    deliver(sink, held, virtualKey, false);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) {
        if (!it->first)
            continue;
        held.set(it->second, false);
        deliver(sink, held, it->second, false);
    }
}

bool typeCharacter(const KeySink& sink, wchar_t c) {
    const SHORT key = VkKeyScanW(c);
    if (key == -1 || LOBYTE(key) == 0xFF) {
        // The character's own key message: no modifier, no scan code.
        const LPARAM lParam = 1 | (LPARAM(c) << 16);
        sink(WM_KEYDOWN, VK_PACKET, lParam);
        sink(WM_KEYUP, VK_PACKET, lParam);
        return true;
    }
    const BYTE modifiers = HIBYTE(key);
    pressKey(sink, LOBYTE(key), (modifiers & 1) != 0, (modifiers & 2) != 0, (modifiers & 4) != 0);
    return true;
}

void typeText(const KeySink& sink, const std::wstring& text) {
    for (wchar_t c : text)
        typeCharacter(sink, c);
}

void typeText(const KeySink& sink, const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &wide[0], size);
    typeText(sink, wide);
}

const char kKeyNames[] =
    "Enter, Up, Down, Left, Right, Tab, Escape, Backspace, Home, End, Insert, Delete, PageUp,\n"
    "PageDown, Space, Break, Pause, F1..F12, a letter or digit; prefixed with Shift+, Ctrl+\n"
    "and Alt+ in any combination (Ctrl+C, Shift+Tab, Ctrl+Shift+V)";

bool pressNamedKey(const KeySink& sink, const std::string& name) {
    static const std::pair<const char*, UINT> kNames[] = {
        {"Enter", VK_RETURN}, {"Up", VK_UP},         {"Down", VK_DOWN},     {"Left", VK_LEFT},
        {"Right", VK_RIGHT},  {"Tab", VK_TAB},       {"Escape", VK_ESCAPE}, {"Backspace", VK_BACK},
        {"Home", VK_HOME},    {"End", VK_END},       {"Insert", VK_INSERT}, {"Delete", VK_DELETE},
        {"PageUp", VK_PRIOR}, {"PageDown", VK_NEXT}, {"Space", VK_SPACE},   {"Break", VK_CANCEL},
        {"Pause", VK_PAUSE},
    };
    bool shift = false, ctrl = false, alt = false;
    std::string rest = name;
    for (;;) {
        const size_t plus = rest.find('+');
        if (plus == std::string::npos || plus + 1 == rest.size())
            break;
        const std::string modifier = rest.substr(0, plus);
        if (modifier == "Shift") {
            shift = true;
        } else if (modifier == "Ctrl") {
            ctrl = true;
        } else if (modifier == "Alt") {
            alt = true;
        } else {
            return false;
        }
        rest = rest.substr(plus + 1);
    }
    UINT key = 0;
    for (const auto& [keyName, virtualKey] : kNames) {
        if (rest == keyName)
            key = virtualKey;
    }
    if (key == 0 && rest.size() >= 2 && rest.size() <= 3 && rest[0] == 'F') {
        const int number = std::atoi(rest.c_str() + 1);
        if (number >= 1 && number <= 12)
            key = VK_F1 + number - 1;
    }
    if (key == 0 && rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0])))
        key = static_cast<UINT>(std::toupper(static_cast<unsigned char>(rest[0])));
    if (key == 0)
        return false;
    pressKey(sink, key, shift, ctrl, alt);
    return true;
}

}  // namespace host
