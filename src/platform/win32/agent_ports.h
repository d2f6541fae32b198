// The widget's ports over a console agent, one per job: the screen and its text as the agent
// last published them, input through the command queue, and programs started in the agent's
// console. Each works through the agent it is given, and a new one after the old has gone.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "console/agent_channel.h"
#include "console/console_input.h"
#include "console/console_text.h"
#include "console/processes.h"
#include "console/screen_buffer.h"
#include "platform/win32/agent_process.h"
#include "platform/win32/win32_processes.h"

namespace tideglass::win32 {

class AgentScreen final : public ScreenBuffer, public ConsoleText {
public:
    AgentScreen();
    void attach(AgentProcess* agent);

    bool info(NativeHandle, ScreenInfo& out) override;
    int32_t readWindow(NativeHandle, const ScreenInfo& screen, int32_t columns, int32_t rows,
                       char16_t* characters, uint16_t* attributes) override;
    CellSize largestWindow(NativeHandle) override;
    void setBufferSize(NativeHandle, int16_t columns, int16_t rows) override;
    void setWindow(NativeHandle, int16_t left, int16_t top, int16_t right, int16_t bottom) override;
    void setOutputCodePage(uint32_t codePage) override;
    uint32_t oemCodePage() override { return ::GetOEMCP(); }
    uint32_t ansiCodePage() override { return ::GetACP(); }

    std::vector<std::u16string> readRows(NativeHandle, int32_t left, int32_t top, int32_t columns,
                                         int32_t rows) override;

private:
    void send(agent::CommandKind kind, int32_t a, int32_t b, int32_t c, int32_t d);

    AgentProcess* agent_ = nullptr;
    // The read the widget draws from, and the one the next read goes into: kept only when whole.
    std::unique_ptr<agent::Snapshot> shown_;
    std::unique_ptr<agent::Snapshot> scratch_;
    uint32_t codePage_ = 0;
};

class AgentInput final : public ConsoleInput {
public:
    void attach(AgentProcess* agent);

    void write(NativeHandle, const KeyEvent& event) override;
    std::size_t writeAll(NativeHandle, const std::vector<KeyEvent>& events) override;
    uint32_t waitingEvents(NativeHandle) override;
    bool processedInput(NativeHandle) override;
    bool raise(ControlSignal signal) override;

private:
    void flush();

    AgentProcess* agent_ = nullptr;
    // Typed keys and signals the full queue could not take yet, in order: they go first.
    std::deque<agent::Command> backlog_;
};

class AgentChildren final : public Processes {
public:
    void attach(AgentProcess* agent) { agent_ = agent; }

    bool expand(const std::string& text, std::size_t limit, std::string& out) override {
        return local_.expand(text, limit, out);
    }
    // The agent keeps its children in a group of its own, which goes with the agent whichever
    // way it ends; the host side has none to give.
    NativeHandle createGroup() override { return nullptr; }
    uint32_t create(const std::string& commandLine, const std::string& directory, NativeHandle,
                    ProcessRecord& out) override;
    WaitResult poll(NativeHandle process) override;
    void terminate(NativeHandle process, uint32_t exitCode) override {
        local_.terminate(process, exitCode);
    }
    void closeHandle(NativeHandle handle) override { local_.closeHandle(handle); }
    std::string errorText(uint32_t code) override;

private:
    AgentProcess* agent_ = nullptr;
    Win32Processes local_;
};

}  // namespace tideglass::win32
