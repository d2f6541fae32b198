// The agent's programs: started in its console, in a job that ends them whichever way the agent
// ends. The widget copies the handles out of this process itself.
#include "platform/win32/console_agent_parts.h"

namespace tideglass::win32 {

agent::StartReply ChildStarter::start(const agent::Block& block) {
    agent::StartReply reply;
    if (!agent::startTextsValid(block)) {
        reply.error = ERROR_INVALID_PARAMETER;
        return reply;
    }
    reap();
    if (!group_)
        group_.reset(static_cast<HANDLE>(processes_.createGroup()));
    ProcessRecord record;
    reply.error = processes_.create(block.commandLine, block.directory, group_.get(), record);
    if (reply.error != 0)
        return reply;
    Child child{UniqueKernelHandle(static_cast<HANDLE>(record.process)),
                UniqueKernelHandle(static_cast<HANDLE>(record.thread))};
    reply.process = uint64_t(uintptr_t(child.process.get()));
    reply.thread = uint64_t(uintptr_t(child.thread.get()));
    reply.processId = record.processId;
    reply.threadId = record.threadId;
    children_.push_back(std::move(child));
    return reply;
}

ChildStarter::~ChildStarter() {
    for (Child& child : children_) {
        if (::WaitForSingleObject(child.process.get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(child.process.get(), 0);
    }
}

void ChildStarter::reap() {
    for (auto it = children_.begin(); it != children_.end();) {
        if (::WaitForSingleObject(it->process.get(), 0) != WAIT_TIMEOUT)
            it = children_.erase(it);
        else
            ++it;
    }
}

}  // namespace tideglass::win32
