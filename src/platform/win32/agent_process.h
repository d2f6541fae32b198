// One running console agent: the system's rundll32 with this module loaded at its ConsoleAgent
// entry point, the block it shares with the widget and the two events between them. Nothing here
// waits long on the agent: commands are queued, quitting is a flag, and only starting a child
// waits for an answer, with a short bound for the agent to take the request.
#pragma once

#include <windows.h>

#include "console/agent_channel.h"
#include "platform/win32/unique_handle.h"

namespace tideglass::win32 {

class AgentProcess {
public:
    // Starts the agent for the widget whose window is given and waits until its console is
    // ready. Throws std::runtime_error saying what failed.
    explicit AgentProcess(HWND widgetWindow);
    ~AgentProcess();  // stop()
    AgentProcess(const AgentProcess&) = delete;
    AgentProcess& operator=(const AgentProcess&) = delete;

    agent::Block& block() { return *block_; }
    HANDLE process() const { return process_.get(); }
    DWORD processId() const { return processId_; }
    bool running() const {
        return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
    }
    void wake() { ::SetEvent(wake_.get()); }

    // Hands the start request in the block to the agent and waits for its answer; false when
    // the agent ended, or did not take the request or answer it in time (it is then ended).
    bool requestStart();
    // Tells the agent to quit and leaves the wait for it to the agents stopping with it.
    void stop() noexcept;

private:
    void launch();
    void waitUntilReady();

    UniqueKernelHandle mapping_;
    UniqueMappedView view_;
    agent::Block* block_ = nullptr;
    UniqueKernelHandle wake_;
    UniqueKernelHandle reply_;
    UniqueKernelHandle process_;
    DWORD processId_ = 0;
};

}  // namespace tideglass::win32
