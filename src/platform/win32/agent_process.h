// One running console agent: the system's rundll32 with this module loaded at its ConsoleAgent
// entry point, the block it shares with the widget and the two events between them.
#pragma once

#include <windows.h>

#include "console/agent_channel.h"
#include "platform/win32/unique_handle.h"

namespace tideglass::win32 {

class AgentProcess {
public:
    // Starts the agent and waits until its console is ready. Throws std::runtime_error saying
    // what failed.
    AgentProcess();
    ~AgentProcess();  // stop()
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    agent::Block& block() { return *block_; }
    bool running() const {
        return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
    }
    void wake() { ::SetEvent(wake_.get()); }

    // Queues a command and wakes the agent; a full queue drops it (the agent has stopped
    // taking commands, or a paste outran it).
    void send(const agent::Command& command) {
        if (agent::push(*block_, command))
            wake();
    }

    // Hands the request in the block to the agent and waits for its answer; false when the
    // agent ended or did not answer in time (it is then ended).
    bool request(agent::RequestKind kind);
    // Asks the agent to quit, and ends it if it does not in time.
    void stop() noexcept;

private:
    void launch();

    UniqueKernelHandle mapping_;
    UniqueMappedView view_;
    agent::Block* block_ = nullptr;
    UniqueKernelHandle wake_;
    UniqueKernelHandle reply_;
    UniqueKernelHandle process_;
};

}  // namespace tideglass::win32
