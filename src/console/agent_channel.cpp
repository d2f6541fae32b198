#include "console/agent_channel.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tideglass::agent {

static_assert(std::atomic<uint32_t>::is_always_lock_free);
static_assert(std::atomic<uint64_t>::is_always_lock_free);

Command keyCommand(const KeyEvent& event) {
    Command c;
    c.kind = uint32_t(CommandKind::Key);
    c.keyDown = event.keyDown ? 1 : 0;
    c.repeatCount = event.repeatCount;
    c.virtualKeyCode = event.virtualKeyCode;
    c.virtualScanCode = event.virtualScanCode;
    c.character = event.character;
    c.controlKeyState = event.controlKeyState;
    return c;
}

KeyEvent keyOf(const Command& c) {
    KeyEvent event;
    event.keyDown = c.keyDown != 0;
    event.repeatCount = static_cast<uint16_t>(c.repeatCount);
    event.virtualKeyCode = static_cast<uint16_t>(c.virtualKeyCode);
    event.virtualScanCode = static_cast<uint16_t>(c.virtualScanCode);
    event.character = static_cast<char16_t>(c.character);
    event.controlKeyState = c.controlKeyState;
    return event;
}

bool initialize(void* memory, std::size_t size) {
    if (memory == nullptr || size < sizeof(Block))
        return false;
    std::memset(memory, 0, sizeof(Block));
    Block* block = new (memory) Block;
    block->magic = kMagic;
    block->version = kVersion;
    block->size = sizeof(Block);
    return true;
}

Block* attach(void* memory, std::size_t size) {
    if (memory == nullptr || size < sizeof(Block))
        return nullptr;
    auto* block = static_cast<Block*>(memory);
    if (block->magic != kMagic || block->version != kVersion || block->size != sizeof(Block))
        return nullptr;
    return block;
}

bool push(Block& block, const Command& command) {
    const uint32_t head = block.head.load(std::memory_order_relaxed);
    const uint32_t tail = block.tail.load(std::memory_order_acquire);
    if (head - tail >= kQueueCapacity)  // full, or a tail the agent should never have written
        return false;
    block.commands[head % kQueueCapacity] = command;
    block.head.store(head + 1, std::memory_order_release);
    return true;
}

std::size_t keysThatFit(const KeyEvent* events, std::size_t count, std::size_t room) {
    if (count <= room)
        return count;
    if (room == 0)
        return 0;
    const KeyEvent& last = events[room - 1];
    const KeyEvent& next = events[room];
    const bool parted = last.keyDown && !next.keyDown &&
                        last.virtualKeyCode == next.virtualKeyCode &&
                        last.character == next.character;
    return parted ? room - 1 : room;
}

std::size_t pushKeys(Block& block, const KeyEvent* events, std::size_t count) {
    const uint32_t head = block.head.load(std::memory_order_relaxed);
    const uint32_t tail = block.tail.load(std::memory_order_acquire);
    const uint32_t used = head - tail;
    if (used > kQueueCapacity)
        return 0;
    const std::size_t taken = keysThatFit(events, count, kQueueCapacity - used);
    for (std::size_t i = 0; i < taken; ++i)
        block.commands[(head + uint32_t(i)) % kQueueCapacity] = keyCommand(events[i]);
    block.head.store(head + uint32_t(taken), std::memory_order_release);
    return taken;
}

bool pop(Block& block, Command& out) {
    const uint32_t tail = block.tail.load(std::memory_order_relaxed);
    const uint32_t head = block.head.load(std::memory_order_acquire);
    if (head == tail)
        return false;
    if (head - tail > kQueueCapacity) {
        // Indices no widget writes: drop what they claim rather than read stale records.
        block.tail.store(head, std::memory_order_release);
        return false;
    }
    out = block.commands[tail % kQueueCapacity];
    block.tail.store(tail + 1, std::memory_order_release);
    return true;
}

void publish(Block& block, const ScreenInfo& screen, int32_t columns, int32_t rows,
             const char16_t* characters, const uint16_t* attributes) {
    const size_t cells = size_t(std::max(columns, 0)) * size_t(std::max(rows, 0));
    if (cells > kMaxCells)
        return;
    const uint32_t sequence = block.sequence.load(std::memory_order_relaxed);
    block.sequence.store(sequence | 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    block.screen = screen;
    block.columns = columns;
    block.rows = rows;
    std::memcpy(block.characters, characters, cells * sizeof(char16_t));
    std::memcpy(block.attributes, attributes, cells * sizeof(uint16_t));
    // Even again, and never 0, which stands for "nothing published".
    uint32_t next = (sequence | 1) + 1;
    if (next == 0)
        next = 2;
    block.sequence.store(next, std::memory_order_release);
}

ReadResult read(const Block& block, uint32_t have, Snapshot& out) {
    const uint32_t before = block.sequence.load(std::memory_order_acquire);
    if (before == 0 || before == have)
        return ReadResult::Unchanged;
    if (before & 1)
        return ReadResult::Busy;
    const int32_t columns = block.columns;
    const int32_t rows = block.rows;
    if (columns < 0 || rows < 0 || uint64_t(columns) * uint64_t(rows) > kMaxCells)
        return ReadResult::Damaged;
    const size_t cells = size_t(columns) * size_t(rows);
    out.screen = block.screen;
    std::memcpy(out.characters, block.characters, cells * sizeof(char16_t));
    std::memcpy(out.attributes, block.attributes, cells * sizeof(uint16_t));
    std::atomic_thread_fence(std::memory_order_acquire);
    if (block.sequence.load(std::memory_order_relaxed) != before)
        return ReadResult::Busy;
    out.columns = columns;
    out.rows = rows;
    out.sequence = before;
    return ReadResult::Copied;
}

void copyRectangle(const Snapshot& snapshot, int32_t left, int32_t top, int32_t columns,
                   int32_t rows, char16_t* characters, uint16_t* attributes) {
    // Offsets of the wanted rectangle inside the published one, worked out in 64 bits: a
    // damaged screen origin must not wrap into range.
    const int64_t dx = int64_t(left) - snapshot.screen.windowLeft;
    const int64_t dy = int64_t(top) - snapshot.screen.windowTop;
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            const int64_t sr = dy + r;
            const int64_t sc = dx + c;
            const size_t to = size_t(r) * size_t(columns) + size_t(c);
            if (sr >= 0 && sr < snapshot.rows && sc >= 0 && sc < snapshot.columns) {
                const size_t from = size_t(sr) * size_t(snapshot.columns) + size_t(sc);
                characters[to] = snapshot.characters[from];
                if (attributes != nullptr)
                    attributes[to] = snapshot.attributes[from];
            } else {
                characters[to] = kBlankCharacter;
                if (attributes != nullptr)
                    attributes[to] = kBlankAttribute;
            }
        }
    }
}

Extent publishedExtent(int32_t windowColumns, int32_t windowRows, int32_t gridColumns,
                       int32_t gridRows) {
    int64_t columns = std::clamp<int64_t>(std::max(windowColumns, gridColumns), 1, kMaxCells);
    int64_t rows = std::clamp<int64_t>(std::max(windowRows, gridRows), 1, kMaxCells);
    // Too many cells: keep the columns and cut the rows (the window's top rows stay).
    if (columns * rows > kMaxCells)
        rows = std::max<int64_t>(1, kMaxCells / columns);
    return Extent{int32_t(columns), int32_t(rows)};
}

bool startTextsValid(const Block& block) {
    return std::memchr(block.commandLine, 0, kMaxText) != nullptr &&
           std::memchr(block.directory, 0, kMaxText) != nullptr;
}

}  // namespace tideglass::agent
