// Copy and paste: the keys, the pasted text as typed keys, and the feeding of a long paste.
#include <gtest/gtest.h>

#include "desklet/copy_paste.h"
#include "desklet/messages.h"
#include "desklet_fixture.h"

namespace tideglass {
namespace {

struct KeyRow {
    uint16_t virtualKey;
    uint32_t state;
    ClipboardKey expected;
};

class ClipboardKeys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(ClipboardKeys, OnlyTheShiftedFormsAreTheWidgets) {
    const KeyRow& row = GetParam();
    EXPECT_EQ(clipboardKeyOf(row.virtualKey, row.state), row.expected)
        << "key " << row.virtualKey << " state " << std::hex << row.state;
}

constexpr uint32_t kCtrlShift = kLeftCtrlPressed | kShiftPressed;
INSTANTIATE_TEST_SUITE_P(
    Table, ClipboardKeys,
    ::testing::Values(KeyRow{'V', kCtrlShift, ClipboardKey::Paste},
                      KeyRow{'V', kRightCtrlPressed | kShiftPressed, ClipboardKey::Paste},
                      KeyRow{0x2D, kShiftPressed, ClipboardKey::Paste},
                      KeyRow{0x2D, kShiftPressed | kEnhancedKey | kNumLockOn, ClipboardKey::Paste},
                      KeyRow{'C', kCtrlShift, ClipboardKey::Copy},
                      KeyRow{'V', kLeftCtrlPressed, ClipboardKey::None},
                      KeyRow{'C', kLeftCtrlPressed, ClipboardKey::None},
                      KeyRow{'V', kShiftPressed, ClipboardKey::None},
                      KeyRow{0x2D, 0, ClipboardKey::None},
                      KeyRow{0x2D, kCtrlShift, ClipboardKey::None},
                      KeyRow{'V', kCtrlShift | kRightAltPressed, ClipboardKey::None},
                      KeyRow{'X', kCtrlShift, ClipboardKey::None}));

std::u16string typed(const std::vector<KeyEvent>& events) {
    std::u16string text;
    for (const KeyEvent& e : events)
        if (e.keyDown)
            text += e.character;
    return text;
}

TEST(PasteQueue, LineBreaksAreOneEnterEachAndEveryKeyIsPressedAndReleased) {
    PasteQueue queue;
    queue.add(u"a\r\nb\nc\rd\r\r\n\u00e9\t");
    const std::vector<KeyEvent> events = queue.peek(100);
    EXPECT_EQ(typed(events), u"a\rb\rc\rd\r\r\u00e9\t");
    ASSERT_EQ(events.size(), 2 * queue.size());
    EXPECT_EQ(events[2].virtualKeyCode, 0x0D);
    EXPECT_EQ(events[3].virtualKeyCode, 0x0D);
    EXPECT_FALSE(events[3].keyDown);
    EXPECT_EQ(events.back().virtualKeyCode, 0x09);
    EXPECT_EQ(events[0].virtualKeyCode, 0) << "a character alone";

    queue.drop(4);
    EXPECT_EQ(typed(queue.peek(3)), u"c\rd");
    queue.drop(100);
    EXPECT_TRUE(queue.empty());
}

TEST(JoinRows, TrailingSpacesGoAndRowsAreJoinedByCrLf) {
    EXPECT_EQ(joinRows({u"C:\\>dir   ", u"", u"  x  y  "}), u"C:\\>dir\r\n\r\n  x  y");
    EXPECT_EQ(joinRows({}), u"");
}

using desklet_test::DeskletTest;

// A long paste goes in as the console takes it: a batch while little waits, the rest at later
// ticks, with nothing lost when the console takes only part of a batch.
TEST_F(DeskletTest, LongPasteIsFedAsTheConsoleTakesItInOrder) {
    auto desklet = create();
    std::u16string text;
    for (int i = 0; i < 30000; ++i)
        text += char16_t(u'a' + i % 26);
    clipboard.held = text;
    input.takeAtMost = 3001;  // odd: a press goes in without its release
    keyboard.hold({0x11, 0x10});
    desklet->processMessage(kWmKeyDown, 'V', 0x002F0001);
    desklet->processMessage(kWmKeyUp, 'V', intptr_t(0xC02F0001));
    const size_t first = input.written.size();
    EXPECT_GE(first, 3001u);
    desklet->processMessage(kWmTimer, kPollTimerId, 0);
    EXPECT_EQ(input.written.size(), first) << "much still waits";
    keyboard.hold({});
    desklet->processMessage(kWmKeyDown, 'Z', 0x002C0001);
    desklet->processMessage(kWmKeyUp, 'Z', intptr_t(0xC02C0001));
    EXPECT_EQ(input.written.size(), first) << "a key typed meanwhile waits for the paste";
    for (int tick = 0;
         tick < 100 && (input.written.empty() || input.written.back().virtualKeyCode != 'Z');
         ++tick) {
        input.waiting = 0;  // the program read it all
        desklet->processMessage(kWmTimer, kPollTimerId, 0);
    }
    std::u16string arrived;
    for (const KeyEvent& e : input.written)
        if (e.keyDown && e.virtualKeyCode != 'Z')
            arrived += e.character;
    EXPECT_EQ(arrived, text);
    const size_t n = input.written.size();
    ASSERT_GT(n, 2u);
    EXPECT_EQ(input.written[n - 2].virtualKeyCode, 'Z') << "typed after the paste";
    EXPECT_EQ(input.written[n - 1].virtualKeyCode, 'Z');
    for (const KeyEvent& e : input.written)
        EXPECT_NE(e.virtualKeyCode, 'V') << "the paste keys stay the widget's";
}

TEST_F(DeskletTest, CopyTakesTheShownRowsWithoutTrailingSpaces) {
    auto desklet = create();
    screen.write(0, 0, "C:\\>echo hi");
    screen.write(1, 0, "hi");
    keyboard.hold({0x11, 0x10});
    desklet->processMessage(kWmKeyDown, 'C', 0x002E0001);
    std::u16string expected = u"C:\\>echo hi\r\nhi";
    for (int row = 2; row < 25; ++row)
        expected += u"\r\n";
    EXPECT_EQ(clipboard.held, expected);
    EXPECT_EQ(clipboard.owners, std::vector<WindowHandle>{widget});
    EXPECT_TRUE(input.written.empty());
    EXPECT_TRUE(input.raised.empty()) << "no Ctrl+C signal";
}

}  // namespace
}  // namespace tideglass
