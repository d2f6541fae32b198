// The console agent's own side, one part per job: the keys it writes into its console, the
// programs it starts there, and the reads of the console it publishes for the widget.
#pragma once

#include <windows.h>

#include <deque>
#include <vector>

#include "console/agent_channel.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_processes.h"

namespace tideglass::win32 {

// Keys taken from the queue wait here until the console takes them: none is dropped, and
// together with the console's own count they are what the widget sees waiting.
class KeyWriter {
public:
    explicit KeyWriter(HANDLE input) : input_(input) {}
    void add(const KeyEvent& event) { keys_.push_back(event); }
    // Writes the keys it has; false while the console still refuses some.
    bool write();
    bool pending() const { return !keys_.empty(); }
    // How many keys have gone into the console so far.
    uint64_t written() const { return written_; }
    uint32_t waiting();
    bool processedInput();
    // Raises a signal for the console's processes; where the system refuses, the key that
    // stands for it goes in instead.
    void raise(ControlSignal signal);

private:
    HANDLE input_;
    Win32ConsoleInput port_;
    std::vector<KeyEvent> keys_;
    uint64_t written_ = 0;
};

// The widget's programs, started in a job that ends them with the agent; their handles stay
// open here until they have ended, so the widget can copy them out of this process.
class ChildStarter {
public:
    agent::StartReply start(const agent::Block& block);
    ~ChildStarter();

private:
    struct Child {
        UniqueKernelHandle process;
        UniqueKernelHandle thread;
    };
    void reap();

    Win32Processes processes_;
    std::vector<Child> children_;
    UniqueKernelHandle group_;
};

// Reads of the console, published when they differ from the last one.
class ScreenPublisher {
public:
    explicit ScreenPublisher(HANDLE output) : output_(output) {}
    // True when the read differed and was published.
    bool readAndPublish(agent::Block& block);

private:
    HANDLE output_;
    Win32ScreenBuffer screen_;
    std::vector<char16_t> wide_;
    std::vector<uint16_t> attributes_;
    bool published_ = false;
    ScreenInfo last_;
    agent::Extent lastExtent_{0, 0};
    std::vector<char16_t> lastCells_;
    std::vector<uint16_t> lastAttributes_;
};

// Tells the widget that a changed read waits for it: a message posted, never sent, to the
// widget's window, and only while that window belongs to the process that started the agent.
// At most one is outstanding: the widget clears the block's flag when it takes a read.
class WidgetWaker {
public:
    WidgetWaker(agent::Block& block, DWORD hostId);
    void wake();

private:
    agent::Block& block_;
    DWORD hostId_;
    UINT message_;
};

}  // namespace tideglass::win32
