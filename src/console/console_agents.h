// Console port, part four: a console of the widget's own in a companion process, for a widget
// whose host process already has a console (Windows gives a process only one). The agent's
// console is reached through the same ports as the process's own.
#pragma once

#include <memory>

#include "ports/handles.h"

namespace tideglass {

class ConsoleHost;
class ScreenBuffer;
class ConsoleInput;
class Processes;
class ConsoleText;

class AgentConsole {
public:
    AgentConsole() = default;
    AgentConsole(const AgentConsole&) = delete;
    AgentConsole& operator=(const AgentConsole&) = delete;
    virtual ~AgentConsole() = default;  // ends the agent, its console and its programs

    virtual ConsoleHost& console() = 0;
    virtual ScreenBuffer& screen() = 0;
    virtual ConsoleInput& input() = 0;
    virtual Processes& processes() = 0;
    virtual ConsoleText& text() = 0;

    // False once the agent has ended, and its console and programs with it.
    virtual bool running() = 0;
    // A new agent with a new console in place of the old, behind the same ports; the console's
    // size is the caller's to set again. Throws std::runtime_error saying why it could not.
    virtual void renew() = 0;
};

class ConsoleAgents {
public:
    ConsoleAgents() = default;
    ConsoleAgents(const ConsoleAgents&) = delete;
    ConsoleAgents& operator=(const ConsoleAgents&) = delete;
    virtual ~ConsoleAgents() = default;

    // Starts an agent with a hidden console of its own for the widget whose window is given;
    // the agent wakes that window when its console changes. Throws std::runtime_error saying
    // why it could not.
    virtual std::unique_ptr<AgentConsole> start(WindowHandle widgetWindow) = 0;
};

}  // namespace tideglass
