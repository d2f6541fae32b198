#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "desklet/key_translator.h"
#include "desklet/messages.h"
#include "desklet_fixture.h"
#include "fakes/fake_keyboard.h"

namespace tideglass::desklet_test {
namespace {

constexpr uint8_t kLShift = 0xA0, kLCtrl = 0xA2, kRCtrl = 0xA3, kLAlt = 0xA4, kRAlt = 0xA5;

struct TranslationRow {
    const char* name;
    uint32_t message;
    uint16_t virtualKey;
    uint32_t lParam;
    std::vector<uint8_t> held;
    std::vector<uint8_t> toggled;
    KeyEvent expected;
};

using T = TranslationRow;
constexpr uint32_t kDn = kWmKeyDown, kUp = kWmKeyUp, kSysDn = kWmSysKeyDown, kSysUp = kWmSysKeyUp;

void PrintTo(const TranslationRow& row, std::ostream* os) {
    *os << row.name;
}

class Translation : public ::testing::TestWithParam<TranslationRow> {};

TEST_P(Translation, KeyMessageBecomesTheConsoleKeyEvent) {
    const TranslationRow& row = GetParam();
    fakes::FakeKeyboard keyboard;
    for (uint8_t key : row.held)
        keyboard.hold({key});
    keyboard.toggled.insert(row.toggled.begin(), row.toggled.end());
    KeyTranslator translator;
    const auto events = translator.translate(row.message, row.virtualKey,
                                             static_cast<int32_t>(row.lParam), keyboard);
    ASSERT_EQ(events.size(), 1u);
    const KeyEvent& e = events[0];
    EXPECT_TRUE(e == row.expected)
        << "down " << e.keyDown << " repeat " << e.repeatCount << " vk " << std::hex
        << e.virtualKeyCode << " scan " << e.virtualScanCode << " char " << int(e.character)
        << " state " << e.controlKeyState;
}

// lParam: repeat count, scan code in bits 16-23, extended bit 24, Alt context bit 29, key-up bits.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, Translation,
    ::testing::Values(
    T{"Plain", kDn, 'A', 0x001E0001, {}, {}, {true, 1, 'A', 0x1E, u'a', 0}},
    T{"Shift", kDn, 'A', 0x001E0001, {kLShift}, {}, {true, 1, 'A', 0x1E, u'A', kShiftPressed}},
    T{"CapsLock", kDn, 'A', 0x001E0001, {}, {0x14}, {true, 1, 'A', 0x1E, u'A', kCapsLockOn}},
    T{"CapsLockShift", kDn, 'A', 0x001E0001, {kLShift}, {0x14}, {true, 1, 'A', 0x1E, u'a', kShiftPressed | kCapsLockOn}},
    T{"ShiftSymbol", kDn, 0xBA, 0x00270001, {kLShift}, {}, {true, 1, 0xBA, 0x27, u':', kShiftPressed}},
    T{"NumAndScrollLock", kDn, '1', 0x00020001, {}, {0x90, 0x91}, {true, 1, '1', 0x02, u'1', kNumLockOn | kScrollLockOn}},
    T{"CtrlLetter", kDn, 'C', 0x002E0001, {kLCtrl}, {}, {true, 1, 'C', 0x2E, 0x03, kLeftCtrlPressed}},
    T{"GenericCtrlIsLeft", kDn, 'C', 0x002E0001, {0x11}, {}, {true, 1, 'C', 0x2E, 0x03, kLeftCtrlPressed}},
    T{"AltLetter", kSysDn, 'X', 0x202D0001, {kLAlt}, {}, {true, 1, 'X', 0x2D, u'x', kLeftAltPressed}},
    T{"AltGr", kDn, 'Q', 0x20100001, {kLCtrl, kRAlt}, {}, {true, 1, 'Q', 0x10, u'@', kLeftCtrlPressed | kRightAltPressed}},
    T{"RightCtrlItself", kDn, 0x11, 0x011D0001, {kRCtrl}, {}, {true, 1, 0x11, 0x1D, 0, kRightCtrlPressed | kEnhancedKey}},
    T{"RightAltItself", kSysDn, 0x12, 0x21380001, {kRAlt}, {}, {true, 1, 0x12, 0x38, 0, kRightAltPressed | kEnhancedKey}},
    T{"ArrowUp", kDn, 0x26, 0x01480001, {}, {}, {true, 1, 0x26, 0x48, 0, kEnhancedKey}},
    T{"ShiftInsert", kDn, 0x2D, 0x01520001, {kLShift}, {}, {true, 1, 0x2D, 0x52, 0, kShiftPressed | kEnhancedKey}},
    T{"KeyUp", kUp, 'A', 0xC01E0001, {}, {}, {false, 1, 'A', 0x1E, u'a', 0}},
    T{"SysKeyUp", kSysUp, 'X', 0xE02D0001, {kLAlt}, {}, {false, 1, 'X', 0x2D, u'x', kLeftAltPressed}},
    T{"Repeated", kDn, 'A', 0x401E0005, {}, {}, {true, 5, 'A', 0x1E, u'a', 0}},
    T{"PacketCarriesItsCharacter", kDn, 0xE7, 0x00E90001, {kLShift}, {}, {true, 1, 0xE7, 0, 0xE9, kShiftPressed}}),
    [](const auto& info) { return std::string(info.param.name); });

struct Stroke {
    uint16_t virtualKey;
    bool shift;
};

struct DeadKeyRow {
    const char* name;
    std::vector<Stroke> strokes;
    bool layoutComposes;
    std::u16string typed;  // characters of every key-down event, 0 where the event has none
};

using D = DeadKeyRow;

void PrintTo(const DeadKeyRow& row, std::ostream* os) {
    *os << row.name;
}

class DeadKeys : public ::testing::TestWithParam<DeadKeyRow> {};

TEST_P(DeadKeys, CombineWithTheNextCharacterOrTypeBoth) {
    const DeadKeyRow& row = GetParam();
    fakes::FakeKeyboard keyboard;
    keyboard.layoutComposes = row.layoutComposes;
    KeyTranslator translator;
    std::u16string typed;
    for (const Stroke& stroke : row.strokes) {
        keyboard.down.clear();
        if (stroke.shift)
            keyboard.hold({kLShift});
        for (const KeyEvent& e : translator.translate(kDn, stroke.virtualKey, 1, keyboard))
            typed += e.character;
        translator.translate(kUp, stroke.virtualKey, 0xC0000001, keyboard);
    }
    EXPECT_EQ(typed, row.typed);
}

constexpr uint16_t kDead = fakes::FakeKeyboard::kDeadCircumflex;
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Sequences, DeadKeys,
    ::testing::Values(
DeadKeyRow{"Combines", {{kDead, false}, {'E', false}}, false, {0, 0xEA}},
    D{"WaitsOverShift", {{kDead, false}, {0x10, true}, {'E', true}}, false, {0, 0, 0xCA}},
    D{"SpaceTypesTheMark", {{kDead, false}, {' ', false}}, false, {0, u'^'}},
    D{"NoCombinationTypesBoth", {{kDead, false}, {'X', false}}, false, {0, u'^', u'x'}},
    D{"TwiceTypesBoth", {{kDead, false}, {kDead, false}}, false, {0, u'^', u'^'}},
    D{"UsedOnce", {{kDead, false}, {'E', false}, {'E', false}}, false, {0, 0xEA, u'e'}},
    D{"LayoutComposedIsKept", {{kDead, false}, {'E', false}}, true, {0, 0xEA}}),
    [](const auto& info) { return std::string(info.param.name); });

// Ctrl, the key, its release, Ctrl's release, as a host delivers them.
struct SignalRow {
    const char* name;
    uint16_t virtualKey;
    bool alt;  // held with Ctrl: AltGr
    bool processed;
    bool refuseBreak;
    std::vector<ControlSignal> raised;
    std::vector<std::pair<uint16_t, bool>> written;  // virtual key and key-down of each event
};

using S = SignalRow;

void PrintTo(const SignalRow& row, std::ostream* os) {
    *os << row.name;
}

class Signals : public DeskletTest, public ::testing::WithParamInterface<SignalRow> {};

TEST_P(Signals, ProcessedInputRaisesTheSignalRawInputGetsTheKey) {
    const SignalRow& row = GetParam();
    input.processed = row.processed;
    input.refuseBreak = row.refuseBreak;
    auto desklet = create();
    keyboard.hold({kLCtrl});
    if (row.alt)
        keyboard.hold({kRAlt});
    desklet->processMessage(kDn, 0x11, 0x001D0001);
    desklet->processMessage(kDn, row.virtualKey, 0x00460001);
    desklet->processMessage(kUp, row.virtualKey, 0xC0460001);
    keyboard.down.clear();
    desklet->processMessage(kUp, 0x11, 0xC01D0001);

    EXPECT_EQ(input.raised, row.raised);
    std::vector<std::pair<uint16_t, bool>> written;
    for (const KeyEvent& e : input.written)
        written.emplace_back(e.virtualKeyCode, e.keyDown);
    EXPECT_EQ(written, row.written);
}

constexpr uint16_t kC = 'C', kCancel = 0x03, kCtrl = 0x11;
constexpr ControlSignal kCtrlC = ControlSignal::CtrlC, kBreak = ControlSignal::CtrlBreak;
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    CtrlKeys, Signals,
    ::testing::Values(
SignalRow{"CtrlC",
                                kC,
                                false,
                                true,
                                false,
                                {kCtrlC},
                                {{kCtrl, true}, {kCtrl, false}}},
    S{"CtrlCRaw", kC, false, false, false, {}, {{kCtrl, true}, {kC, true}, {kC, false}, {kCtrl, false}}},
    S{"AltGrCIsAKey", kC, true, true, false, {}, {{kCtrl, true}, {kC, true}, {kC, false}, {kCtrl, false}}},
    S{"CtrlBreak", kCancel, false, true, false, {kBreak}, {{kCtrl, true}, {kCtrl, false}}},
    S{"CtrlBreakRefused", kCancel, false, true, true, {}, {{kCtrl, true}, {kCancel, true}, {kCtrl, false}}},
    S{"CtrlBreakRaw", kCancel, false, false, false, {}, {{kCtrl, true}, {kCancel, true}, {kCancel, false}, {kCtrl, false}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tideglass::desklet_test
