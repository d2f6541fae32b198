// An agent widget's screen: each tick takes the agent's last published read, if it is new and
// was copied whole, and asks for the next; console size and code page go as commands.
#include <algorithm>

#include "platform/win32/agent_ports.h"

namespace tideglass::win32 {

AgentScreen::AgentScreen()
    : shown_(std::make_unique<agent::Snapshot>()), scratch_(std::make_unique<agent::Snapshot>()) {}

// A new agent publishes from its first read on; nothing of the old one's is shown after it.
void AgentScreen::attach(AgentProcess* agent) {
    agent_ = agent;
    shown_->sequence = 0;
    if (agent_ != nullptr && codePage_ != 0)
        send(agent::CommandKind::OutputCodePage, int32_t(codePage_), 0, 0, 0);
}

bool AgentScreen::info(NativeHandle, ScreenInfo& out) {
    if (agent_ == nullptr)
        return false;
    agent::Block& block = agent_->block();
    // Cleared first: a read the agent publishes from now on wakes the widget again.
    block.wakePosted.store(0, std::memory_order_seq_cst);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    const agent::ReadResult result = agent::read(block, shown_->sequence, *scratch_);
    if (result == agent::ReadResult::Copied)
        shown_.swap(scratch_);
    // The agent reads the console for the next tick while this one draws.
    block.readWanted.store(1, std::memory_order_release);
    agent_->wake();
    if (result == agent::ReadResult::Damaged || shown_->sequence == 0)
        return false;
    out = shown_->screen;
    return true;
}

int32_t AgentScreen::readWindow(NativeHandle, const ScreenInfo& screen, int32_t columns,
                                int32_t rows, char16_t* characters, uint16_t* attributes) {
    if (agent_ == nullptr || shown_->sequence == 0 || columns <= 0 || rows <= 0)
        return 0;
    agent_->block().gridColumns.store(columns, std::memory_order_relaxed);
    agent_->block().gridRows.store(rows, std::memory_order_relaxed);
    agent::copyRectangle(*shown_, screen.windowLeft, screen.windowTop, columns, rows, characters,
                         attributes);
    return rows;
}

CellSize AgentScreen::largestWindow(NativeHandle) {
    if (agent_ == nullptr)
        return CellSize{};
    const agent::Block& block = agent_->block();
    auto clamp16 = [](int32_t v) { return int16_t(std::clamp<int32_t>(v, 0, 0x7FFF)); };
    return CellSize{clamp16(block.largestColumns.load()), clamp16(block.largestRows.load())};
}

void AgentScreen::setBufferSize(NativeHandle, int16_t columns, int16_t rows) {
    send(agent::CommandKind::BufferSize, columns, rows, 0, 0);
}

void AgentScreen::setWindow(NativeHandle, int16_t left, int16_t top, int16_t right,
                            int16_t bottom) {
    send(agent::CommandKind::Window, left, top, right, bottom);
}

// Kept for a new agent: the renderer sets it once, when it is built.
void AgentScreen::setOutputCodePage(uint32_t codePage) {
    codePage_ = codePage;
    send(agent::CommandKind::OutputCodePage, int32_t(codePage), 0, 0, 0);
}

void AgentScreen::send(agent::CommandKind kind, int32_t a, int32_t b, int32_t c, int32_t d) {
    if (agent_ == nullptr)
        return;
    agent::Command command;
    command.kind = uint32_t(kind);
    command.values[0] = a;
    command.values[1] = b;
    command.values[2] = c;
    command.values[3] = d;
    // Only a paste fills the queue, and the desklet sizes the console between pastes.
    if (agent::push(agent_->block(), command))
        agent_->wake();
}

std::vector<std::u16string> AgentScreen::readRows(NativeHandle, int32_t left, int32_t top,
                                                  int32_t columns, int32_t rows) {
    std::vector<std::u16string> text;
    if (agent_ == nullptr || shown_->sequence == 0 || columns <= 0 || rows <= 0 ||
        uint64_t(columns) * uint64_t(rows) > agent::kMaxCells)
        return text;
    std::u16string cells(size_t(columns) * size_t(rows), kBlankCharacter);
    agent::copyRectangle(*shown_, left, top, columns, rows, cells.data(), nullptr);
    for (int32_t r = 0; r < rows; ++r) {
        std::u16string row = cells.substr(size_t(r) * size_t(columns), size_t(columns));
        // The second cell of a two-cell character holds no text of its own.
        row.erase(std::remove(row.begin(), row.end(), kWideTrail), row.end());
        text.push_back(std::move(row));
    }
    return text;
}

}  // namespace tideglass::win32
