// The memory a widget shares with its console agent, the companion process that holds the
// widget's console when the host process's own console is taken. The agent publishes what it
// reads of the console there; keys, signals and console commands go the other way through a
// bounded queue, quitting through a flag of its own, and the one call that needs an answer
// (starting a child) through a request slot. Both sides are the same module, so the layout is the
// same on both; neither trusts what the other wrote: every size and index is checked before it
// is used.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "console/key_event.h"
#include "console/screen_buffer.h"

namespace tideglass::agent {

constexpr uint32_t kMagic = 0x41434754;  // "TGCA"
constexpr uint32_t kVersion = 3;
// The most cells one snapshot carries: a window of 256 x 256, or a wider, flatter one.
constexpr uint32_t kMaxCells = 65536;
constexpr uint32_t kQueueCapacity = 4096;
// A command line or a start directory, terminating zero included.
constexpr uint32_t kMaxText = 32767;

// Signal: values[0] is the ControlSignal to raise.
enum class CommandKind : uint32_t { Key = 1, BufferSize, Window, OutputCodePage, Signal };

// One queued command: a key event, or up to four numbers.
struct Command {
    uint32_t kind = 0;
    int32_t values[4] = {0, 0, 0, 0};
    uint32_t keyDown = 0;
    uint32_t repeatCount = 0;
    uint32_t virtualKeyCode = 0;
    uint32_t virtualScanCode = 0;
    uint32_t character = 0;
    uint32_t controlKeyState = 0;
};

Command keyCommand(const KeyEvent& event);
KeyEvent keyOf(const Command& command);

enum class RequestKind : uint32_t { None = 0, StartChild };

// Replies to a start: the child's handles in the agent's own handle table, for the widget to
// copy out of the agent, and the ids it checks the copies against.
struct StartReply {
    uint32_t error = 0;
    uint64_t process = 0;
    uint64_t thread = 0;
    uint32_t processId = 0;
    uint32_t threadId = 0;
};

struct Block {
    // Set by the widget before the agent starts.
    uint32_t magic;
    uint32_t version;
    uint64_t size;

    // Widget to agent: the grid the widget reads, so the agent publishes at least that much.
    std::atomic<int32_t> gridColumns;
    std::atomic<int32_t> gridRows;
    std::atomic<uint32_t> readWanted;  // set at each widget tick, cleared by the agent
    std::atomic<uint32_t> quit;        // set once; the agent looks at it before anything else
    // The widget's window, set before the agent starts: the agent posts it a wake when it has
    // published a changed read, and only while it belongs to the process that started the agent.
    std::atomic<uint64_t> widgetWindow;
    // Set by the agent when it posts a wake, cleared by the widget before it takes a read: at
    // most one wake is ever waiting in the widget's queue.
    std::atomic<uint32_t> wakePosted;

    // Agent to widget, set once before `ready`.
    std::atomic<uint64_t> consoleWindow;
    std::atomic<int32_t> largestColumns;
    std::atomic<int32_t> largestRows;
    std::atomic<uint32_t> ready;

    // Agent to widget: the last read of the console, under `sequence` (odd while it is being
    // written).
    std::atomic<uint32_t> sequence;
    ScreenInfo screen;
    int32_t columns;  // the published rectangle, from the window's top-left cell
    int32_t rows;
    char16_t characters[kMaxCells];
    uint16_t attributes[kMaxCells];

    // Widget to agent: commands in order. `head` is the widget's, `tail` the agent's.
    std::atomic<uint32_t> head;
    std::atomic<uint32_t> tail;
    // Agent to widget, renewed at every wake: the events its console holds plus the keys it
    // took but could not write yet, and whether the console's input is in processed mode.
    std::atomic<uint32_t> consoleWaiting;
    std::atomic<uint32_t> processedInput;
    Command commands[kQueueCapacity];

    // Widget to agent: one request at a time, cleared by the agent when it takes it and
    // answered through the reply event.
    std::atomic<uint32_t> request;
    char commandLine[kMaxText];
    char directory[kMaxText];
    StartReply reply;
};

// Lays out a fresh block in `memory` of `size` bytes; false when it does not fit.
bool initialize(void* memory, std::size_t size);
// The block in `memory` if its header matches this module's layout, else null.
Block* attach(void* memory, std::size_t size);

// Widget side. False when the queue is full or its indices are damaged.
bool push(Block& block, const Command& command);
// Widget side: queues the longest run of `events`, from the first, that fits and does not part
// a key's press from the release that follows it. Returns how many went in.
std::size_t pushKeys(Block& block, const KeyEvent* events, std::size_t count);
// How many of `count` events to take when `room` are free: all that fit, less a last press whose
// release would be left behind.
std::size_t keysThatFit(const KeyEvent* events, std::size_t count, std::size_t room);
// Agent side. False when the queue is empty; damaged indices empty it.
bool pop(Block& block, Command& out);

// Agent side: publishes a read of columns x rows cells (row-major) with the screen it came from.
void publish(Block& block, const ScreenInfo& screen, int32_t columns, int32_t rows,
             const char16_t* characters, const uint16_t* attributes);

// The widget's copy of the last published read.
struct Snapshot {
    uint32_t sequence = 0;  // 0: nothing published yet
    ScreenInfo screen;
    int32_t columns = 0;
    int32_t rows = 0;
    char16_t characters[kMaxCells];
    uint16_t attributes[kMaxCells];
};

enum class ReadResult { Unchanged, Copied, Busy, Damaged };
// Copies the published read into `scratch` unless it is the one numbered `have`. Only Copied
// leaves a whole, consistent read there; after Busy (the agent was writing it: try again at the
// next tick) or Damaged (sizes out of range) `scratch` holds nothing to use.
ReadResult read(const Block& block, uint32_t have, Snapshot& scratch);

// Copies the rectangle of columns x rows cells whose top-left cell is (left, top) in buffer
// coordinates out of the snapshot; cells it does not hold come back blank.
void copyRectangle(const Snapshot& snapshot, int32_t left, int32_t top, int32_t columns,
                   int32_t rows, char16_t* characters, uint16_t* attributes);

// The rectangle the agent reads: the console's window, and at least the widget's grid, within
// kMaxCells.
struct Extent {
    int32_t columns;
    int32_t rows;
};
Extent publishedExtent(int32_t windowColumns, int32_t windowRows, int32_t gridColumns,
                       int32_t gridRows);

// Agent side: whether the request's texts are zero-terminated within their fields.
bool startTextsValid(const Block& block);

}  // namespace tideglass::agent
