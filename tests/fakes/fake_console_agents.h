// Console agents for the core's tests: a start that fails with a reason, or hands out an agent
// whose console, screen, input and processes are fakes of their own.
#pragma once

#include <memory>
#include <string>

#include "console/console_agents.h"
#include "fakes/fake_clipboard.h"
#include "fakes/fake_console.h"
#include "fakes/fake_processes.h"
#include "ports/handles.h"

namespace tideglass::fakes {

class FakeAgentConsole : public AgentConsole {
public:
    ConsoleHost& console() override { return consoleHost; }
    ScreenBuffer& screen() override { return screenBuffer; }
    ConsoleInput& input() override { return consoleInput; }
    Processes& processes() override { return processList; }
    ConsoleText& text() override { return consoleText; }
    bool running() override { return alive; }
    // A new console: a new window handle, and the screen's calls recorded afresh.
    void renew() override;

    bool alive = true;
    int renewals = 0;
    std::string renewFailure;  // a renewal throws this when set

    FakeConsoleHost consoleHost;
    FakeScreenBuffer screenBuffer;
    FakeConsoleInput consoleInput;
    FakeProcesses processList;
    FakeConsoleText consoleText{screenBuffer};
};

class FakeConsoleAgents : public ConsoleAgents {
public:
    // Hands out `next` (one agent); throws `failure` when there is none.
    std::unique_ptr<AgentConsole> start(WindowHandle widgetWindow) override;

    std::unique_ptr<FakeAgentConsole> next;
    std::string failure = "no agent in this test";
    int starts = 0;
    WindowHandle widgetWindow = nullptr;  // the window the last start was given
};

}  // namespace tideglass::fakes
