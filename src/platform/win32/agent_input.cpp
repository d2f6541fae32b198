// An agent widget's input: keys and signals queue for the agent in the order they come, none is
// lost to a full queue, and a paste's keys go in whole pairs. Nothing here waits for the agent:
// whether the console's input is in processed mode is what the agent last said.
#include <algorithm>

#include "platform/win32/agent_ports.h"

namespace tideglass::win32 {

void AgentInput::attach(AgentProcess* agent) {
    agent_ = agent;
    backlog_.clear();  // meant for a console that has gone
}

void AgentInput::flush() {
    if (agent_ == nullptr)
        return;
    bool pushed = false;
    while (!backlog_.empty() && agent::push(agent_->block(), backlog_.front())) {
        backlog_.pop_front();
        pushed = true;
    }
    if (pushed)
        agent_->wake();
}

void AgentInput::write(NativeHandle, const KeyEvent& event) {
    if (agent_ == nullptr)
        return;
    backlog_.push_back(agent::keyCommand(event));
    flush();
}

// As many as the queue takes after the backlog; the agent writes them into its console as it
// takes them.
std::size_t AgentInput::writeAll(NativeHandle, const std::vector<KeyEvent>& events) {
    flush();
    if (agent_ == nullptr || !backlog_.empty())
        return 0;
    const std::size_t taken = agent::pushKeys(agent_->block(), events.data(), events.size());
    if (taken > 0)
        agent_->wake();
    return taken;
}

// Those waiting here and queued, and those the agent last counted in its console or still to write.
uint32_t AgentInput::waitingEvents(NativeHandle) {
    flush();
    if (agent_ == nullptr)
        return 0;
    const agent::Block& block = agent_->block();
    const uint32_t queued = block.head.load() - block.tail.load();
    return uint32_t(backlog_.size()) + std::min(queued, agent::kQueueCapacity) +
           std::min(block.consoleWaiting.load(), agent::kQueueCapacity * 16);
}

bool AgentInput::processedInput(NativeHandle) {
    return agent_ == nullptr || agent_->block().processedInput.load() != 0;
}

// Raised by the agent in the order of the keys around it; one the system refuses goes in as
// the key itself there.
bool AgentInput::raise(ControlSignal signal) {
    if (agent_ == nullptr)
        return false;
    agent::Command command;
    command.kind = uint32_t(agent::CommandKind::Signal);
    command.values[0] = int32_t(signal);
    backlog_.push_back(command);
    flush();
    return true;
}

}  // namespace tideglass::win32
