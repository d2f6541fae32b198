// The console agent's process: a hidden console of its own, the widget's child programs started
// in it, and its screen published into the block the widget shares with it. It reads the
// console when the widget's tick asks for it, so an idle widget costs it what the reads cost.
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "console/agent_channel.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_console_agents.h"
#include "platform/win32/win32_processes.h"

namespace tideglass::win32 {
namespace {

// A safety net only: the widget wakes the agent for everything it wants.
constexpr DWORD kIdleWaitMs = 1000;

bool sameScreen(const ScreenInfo& a, const ScreenInfo& b) {
    return a.windowLeft == b.windowLeft && a.windowTop == b.windowTop && a.cursorX == b.cursorX &&
           a.cursorY == b.cursorY && a.bufferColumns == b.bufferColumns &&
           a.bufferRows == b.bufferRows && a.windowRight == b.windowRight &&
           a.windowBottom == b.windowBottom && a.cursorVisible == b.cursorVisible;
}

class Agent {
public:
    Agent(agent::Block& block, HANDLE wake, HANDLE reply, HANDLE host)
        : block_(block), wake_(wake), reply_(reply), host_(host) {}

    bool setUp() {
        // rundll32 may have been given a console after all; the agent's must be its own.
        ::FreeConsole();
        if (!console_.allocate())
            return false;
        HWND window = static_cast<HWND>(console_.window());
        console_.hide(window);
        console_.installControlHandler();
        input_ = ::GetStdHandle(STD_INPUT_HANDLE);
        output_ = ::GetStdHandle(STD_OUTPUT_HANDLE);
        const CellSize largest = screen_.largestWindow(output_);
        block_.consoleWindow.store(uint64_t(uintptr_t(window)));
        block_.largestColumns.store(largest.columns);
        block_.largestRows.store(largest.rows);
        readAndPublish();
        block_.ready.store(1, std::memory_order_release);
        ::SetEvent(reply_);
        return true;
    }

    void run() {
        HANDLE waits[] = {host_, wake_};
        for (;;) {
            const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, kIdleWaitMs);
            if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED)
                return;  // the host process ended
            if (!takeCommands())
                return;
            answerRequest();
            if (block_.readWanted.exchange(0, std::memory_order_acq_rel) != 0)
                readAndPublish();
        }
    }

    ~Agent() {
        for (Child& child : children_) {
            if (::WaitForSingleObject(child.process.get(), 0) == WAIT_TIMEOUT)
                ::TerminateProcess(child.process.get(), 0);
        }
        children_.clear();
        group_.reset();
        console_.removeControlHandler();
        console_.release();
    }

private:
    struct Child {
        UniqueKernelHandle process;
        UniqueKernelHandle thread;
    };

    // False on Quit. Keys go into the console in batches, as a paste sends them.
    bool takeCommands() {
        agent::Command command;
        bool more = true;
        while (more && agent::pop(block_, command)) {
            if (agent::CommandKind(command.kind) == agent::CommandKind::Key) {
                keys_.push_back(agent::keyOf(command));
                continue;
            }
            writeKeys();
            more = apply(command);
        }
        writeKeys();
        return more;
    }

    void writeKeys() {
        if (keys_.empty())
            return;
        size_t written = 0;
        while (written < keys_.size()) {
            const std::vector<KeyEvent> rest(keys_.begin() + std::ptrdiff_t(written), keys_.end());
            const size_t taken = input_port_.writeAll(input_, rest);
            // A console that takes no more loses the rest, as a full input buffer does.
            if (taken == 0)
                break;
            written += taken;
        }
        keys_.clear();
        block_.consoleWaiting.store(input_port_.waitingEvents(input_), std::memory_order_relaxed);
    }

    bool apply(const agent::Command& command) {
        switch (agent::CommandKind(command.kind)) {
            case agent::CommandKind::BufferSize:
                screen_.setBufferSize(output_, int16_t(command.values[0]),
                                      int16_t(command.values[1]));
                break;
            case agent::CommandKind::Window:
                screen_.setWindow(output_, int16_t(command.values[0]), int16_t(command.values[1]),
                                  int16_t(command.values[2]), int16_t(command.values[3]));
                break;
            case agent::CommandKind::OutputCodePage:
                screen_.setOutputCodePage(uint32_t(command.values[0]));
                break;
            case agent::CommandKind::Quit:
                return false;
            default:
                break;  // not a command of this module's: skipped
        }
        return true;
    }

    void answerRequest() {
        const auto kind = agent::RequestKind(block_.request.exchange(0, std::memory_order_acq_rel));
        if (kind == agent::RequestKind::StartChild) {
            block_.reply = startChild();
            ::SetEvent(reply_);
        } else if (kind == agent::RequestKind::InputMode) {
            DWORD mode = 0;
            block_.processedInput =
                !::GetConsoleMode(input_, &mode) || (mode & ENABLE_PROCESSED_INPUT) != 0 ? 1 : 0;
            ::SetEvent(reply_);
        } else if (kind == agent::RequestKind::RaiseSignal) {
            const int32_t signal = block_.signal;
            const bool known = signal == int32_t(ControlSignal::CtrlC) ||
                               signal == int32_t(ControlSignal::CtrlBreak);
            block_.signalRaised = known && input_port_.raise(ControlSignal(signal)) ? 1 : 0;
            ::SetEvent(reply_);
        }
    }

    agent::StartReply startChild() {
        agent::StartReply reply;
        if (!agent::startTextsValid(block_)) {
            reply.error = ERROR_INVALID_PARAMETER;
            return reply;
        }
        ProcessRecord record;
        if (!group_)
            group_.reset(static_cast<HANDLE>(processes_.createGroup()));
        reply.error = processes_.create(block_.commandLine, block_.directory, group_.get(), record);
        if (reply.error != 0)
            return reply;
        Child child{UniqueKernelHandle(static_cast<HANDLE>(record.process)),
                    UniqueKernelHandle(static_cast<HANDLE>(record.thread))};
        HANDLE process = nullptr, thread = nullptr;
        if (!::DuplicateHandle(::GetCurrentProcess(), child.process.get(), host_, &process, 0,
                               FALSE, DUPLICATE_SAME_ACCESS) ||
            !::DuplicateHandle(::GetCurrentProcess(), child.thread.get(), host_, &thread, 0, FALSE,
                               DUPLICATE_SAME_ACCESS)) {
            reply.error = ::GetLastError();
            ::TerminateProcess(child.process.get(), 0);
            if (process)
                ::DuplicateHandle(host_, process, nullptr, nullptr, 0, FALSE,
                                  DUPLICATE_CLOSE_SOURCE);
            return reply;
        }
        reply.process = uint64_t(uintptr_t(process));
        reply.thread = uint64_t(uintptr_t(thread));
        reply.processId = record.processId;
        reply.threadId = record.threadId;
        reapChildren();
        children_.push_back(std::move(child));
        return reply;
    }

    void reapChildren() {
        for (auto it = children_.begin(); it != children_.end();) {
            if (::WaitForSingleObject(it->process.get(), 0) != WAIT_TIMEOUT)
                it = children_.erase(it);
            else
                ++it;
        }
    }

    void readAndPublish() {
        ScreenInfo screen;
        if (!screen_.info(output_, screen))
            return;
        const agent::Extent extent = agent::publishedExtent(
            screen.windowRight - screen.windowLeft + 1, screen.windowBottom - screen.windowTop + 1,
            block_.gridColumns.load(std::memory_order_relaxed),
            block_.gridRows.load(std::memory_order_relaxed));
        const size_t cells = size_t(extent.columns) * size_t(extent.rows);
        wide_.assign(cells, kBlankCharacter);
        attributes_.assign(cells, kBlankAttribute);
        const int32_t rows = screen_.readWindow(output_, screen, extent.columns, extent.rows,
                                                wide_.data(), attributes_.data());
        if (rows <= 0)
            return;
        // Unchanged reads are not published again: the widget's idle tick then copies nothing.
        if (published_ && sameScreen(screen, last_) && extent.columns == lastExtent_.columns &&
            extent.rows == lastExtent_.rows && wide_ == lastCells_ &&
            attributes_ == lastAttributes_)
            return;
        agent::publish(block_, screen, extent.columns, extent.rows, wide_.data(),
                       attributes_.data());
        published_ = true;
        last_ = screen;
        lastExtent_ = extent;
        lastCells_.swap(wide_);
        lastAttributes_.swap(attributes_);
    }

    agent::Block& block_;
    HANDLE wake_;
    HANDLE reply_;
    HANDLE host_;
    Win32ConsoleHost console_;
    Win32ScreenBuffer screen_;
    Win32ConsoleInput input_port_;
    Win32Processes processes_;
    HANDLE input_ = nullptr;
    HANDLE output_ = nullptr;
    std::vector<Child> children_;
    std::vector<KeyEvent> keys_;
    // Every child and all it starts: closed when the agent ends, however it ends.
    UniqueKernelHandle group_;
    std::vector<char16_t> wide_;
    std::vector<uint16_t> attributes_;
    bool published_ = false;
    ScreenInfo last_;
    agent::Extent lastExtent_{0, 0};
    std::vector<char16_t> lastCells_;
    std::vector<uint16_t> lastAttributes_;
};

bool parseHandles(const char* text, HANDLE (&out)[4]) {
    if (text == nullptr)
        return false;
    const char* p = text;
    for (HANDLE& handle : out) {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(p, &end, 16);
        if (end == p || value == 0)
            return false;
        handle = reinterpret_cast<HANDLE>(uintptr_t(value));
        p = end;
    }
    return true;
}

}  // namespace

int runConsoleAgent(const char* arguments) {
    HANDLE handles[4] = {};
    if (!parseHandles(arguments, handles))
        return 2;
    UniqueKernelHandle mapping(handles[0]), wake(handles[1]), reply(handles[2]), host(handles[3]);
    UniqueMappedView view(
        ::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(agent::Block)));
    agent::Block* block = agent::attach(view.get(), view ? sizeof(agent::Block) : 0);
    if (block == nullptr)
        return 2;
    Agent agent(*block, wake.get(), reply.get(), host.get());
    if (!agent.setUp())
        return 1;
    agent.run();
    return 0;
}

}  // namespace tideglass::win32
