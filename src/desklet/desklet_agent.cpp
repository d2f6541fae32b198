// A widget whose console agent has ended: its console went with it, so a new agent with a new
// console takes its place before the child starts again, allocated and sized as the first was.
#include "console/child_process.h"
#include "console/console_agents.h"
#include "console/console_host.h"
#include "desklet/desklet.h"

namespace tideglass {

// Throws when no new agent starts: that is a child that could not be run.
void Desklet::renewDeadAgent() {
    if (!agent_ || agent_->running())
        return;
    agent_->renew();
    consoleWindow = platform_.console.window();
    platform_.console.hide(consoleWindow);
    resizeConsole();
}

// The child starts in the widget's console; an agent that ended while it started the program (or
// was ended for not taking the request) is replaced at once, and the start tried once more.
void Desklet::launchChild(ChildProcess& fresh, const std::string& commandLine,
                          const std::string& directory) {
    renewDeadAgent();
    try {
        fresh.launch(commandLine, directory);
    } catch (...) {
        if (!agent_ || agent_->running())
            throw;
        renewDeadAgent();
        fresh.launch(commandLine, directory);
    }
}

}  // namespace tideglass
