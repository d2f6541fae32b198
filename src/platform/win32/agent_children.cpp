// An agent widget's programs: started in the agent's console, then polled, ended and closed here
// through copies the widget takes out of the agent itself, once it has checked that they are the
// agent's own new child. What the agent wrote back is never taken as a handle of the host's.
#include <windows.h>

#include <tlhelp32.h>

#include "platform/win32/agent_ports.h"

namespace tideglass::win32 {
namespace {

// Codes of this module's own (bit 29: not the system's) for what only the agent can go through.
constexpr uint32_t kAgentEnded = 0x20000001;
constexpr uint32_t kAgentNotItsChild = 0x20000003;

bool isChildOf(DWORD processId, DWORD parentId) {
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return false;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == processId)
            return entry.th32ParentProcessID == parentId;
    }
    return false;
}

UniqueKernelHandle copyOut(HANDLE agent, uint64_t value) {
    HANDLE copy = nullptr;
    if (value == 0 ||
        !::DuplicateHandle(agent, reinterpret_cast<HANDLE>(uintptr_t(value)), ::GetCurrentProcess(),
                           &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return UniqueKernelHandle();
    return UniqueKernelHandle(copy);
}

}  // namespace

uint32_t AgentChildren::create(const std::string& commandLine, const std::string& directory,
                               NativeHandle, ProcessRecord& out) {
    if (agent_ == nullptr || !agent_->running())
        return kAgentEnded;
    if (commandLine.size() >= agent::kMaxText || directory.size() >= agent::kMaxText)
        return ERROR_FILENAME_EXCED_RANGE;
    agent::Block& block = agent_->block();
    commandLine.copy(block.commandLine, commandLine.size());
    block.commandLine[commandLine.size()] = '\0';
    directory.copy(block.directory, directory.size());
    block.directory[directory.size()] = '\0';
    if (!agent_->requestStart())
        return kAgentEnded;
    const agent::StartReply reply = block.reply;
    if (reply.error != 0)
        return reply.error;
    UniqueKernelHandle process = copyOut(agent_->process(), reply.process);
    UniqueKernelHandle thread = copyOut(agent_->process(), reply.thread);
    if (!process || !thread || reply.processId == 0 ||
        ::GetProcessId(process.get()) != reply.processId ||
        ::GetThreadId(thread.get()) != reply.threadId ||
        ::GetProcessIdOfThread(thread.get()) != reply.processId ||
        !isChildOf(reply.processId, agent_->processId()))
        return kAgentNotItsChild;
    out.process = process.release();
    out.thread = thread.release();
    out.processId = reply.processId;
    out.threadId = reply.threadId;
    return 0;
}

// A child whose agent has gone counts as ended, so the next tick starts a new agent.
WaitResult AgentChildren::poll(NativeHandle process) {
    const WaitResult result = local_.poll(process);
    if (result == WaitResult::Running && (agent_ == nullptr || !agent_->running())) {
        local_.terminate(process, 1);
        return WaitResult::Ended;
    }
    return result;
}

std::string AgentChildren::errorText(uint32_t code) {
    if (code == kAgentEnded)
        return "the console agent of this widget ended unexpectedly";
    if (code == kAgentNotItsChild)
        return "the console agent of this widget did not hand over the program it started";
    return local_.errorText(code);
}

}  // namespace tideglass::win32
