// The widget's side of a console agent: starting it, and the console, screen, input and process
// ports over the shared block. Reads come from what the agent last published, so a tick costs
// a copy of memory and no console call; commands are queued and the agent is woken.
#include "platform/win32/win32_console_agents.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "console/agent_channel.h"
#include "console/console_host.h"
#include "console/console_input.h"
#include "console/console_text.h"
#include "console/screen_buffer.h"
#include "platform/win32/agent_process.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_processes.h"

namespace tideglass::win32 {
namespace {

// Codes of this module's own (bit 29: not the system's) for what only the agent can go through.
constexpr uint32_t kAgentEnded = 0x20000001;
constexpr uint32_t kAgentNotStarted = 0x20000002;

// The widget's view of one agent across its restarts: the ports the desklet works through.
class Connection final : public AgentConsole,
                         private ConsoleHost,
                         private ScreenBuffer,
                         private ConsoleInput,
                         private ConsoleText {
public:
    Connection() : agent_(std::make_unique<AgentProcess>()), snapshot_(new agent::Snapshot) {}

    tideglass::ConsoleHost& console() override { return *this; }
    tideglass::ScreenBuffer& screen() override { return *this; }
    tideglass::ConsoleInput& input() override { return *this; }
    tideglass::Processes& processes() override { return processes_; }
    tideglass::ConsoleText& text() override { return *this; }

private:
    // ---- console host: the agent already holds its console; releasing it ends the agent.
    bool allocate() override { return true; }
    WindowHandle window() override {
        return agent_
                   ? reinterpret_cast<WindowHandle>(uintptr_t(agent_->block().consoleWindow.load()))
                   : nullptr;
    }
    void hide(WindowHandle) override {}
    void installControlHandler() override {}
    void removeControlHandler() override {}
    // The desklet's console handles stand for the agent's console; nothing to close.
    NativeHandle standardInput() override { return this; }
    NativeHandle standardOutput() override { return this; }
    void closeHandle(NativeHandle) override {}
    void release() override { agent_.reset(); }

    // ---- screen buffer
    bool info(NativeHandle, ScreenInfo& out) override {
        if (!agent_)
            return false;
        agent::Block& block = agent_->block();
        if (agent::read(block, *snapshot_) == agent::ReadResult::Damaged)
            return false;
        // The agent reads the console for the next tick while this one draws.
        block.readWanted.store(1, std::memory_order_release);
        agent_->wake();
        if (snapshot_->sequence == 0)
            return false;
        out = snapshot_->screen;
        return true;
    }
    int32_t readWindow(NativeHandle, const ScreenInfo& screen, int32_t columns, int32_t rows,
                       char16_t* characters, uint16_t* attributes) override {
        if (!agent_ || snapshot_->sequence == 0 || columns <= 0 || rows <= 0)
            return 0;
        agent_->block().gridColumns.store(columns, std::memory_order_relaxed);
        agent_->block().gridRows.store(rows, std::memory_order_relaxed);
        agent::copyRectangle(*snapshot_, screen.windowLeft, screen.windowTop, columns, rows,
                             characters, attributes);
        return rows;
    }
    CellSize largestWindow(NativeHandle) override {
        if (!agent_)
            return CellSize{};
        const agent::Block& block = agent_->block();
        auto clamp16 = [](int32_t v) { return int16_t(v < 0 ? 0 : v > 0x7FFF ? 0x7FFF : v); };
        return CellSize{clamp16(block.largestColumns.load()), clamp16(block.largestRows.load())};
    }
    void setBufferSize(NativeHandle, int16_t columns, int16_t rows) override {
        bufferSize_ = command(agent::CommandKind::BufferSize, columns, rows, 0, 0);
        send(*bufferSize_);
    }
    void setWindow(NativeHandle, int16_t left, int16_t top, int16_t right,
                   int16_t bottom) override {
        windowRect_ = command(agent::CommandKind::Window, left, top, right, bottom);
        send(*windowRect_);
    }
    void setOutputCodePage(uint32_t codePage) override {
        codePage_ = command(agent::CommandKind::OutputCodePage, int32_t(codePage), 0, 0, 0);
        send(*codePage_);
    }
    uint32_t oemCodePage() override { return ::GetOEMCP(); }
    uint32_t ansiCodePage() override { return ::GetACP(); }

    // ---- input
    void write(NativeHandle, const KeyEvent& event) override { send(agent::keyCommand(event)); }
    // As many as the queue takes; the agent writes them into its console as it takes them.
    std::size_t writeAll(NativeHandle, const std::vector<KeyEvent>& events) override {
        if (!agent_)
            return 0;
        std::size_t taken = 0;
        while (taken < events.size() &&
               agent::push(agent_->block(), agent::keyCommand(events[taken])))
            ++taken;
        agent_->wake();
        return taken;
    }
    // Those still queued for the agent, and those its console held when it last wrote keys.
    uint32_t waitingEvents(NativeHandle) override {
        if (!agent_)
            return 0;
        const agent::Block& block = agent_->block();
        return block.head.load() - block.tail.load() + block.consoleWaiting.load();
    }
    // Asked only when a key that can be a signal is typed.
    bool processedInput(NativeHandle) override {
        if (!agentRunning() || !agent_->request(agent::RequestKind::InputMode))
            return true;
        return agent_->block().processedInput != 0;
    }
    bool raise(ControlSignal signal) override {
        if (!agent_ || !agent_->running())
            return false;
        agent::Block& block = agent_->block();
        block.signal = int32_t(signal);
        return agent_->request(agent::RequestKind::RaiseSignal) && block.signalRaised != 0;
    }

    static agent::Command command(agent::CommandKind kind, int32_t a, int32_t b, int32_t c,
                                  int32_t d) {
        agent::Command result;
        result.kind = uint32_t(kind);
        result.values[0] = a;
        result.values[1] = b;
        result.values[2] = c;
        result.values[3] = d;
        return result;
    }
    void send(const agent::Command& c) {
        if (agent_)
            agent_->send(c);
    }

    // ---- console text: the rows as the agent last published them
    std::vector<std::u16string> readRows(NativeHandle, int32_t left, int32_t top, int32_t columns,
                                         int32_t rows) override {
        std::vector<std::u16string> text;
        if (!agent_ || snapshot_->sequence == 0 || columns <= 0 || rows <= 0 ||
            uint64_t(columns) * uint64_t(rows) > agent::kMaxCells)
            return text;
        std::u16string cells(size_t(columns) * size_t(rows), kBlankCharacter);
        agent::copyRectangle(*snapshot_, left, top, columns, rows, cells.data(), nullptr);
        for (int32_t r = 0; r < rows; ++r) {
            std::u16string row = cells.substr(size_t(r) * size_t(columns), size_t(columns));
            // The second cell of a two-cell character holds no text of its own.
            row.erase(std::remove(row.begin(), row.end(), kWideTrail), row.end());
            text.push_back(std::move(row));
        }
        return text;
    }

    // ---- processes: polled, ended and closed here (the agent hands over the child's handles);
    // started in the agent's console.
    class AgentProcesses final : public Processes {
    public:
        explicit AgentProcesses(Connection& owner) : owner_(owner) {}
        bool expand(const std::string& text, std::size_t limit, std::string& out) override {
            return local_.expand(text, limit, out);
        }
        // The agent keeps its children in a group of its own, which goes with the agent
        // whichever way it ends; the host side has none to give.
        NativeHandle createGroup() override { return nullptr; }
        uint32_t create(const std::string& commandLine, const std::string& directory, NativeHandle,
                        ProcessRecord& out) override {
            return owner_.startChild(commandLine, directory, out);
        }
        // A child whose agent has gone counts as ended, so the next tick starts the agent again
        // (or reports that it ended).
        WaitResult poll(NativeHandle process) override {
            const WaitResult result = local_.poll(process);
            if (result == WaitResult::Running && !owner_.agentRunning()) {
                local_.terminate(process, 1);
                return WaitResult::Ended;
            }
            return result;
        }
        void terminate(NativeHandle process, uint32_t exitCode) override {
            local_.terminate(process, exitCode);
        }
        void closeHandle(NativeHandle handle) override { local_.closeHandle(handle); }
        std::string errorText(uint32_t code) override {
            if (code == kAgentEnded)
                return "the console agent of this widget ended unexpectedly";
            if (code == kAgentNotStarted)
                return "the console agent of this widget could not be started again: " +
                       owner_.startFailure_;
            return local_.errorText(code);
        }

    private:
        Connection& owner_;
        Win32Processes local_;
    };

    bool agentRunning() const { return agent_ && agent_->running(); }

    // An agent that died is reported once, as a failed start; the next start brings up a new
    // agent with the console's size and code page as they were set.
    uint32_t startChild(const std::string& commandLine, const std::string& directory,
                        ProcessRecord& out) {
        if (!agentRunning()) {
            if (agent_ && !endReported_) {
                endReported_ = true;
                return kAgentEnded;
            }
            try {
                agent_.reset();
                agent_ = std::make_unique<AgentProcess>();
                snapshot_->sequence = 0;
                for (const auto& replay : {bufferSize_, windowRect_, codePage_})
                    if (replay)
                        send(*replay);
                endReported_ = false;
            } catch (const std::exception& e) {
                startFailure_ = e.what();
                return kAgentNotStarted;
            }
        }
        if (commandLine.size() >= agent::kMaxText || directory.size() >= agent::kMaxText)
            return ERROR_FILENAME_EXCED_RANGE;
        agent::Block& block = agent_->block();
        commandLine.copy(block.commandLine, commandLine.size());
        block.commandLine[commandLine.size()] = '\0';
        directory.copy(block.directory, directory.size());
        block.directory[directory.size()] = '\0';
        if (!agent_->request(agent::RequestKind::StartChild)) {
            endReported_ = true;  // this failure is the report; the next start brings a new agent
            return kAgentEnded;
        }
        const agent::StartReply reply = block.reply;
        if (reply.error != 0)
            return reply.error;
        out.process = reinterpret_cast<NativeHandle>(uintptr_t(reply.process));
        out.thread = reinterpret_cast<NativeHandle>(uintptr_t(reply.thread));
        out.processId = reply.processId;
        out.threadId = reply.threadId;
        return 0;
    }

    std::unique_ptr<AgentProcess> agent_;
    std::unique_ptr<agent::Snapshot> snapshot_;
    std::optional<agent::Command> bufferSize_;
    std::optional<agent::Command> windowRect_;
    std::optional<agent::Command> codePage_;
    bool endReported_ = false;
    std::string startFailure_;
    AgentProcesses processes_{*this};
};

}  // namespace

std::unique_ptr<AgentConsole> Win32ConsoleAgents::start() {
    return std::make_unique<Connection>();
}

}  // namespace tideglass::win32
