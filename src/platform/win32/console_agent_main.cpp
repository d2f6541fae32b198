// The console agent's process: a hidden console of its own, the widget's child programs started
// in it, and its screen published into the block the widget shares with it. An idle agent reads
// the console only when the widget's tick asks for it, so an idle widget costs it what the reads
// cost. After it writes keys it reads at once and then fast for a while, and on while the reads
// keep changing, and wakes the widget for each changed read, so an echo shows without waiting
// for the widget's tick. At every wake it tells the widget how much input still waits, so a paste
// goes on as the program reads.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "console/agent_channel.h"
#include "desklet/poll_rate.h"
#include "platform/win32/console_agent_parts.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_console_agents.h"
#include "platform/win32/win32_user_interface.h"

namespace tideglass::win32 {
namespace {

// A safety net only: the widget wakes the agent for everything it wants. Keys the console
// refused are tried again sooner.
constexpr DWORD kIdleWaitMs = 1000;
constexpr DWORD kRetryWaitMs = 20;

class ConsoleAgentLoop {
public:
    ConsoleAgentLoop(agent::Block& block, HANDLE wake, HANDLE reply, HANDLE host, DWORD hostId)
        : block_(block), wake_(wake), reply_(reply), host_(host), waker_(block, hostId) {}

    bool setUp() {
        // rundll32 may have been given a console after all; the agent's must be its own.
        ::FreeConsole();
        if (!console_.allocate())
            return false;
        HWND window = static_cast<HWND>(console_.window());
        console_.installControlHandler();
        keys_.emplace(::GetStdHandle(STD_INPUT_HANDLE));
        screen_.emplace(::GetStdHandle(STD_OUTPUT_HANDLE));
        const CellSize largest = screenPort_.largestWindow(::GetStdHandle(STD_OUTPUT_HANDLE));
        block_.consoleWindow.store(uint64_t(uintptr_t(window)));
        block_.largestColumns.store(largest.columns);
        block_.largestRows.store(largest.rows);
        report();
        screen_->readAndPublish(block_);
        block_.ready.store(1, std::memory_order_release);
        ::SetEvent(reply_);
        // The console was made hidden (the agent is started that way); this is for a system
        // that showed it anyway. Not waited for: with no window manager to answer, a hide can
        // hold the caller for seconds, and neither the widget's start nor the agent's first
        // requests may wait on it.
        if (window != nullptr)
            ::ShowWindowAsync(window, SW_HIDE);
        return true;
    }

    void run() {
        HANDLE waits[] = {host_, wake_};
        for (;;) {
            const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, timeout());
            if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED)
                return;  // the host process ended
            if (block_.quit.load(std::memory_order_acquire) != 0)
                return;
            const uint64_t keysBefore = keys_->written();
            signalled_ = false;
            takeCommands();
            answerRequest();
            report();
            const bool typed = keys_->written() != keysBefore || signalled_;
            const bool wanted = block_.readWanted.exchange(0, std::memory_order_acq_rel) != 0;
            const uint64_t now = clock_.steadyMicroseconds();
            if (typed)
                rate_.input(now);
            // While reading fast the widget's asks are met by the next read due.
            if (typed || readDue(now) || (wanted && !fast(now)))
                readAndPublish(now);
        }
    }

    ~ConsoleAgentLoop() {
        children_.reset();
        console_.removeControlHandler();
        console_.release();
    }

private:
    bool fast(uint64_t now) const { return rate_.periodMs(now) < kIdleWaitMs; }
    bool readDue(uint64_t now) const {
        return fast(now) && now - lastReadUs_ >= uint64_t(rate_.periodMs(now)) * 1000;
    }

    DWORD timeout() const {
        DWORD wait = keys_->pending() || deferred_ ? kRetryWaitMs : kIdleWaitMs;
        const uint64_t now = clock_.steadyMicroseconds();
        if (fast(now)) {
            const uint64_t due = lastReadUs_ + uint64_t(rate_.periodMs(now)) * 1000;
            wait = std::min<DWORD>(wait, due > now ? DWORD((due - now + 999) / 1000) : 0);
        }
        return wait;
    }

    void readAndPublish(uint64_t start) {
        const bool changed = screen_->readAndPublish(block_);
        const uint64_t end = clock_.steadyMicroseconds();
        rate_.read(end, changed, end - start, 0);
        lastReadUs_ = start;
        if (changed)
            waker_.wake();
    }

    // In order: keys gather into one batch, anything else first writes the batch; a command
    // behind keys the console refused waits with them.
    void takeCommands() {
        if (!keys_->write())
            return;
        if (deferred_) {
            apply(*deferred_);
            deferred_.reset();
        }
        agent::Command command;
        while (agent::pop(block_, command)) {
            if (agent::CommandKind(command.kind) == agent::CommandKind::Key) {
                keys_->add(agent::keyOf(command));
                continue;
            }
            if (!keys_->write()) {
                deferred_ = command;
                return;
            }
            apply(command);
        }
        keys_->write();
    }

    void apply(const agent::Command& command) {
        const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
        switch (agent::CommandKind(command.kind)) {
            case agent::CommandKind::BufferSize:
                screenPort_.setBufferSize(output, int16_t(command.values[0]),
                                          int16_t(command.values[1]));
                break;
            case agent::CommandKind::Window:
                screenPort_.setWindow(output, int16_t(command.values[0]),
                                      int16_t(command.values[1]), int16_t(command.values[2]),
                                      int16_t(command.values[3]));
                break;
            case agent::CommandKind::OutputCodePage:
                screenPort_.setOutputCodePage(uint32_t(command.values[0]));
                break;
            case agent::CommandKind::Signal:
                keys_->raise(ControlSignal(command.values[0]));
                signalled_ = true;
                break;
            default:
                break;  // not a command of this module's: skipped
        }
    }

    void answerRequest() {
        const auto kind = agent::RequestKind(block_.request.exchange(0, std::memory_order_acq_rel));
        if (kind != agent::RequestKind::StartChild)
            return;
        if (!children_)
            children_.emplace();
        block_.reply = children_->start(block_);
        ::SetEvent(reply_);
    }

    // What the widget needs before it gives more input: how much still waits, and whether
    // Ctrl+C is a signal in this console now.
    void report() {
        block_.consoleWaiting.store(keys_->waiting(), std::memory_order_relaxed);
        block_.processedInput.store(keys_->processedInput() ? 1 : 0, std::memory_order_relaxed);
    }

    agent::Block& block_;
    HANDLE wake_;
    HANDLE reply_;
    HANDLE host_;
    Win32ConsoleHost console_;
    Win32ScreenBuffer screenPort_;
    std::optional<KeyWriter> keys_;
    std::optional<ScreenPublisher> screen_;
    std::optional<ChildStarter> children_;
    std::optional<agent::Command> deferred_;
    WidgetWaker waker_;
    // The pace of reads after input and while output streams; idle, the widget's asks alone.
    mutable Win32UserInterface clock_;
    PollRate rate_{kIdleWaitMs};
    uint64_t lastReadUs_ = 0;
    bool signalled_ = false;
};

// The four inherited handles and the host's process id, in hexadecimal.
bool parseArguments(const char* text, HANDLE (&handles)[4], DWORD& hostId) {
    if (text == nullptr)
        return false;
    const char* p = text;
    unsigned long long values[5] = {};
    for (unsigned long long& value : values) {
        char* end = nullptr;
        value = std::strtoull(p, &end, 16);
        if (end == p || value == 0)
            return false;
        p = end;
    }
    for (int i = 0; i < 4; ++i)
        handles[i] = reinterpret_cast<HANDLE>(uintptr_t(values[i]));
    hostId = DWORD(values[4]);
    return hostId == values[4];
}

}  // namespace

int runConsoleAgent(const char* arguments) {
    HANDLE handles[4] = {};
    DWORD hostId = 0;
    if (!parseArguments(arguments, handles, hostId))
        return 2;
    // Inherited for the moment of this process's creation only: neither the console host that
    // AllocConsole starts nor the programs started here get them.
    for (HANDLE handle : handles)
        ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    UniqueKernelHandle mapping(handles[0]), wake(handles[1]), reply(handles[2]), host(handles[3]);
    UniqueMappedView view(
        ::MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(agent::Block)));
    agent::Block* block = agent::attach(view.get(), view ? sizeof(agent::Block) : 0);
    if (block == nullptr)
        return 2;
    ConsoleAgentLoop loop(*block, wake.get(), reply.get(), host.get(), hostId);
    if (!loop.setUp())
        return 1;
    loop.run();
    return 0;
}

}  // namespace tideglass::win32
