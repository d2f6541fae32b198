// The block a widget shares with its console agent: whatever either side finds there, a damaged
// or hostile other side can make it read or write nothing out of bounds.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "console/agent_channel.h"

namespace tideglass::agent {
namespace {

class AgentChannel : public ::testing::Test {
protected:
    AgentChannel() : memory(new unsigned char[sizeof(Block)]) {
        EXPECT_TRUE(initialize(memory.get(), sizeof(Block)));
        block = attach(memory.get(), sizeof(Block));
    }
    void publishGrid(int32_t columns, int32_t rows) {
        std::vector<char16_t> cells(size_t(columns) * size_t(rows));
        std::vector<uint16_t> attributes(cells.size(), 0x07);
        for (size_t i = 0; i < cells.size(); ++i)
            cells[i] = char16_t(u'a' + i % 26);
        ScreenInfo screen;
        screen.windowLeft = 10;
        screen.windowTop = 100;
        publish(*block, screen, columns, rows, cells.data(), attributes.data());
    }
    std::unique_ptr<unsigned char[]> memory;
    Block* block = nullptr;
    std::unique_ptr<Snapshot> snapshot = std::make_unique<Snapshot>();
};

TEST_F(AgentChannel, OnlyABlockOfThisLayoutIsAttached) {
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(attach(memory.get(), sizeof(Block) - 1), nullptr);
    block->version = kVersion + 1;
    EXPECT_EQ(attach(memory.get(), sizeof(Block)), nullptr);
}

TEST_F(AgentChannel, ReadsTheLastPublishedScreenOnceAndCopiesAnyRectangleOfIt) {
    EXPECT_EQ(read(*block, snapshot->sequence, *snapshot), ReadResult::Unchanged)
        << "nothing published yet";
    publishGrid(4, 3);
    EXPECT_EQ(read(*block, snapshot->sequence, *snapshot), ReadResult::Copied);
    EXPECT_EQ(read(*block, snapshot->sequence, *snapshot), ReadResult::Unchanged);
    char16_t characters[6];
    uint16_t attributes[6];
    copyRectangle(*snapshot, 12, 101, 3, 2, characters, attributes);  // from (2, 1), one past
    EXPECT_EQ(std::u16string(characters, 6), u"gh kl ");
    EXPECT_EQ(attributes[2], kBlankAttribute);
}

// Sizes no agent publishes, and origins that would reach outside the published cells.
TEST_F(AgentChannel, DamagedSizesAreRefusedAndFarOriginsReadBlank) {
    publishGrid(4, 3);
    for (auto [columns, rows] : {std::pair{-1, 3}, {70000, 1}, {300, 300}, {INT_MAX, INT_MAX}}) {
        block->columns = columns;
        block->rows = rows;
        block->sequence += 2;
        EXPECT_EQ(read(*block, snapshot->sequence, *snapshot), ReadResult::Damaged)
            << columns << " x " << rows;
    }
    block->sequence += 1;
    EXPECT_EQ(read(*block, snapshot->sequence, *snapshot), ReadResult::Busy)
        << "caught while being written";

    publishGrid(4, 3);
    ASSERT_EQ(read(*block, snapshot->sequence, *snapshot), ReadResult::Copied);
    std::vector<char16_t> characters(4);
    std::vector<uint16_t> attributes(4);
    for (auto [left, top] : {std::pair{INT_MIN, INT_MIN}, {INT_MAX, 100}, {-32768, 32767}}) {
        copyRectangle(*snapshot, left, top, 2, 2, characters.data(), attributes.data());
        EXPECT_EQ(std::u16string(characters.begin(), characters.end()), u"    ");
    }
}

TEST_F(AgentChannel, QueueKeepsOrderUpToItsCapacityAndSurvivesDamagedIndices) {
    Command command, out;
    for (uint32_t i = 0; i < kQueueCapacity; ++i) {
        command.values[0] = int32_t(i);
        ASSERT_TRUE(push(*block, command));
    }
    EXPECT_FALSE(push(*block, command)) << "full";
    for (uint32_t i = 0; i < kQueueCapacity; ++i) {
        ASSERT_TRUE(pop(*block, out));
        EXPECT_EQ(out.values[0], int32_t(i));
    }
    EXPECT_FALSE(pop(*block, out));

    block->tail = block->head + 5;  // an agent that ran ahead of the widget
    EXPECT_FALSE(push(*block, command));
    block->tail = 0;
    block->head = 3 * kQueueCapacity;  // a widget side that claims more than the queue holds
    EXPECT_FALSE(pop(*block, out));
    EXPECT_EQ(block->tail.load(), block->head.load());
}

// A writer publishing grids of two widths while the widget reads: every read it keeps is one
// grid whole, with the width it was published with.
TEST_F(AgentChannel, KeptReadsAreWholeWhileTheAgentWrites) {
    std::thread writer([this] {
        for (int i = 0; i < 3000; ++i) {
            const int32_t columns = i % 2 ? 200 : 100;
            const std::vector<char16_t> cells(size_t(columns) * 100, char16_t(u'a' + i % 26));
            const std::vector<uint16_t> attributes(cells.size(), uint16_t(columns));
            publish(*block, ScreenInfo{}, columns, 100, cells.data(), attributes.data());
        }
    });
    auto scratch = std::make_unique<Snapshot>();
    int kept = 0;
    for (int i = 0; i < 20000 && kept < 200; ++i) {
        if (read(*block, snapshot->sequence, *scratch) != ReadResult::Copied)
            continue;
        snapshot.swap(scratch);
        ++kept;
        const size_t cells = size_t(snapshot->columns) * size_t(snapshot->rows);
        for (size_t c = 0; c < cells; ++c) {
            ASSERT_EQ(snapshot->characters[c], snapshot->characters[0]) << "cell " << c;
            ASSERT_EQ(snapshot->attributes[c], uint16_t(snapshot->columns)) << "cell " << c;
        }
    }
    writer.join();
}

// A paste's keys go in pairs: a press is not queued without the release that follows it.
TEST(AgentKeys, APressIsNotPartedFromItsRelease) {
    KeyEvent press, release, other;
    press.keyDown = true;
    press.character = u'x';
    release.character = u'x';
    other.keyDown = true;
    other.character = u'y';
    const KeyEvent pairs[] = {press, release, press, release};
    const KeyEvent presses[] = {press, other, press};
    struct Case {
        const KeyEvent* events;
        size_t count, room, taken;
    };
    for (const Case& c : {Case{pairs, 4, 9, 4}, Case{pairs, 4, 3, 2}, Case{pairs, 4, 2, 2},
                          Case{pairs, 4, 1, 0}, Case{pairs, 4, 0, 0}, Case{presses, 3, 2, 2}})
        EXPECT_EQ(keysThatFit(c.events, c.count, c.room), c.taken)
            << c.count << " events, room for " << c.room;
}

TEST(AgentExtent, CoversWindowAndGridWithinTheCellLimit) {
    EXPECT_EQ(publishedExtent(80, 25, 100, 20).columns, 100);
    EXPECT_EQ(publishedExtent(80, 25, 100, 20).rows, 25);
    EXPECT_EQ(publishedExtent(0, -5, 0, 0).columns, 1);
    const Extent wide = publishedExtent(32767, 9999, 80, 25);
    EXPECT_EQ(wide.columns, 32767);
    EXPECT_LE(uint64_t(wide.columns) * uint64_t(wide.rows), kMaxCells);
}

}  // namespace
}  // namespace tideglass::agent
