// Console agents: a widget whose host process already has a console runs its own in a companion
// process, this module loaded by the system's rundll32 at its ConsoleAgent entry point. The two
// share one unnamed section (console/agent_channel.h) and two events, all handed to the agent by
// inheritance and reachable by no name; the agent also holds the host process, so it ends with it.
#pragma once

#include <windows.h>

#include <memory>

#include "console/console_agents.h"

namespace tideglass::win32 {

class Win32ConsoleAgents final : public ConsoleAgents {
public:
    std::unique_ptr<AgentConsole> start(WindowHandle widgetWindow) override;
};

// The agent process's whole life, from rundll32's arguments: the section, the wake and reply
// events and the host process, as hexadecimal handle values. Returns when the widget lets it go
// or the host process ends, with its console and the programs started in it gone.
int runConsoleAgent(const char* arguments);

}  // namespace tideglass::win32
