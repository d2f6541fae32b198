#include "fakes/fake_console_agents.h"

#include <stdexcept>

namespace tideglass::fakes {

void FakeAgentConsole::renew() {
    if (!renewFailure.empty())
        throw std::runtime_error(renewFailure);
    ++renewals;
    alive = true;
}

std::unique_ptr<AgentConsole> FakeConsoleAgents::start(WindowHandle window) {
    ++starts;
    widgetWindow = window;
    if (!next)
        throw std::runtime_error(failure);
    return std::move(next);
}

}  // namespace tideglass::fakes
