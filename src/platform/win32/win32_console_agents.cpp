// The widget's side of a console agent: the ports over the agent it runs now, and the agent's
// console standing in for the process's own. A new agent replaces one that ended.
#include "platform/win32/win32_console_agents.h"

#include "console/console_host.h"
#include "platform/win32/agent_ports.h"
#include "platform/win32/agent_process.h"

namespace tideglass::win32 {
namespace {

class Win32AgentConsole final : public AgentConsole, private ConsoleHost {
public:
    explicit Win32AgentConsole(HWND widgetWindow)
        : widgetWindow_(widgetWindow), agent_(std::make_unique<AgentProcess>(widgetWindow)) {
        attachAll();
    }

    tideglass::ConsoleHost& console() override { return *this; }
    tideglass::ScreenBuffer& screen() override { return screen_; }
    tideglass::ConsoleInput& input() override { return input_; }
    tideglass::Processes& processes() override { return children_; }
    tideglass::ConsoleText& text() override { return screen_; }

    bool running() override { return agent_ && agent_->running(); }
    // The new agent is running before the old one is told to go.
    void renew() override {
        auto fresh = std::make_unique<AgentProcess>(widgetWindow_);
        agent_.swap(fresh);
        attachAll();
        fresh.reset();
    }

private:
    void attachAll() {
        screen_.attach(agent_.get());
        input_.attach(agent_.get());
        children_.attach(agent_.get());
    }

    // ---- console host: the agent already holds its console; releasing it ends the agent.
    bool allocate() override { return true; }
    WindowHandle window() override {
        return agent_
                   ? reinterpret_cast<WindowHandle>(uintptr_t(agent_->block().consoleWindow.load()))
                   : nullptr;
    }
    void hide(WindowHandle) override {}
    void installControlHandler() override {}
    void removeControlHandler() override {}
    // The desklet's console handles stand for the agent's console; nothing to close.
    NativeHandle standardInput() override { return this; }
    NativeHandle standardOutput() override { return this; }
    void closeHandle(NativeHandle) override {}
    void release() override {
        agent_.reset();
        attachAll();
    }

    HWND widgetWindow_;
    std::unique_ptr<AgentProcess> agent_;
    AgentScreen screen_;
    AgentInput input_;
    AgentChildren children_;
};

}  // namespace

std::unique_ptr<AgentConsole> Win32ConsoleAgents::start(WindowHandle widgetWindow) {
    return std::make_unique<Win32AgentConsole>(static_cast<HWND>(widgetWindow));
}

}  // namespace tideglass::win32
