// The block a widget shares with its console agent, as either side may find it after the other
// (or anything else holding the section) wrote into it: patches of arbitrary bytes anywhere in a
// fresh block, then everything each side reads from it. Nothing may reach outside the block or
// the reader's own buffers, and what the widget keeps must be within its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <memory>
#include <vector>

#include "console/agent_channel.h"

using namespace tideglass;
using namespace tideglass::agent;

namespace {

uint32_t take32(const uint8_t*& data, size_t& size) {
    uint32_t value = 0;
    const size_t n = size < 4 ? size : 4;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto* memory = static_cast<unsigned char*>(std::malloc(sizeof(Block)));
    static auto scratch = std::make_unique<Snapshot>();
    if (!initialize(memory, sizeof(Block)))
        std::abort();
    // Patches: an offset, a length, and that many bytes.
    while (size >= 6) {
        const uint32_t offset = take32(data, size) % sizeof(Block);
        size_t length = size_t(data[0]) | size_t(data[1]) << 8;
        data += 2;
        size -= 2;
        length = std::min({length, size, sizeof(Block) - offset});
        std::memcpy(memory + offset, data, length);
        data += length;
        size -= length;
    }
    Block* block = attach(memory, sizeof(Block));
    if (block == nullptr)
        return 0;

    // The widget's side: a read, the rectangles it copies, the queue it fills.
    const ReadResult result = read(*block, 0, *scratch);
    if (result == ReadResult::Copied) {
        if (scratch->columns < 0 || scratch->rows < 0 ||
            uint64_t(scratch->columns) * uint64_t(scratch->rows) > kMaxCells)
            std::abort();
        std::vector<char16_t> characters(80 * 25);
        std::vector<uint16_t> attributes(80 * 25);
        copyRectangle(*scratch, block->screen.windowLeft, block->screen.windowTop, 80, 25,
                      characters.data(), attributes.data());
        copyRectangle(*scratch, block->gridColumns.load(), block->gridRows.load(), 80, 25,
                      characters.data(), nullptr);
    }
    KeyEvent keys[6];
    for (size_t i = 0; i < 6; ++i) {
        keys[i].keyDown = i % 2 == 0;
        keys[i].character = u'k';
    }
    if (pushKeys(*block, keys, 6) > 6)
        std::abort();
    push(*block, Command{});

    // The agent's side: the queue it drains, the texts of a start, the extent it publishes.
    Command command;
    uint32_t popped = 0;
    while (pop(*block, command)) {
        keyOf(command);
        if (++popped > kQueueCapacity)
            std::abort();
    }
    if (startTextsValid(*block) &&
        (std::strlen(block->commandLine) >= kMaxText || std::strlen(block->directory) >= kMaxText))
        std::abort();
    const Extent extent =
        publishedExtent(80, 25, block->gridColumns.load(), block->gridRows.load());
    if (extent.columns < 1 || extent.rows < 1 ||
        uint64_t(extent.columns) * uint64_t(extent.rows) > kMaxCells)
        std::abort();
    std::vector<char16_t> cells(size_t(extent.columns) * size_t(extent.rows), u' ');
    std::vector<uint16_t> paint(cells.size(), 7);
    publish(*block, ScreenInfo{}, extent.columns, extent.rows, cells.data(), paint.data());
    if (read(*block, 0, *scratch) != ReadResult::Copied)
        std::abort();
    return 0;
}
