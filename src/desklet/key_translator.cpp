#include "desklet/key_translator.h"

#include "desklet/messages.h"

namespace tideglass {

namespace {

constexpr uint8_t kVkCancel = 0x03;
constexpr uint8_t kVkShift = 0x10;
constexpr uint8_t kVkControl = 0x11;
constexpr uint8_t kVkMenu = 0x12;
constexpr uint8_t kVkCapital = 0x14;
constexpr uint8_t kVkNumLock = 0x90;
constexpr uint8_t kVkScroll = 0x91;
constexpr uint8_t kVkLControl = 0xA2;
constexpr uint8_t kVkRControl = 0xA3;
constexpr uint8_t kVkLMenu = 0xA4;
constexpr uint8_t kVkRMenu = 0xA5;
constexpr uint16_t kVkPacket = 0xE7;

constexpr intptr_t kExtendedBit = intptr_t{1} << 24;

// Hosts that set the keyboard state themselves may mark only the generic Ctrl or Alt entry;
// a real keyboard marks the side as well. Without a side the left key is meant.
uint32_t sidedFlags(Keyboard& keyboard, uint8_t generic, uint8_t left, uint8_t right,
                    uint32_t leftFlag, uint32_t rightFlag) {
    uint32_t flags = 0;
    if (keyboard.isDown(left))
        flags |= leftFlag;
    if (keyboard.isDown(right))
        flags |= rightFlag;
    if (flags == 0 && keyboard.isDown(generic))
        flags = leftFlag;
    return flags;
}

}  // namespace

uint32_t controlKeyStateFor(intptr_t lParam, Keyboard& keyboard) {
    uint32_t state = 0;
    if (keyboard.isDown(kVkShift))
        state |= kShiftPressed;
    state |= sidedFlags(keyboard, kVkControl, kVkLControl, kVkRControl, kLeftCtrlPressed,
                        kRightCtrlPressed);
    state |= sidedFlags(keyboard, kVkMenu, kVkLMenu, kVkRMenu, kLeftAltPressed, kRightAltPressed);
    if (keyboard.isToggled(kVkCapital))
        state |= kCapsLockOn;
    if (keyboard.isToggled(kVkNumLock))
        state |= kNumLockOn;
    if (keyboard.isToggled(kVkScroll))
        state |= kScrollLockOn;
    if (lParam & kExtendedBit)
        state |= kEnhancedKey;
    return state;
}

ControlSignal controlSignalOf(const KeyEvent& event) {
    if (event.virtualKeyCode == kVkCancel)
        return ControlSignal::CtrlBreak;
    const bool ctrl = (event.controlKeyState & kCtrlPressed) != 0;
    const bool alt = (event.controlKeyState & kAltPressed) != 0;
    if (event.virtualKeyCode == 'C' && ctrl && !alt)
        return ControlSignal::CtrlC;
    return ControlSignal::None;
}

char16_t combiningMarkOf(char16_t spacing) {
    struct Pair {
        char16_t spacing;
        char16_t mark;
    };
    // Spacing forms the layouts give their dead keys; the apostrophe and quote are the
    // international layouts' dead acute and diaeresis.
    static constexpr Pair kMarks[] = {
        {u'`', 0x0300},   {0x00B4, 0x0301}, {u'\'', 0x0301},  {u'^', 0x0302},   {u'~', 0x0303},
        {0x02DC, 0x0303}, {0x00AF, 0x0304}, {0x02D8, 0x0306}, {0x02D9, 0x0307}, {0x00A8, 0x0308},
        {u'"', 0x0308},   {0x02DA, 0x030A}, {0x00B0, 0x030A}, {0x02DD, 0x030B}, {0x02C7, 0x030C},
        {0x00B8, 0x0327}, {0x02DB, 0x0328},
    };
    for (const Pair& pair : kMarks) {
        if (pair.spacing == spacing)
            return pair.mark;
    }
    return 0;
}

std::vector<KeyEvent> KeyTranslator::translate(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                               Keyboard& keyboard) {
    if (message != kWmKeyDown && message != kWmKeyUp && message != kWmSysKeyDown &&
        message != kWmSysKeyUp) {
        return {};
    }
    KeyEvent event;
    event.keyDown = message == kWmKeyDown || message == kWmSysKeyDown;
    event.repeatCount = static_cast<uint16_t>(lParam & 0xFFFF);
    event.virtualKeyCode = static_cast<uint16_t>(wParam & 0xFFFF);
    event.virtualScanCode = static_cast<uint16_t>((lParam >> 16) & 0xFF);
    event.controlKeyState = controlKeyStateFor(lParam, keyboard);

    // A character that no key of the layout makes comes as the packet key with the character in
    // lParam's high word (key-ups repeat the character of their key-down).
    if (event.virtualKeyCode == kVkPacket) {
        if (event.keyDown)
            packetCharacter_ = static_cast<char16_t>((uintptr_t(lParam) >> 16) & 0xFFFF);
        event.virtualScanCode = 0;
        event.character = packetCharacter_;
        return {event};
    }
    const KeyCharacter typed = keyboard.characterFor(event.virtualKeyCode, event.virtualScanCode);
    if (typed.dead) {
        // The dead key itself types nothing, as on a console; its mark waits for the next key.
        if (!event.keyDown)
            return {event};
        if (pendingDead_ == 0) {
            pendingDead_ = typed.character;
            return {event};
        }
    }
    event.character = typed.character;
    // Keys that type nothing (Shift for a capital, arrows) leave a waiting dead key waiting.
    if (!event.keyDown || pendingDead_ == 0 || typed.character == 0)
        return {event};

    const char16_t dead = pendingDead_;
    pendingDead_ = 0;
    if (typed.composed)
        return {event};
    if (!typed.dead && typed.character == u' ') {
        event.character = dead;
        return {event};
    }
    const char16_t mark = typed.dead ? 0 : combiningMarkOf(dead);
    const char16_t combined = mark != 0 ? keyboard.precomposed(typed.character, mark) : 0;
    if (combined != 0) {
        event.character = combined;
        return {event};
    }
    KeyEvent first = event;
    first.character = dead;
    return {first, event};
}

}  // namespace tideglass
