// A scriptable console for the core's tests: a host that can refuse to allocate, and a screen
// buffer with cells, attributes, window origin, cursor and largest window size, recording the
// calls made on it.
#pragma once

#include <string>
#include <vector>

#include "console/console_host.h"
#include "console/console_input.h"
#include "console/screen_buffer.h"

namespace tideglass::fakes {

class FakeConsoleHost : public ConsoleHost {
public:
    bool allocate() override;
    WindowHandle window() override;
    void hide(WindowHandle consoleWindow) override;
    void installControlHandler() override;
    void removeControlHandler() override;
    NativeHandle standardInput() override;
    NativeHandle standardOutput() override;
    void closeHandle(NativeHandle handle) override;
    void release() override;

    // What the fake console hands out.
    WindowHandle consoleWindow = reinterpret_cast<WindowHandle>(0xC0);
    NativeHandle input = reinterpret_cast<NativeHandle>(0x11);
    NativeHandle output = reinterpret_cast<NativeHandle>(0x22);

    bool allocateFails = false;  // as when the process already has a console
    bool allocated = false;
    int installedHandlers = 0;  // handlers installed and not removed
    std::vector<WindowHandle> hidden;
    std::vector<NativeHandle> closed;
    std::vector<std::string> calls;
    std::vector<std::string>* log = nullptr;

private:
    void record(const std::string& name);
};

// An input buffer that records the key events written into it and the signals raised.
class FakeConsoleInput : public ConsoleInput {
public:
    void write(NativeHandle input, const KeyEvent& event) override;
    std::size_t writeAll(NativeHandle input, const std::vector<KeyEvent>& events) override;
    // The events written and not yet read by "a program" (see `waiting`).
    uint32_t waitingEvents(NativeHandle) override { return waiting; }
    bool processedInput(NativeHandle input) override;
    bool raise(ControlSignal signal) override;

    bool processed = true;
    bool refuseBreak = false;  // as Wine does
    std::vector<KeyEvent> written;
    std::vector<NativeHandle> handlesSeen;
    std::vector<ControlSignal> raised;
    uint32_t waiting = 0;  // raised by every write; a test lowers it as a reader would
    std::size_t takeAtMost = ~std::size_t{0};  // per writeAll, as a full input buffer would
};

class FakeScreenBuffer : public ScreenBuffer {
public:
    struct WindowCall {
        int16_t left, top, right, bottom;
    };
    struct SizeCall {
        int16_t columns, rows;
    };

    // A buffer of the given size filled with spaces and attribute 0x07.
    explicit FakeScreenBuffer(int columns = 80, int rows = 250);

    bool info(NativeHandle output, ScreenInfo& out) override;
    int32_t readWindow(NativeHandle output, const ScreenInfo& screen, int32_t columns, int32_t rows,
                       char16_t* characters, uint16_t* attributes) override;
    CellSize largestWindow(NativeHandle output) override;
    void setBufferSize(NativeHandle output, int16_t columns, int16_t rows) override;
    void setWindow(NativeHandle output, int16_t left, int16_t top, int16_t right,
                   int16_t bottom) override;
    void setOutputCodePage(uint32_t codePage) override;
    uint32_t oemCodePage() override { return oem; }
    uint32_t ansiCodePage() override { return ansi; }

    // Writes text (and optionally its attribute) into the buffer at a buffer cell.
    void write(int row, int column, const std::string& text, uint16_t attribute = 0x07);
    void resize(int columns, int rows);

    int bufferColumns = 0;
    int bufferRows = 0;
    std::vector<char16_t> cells;
    std::vector<uint16_t> attributes;
    ScreenInfo screen;  // window origin and cursor
    CellSize largest{160, 62};
    uint32_t oem = 437;
    uint32_t ansi = 1252;
    uint32_t outputCodePage = 0;

    bool infoFails = false;
    bool readFails = false;

    std::vector<WindowCall> windowCalls;
    std::vector<SizeCall> bufferSizeCalls;
    std::vector<NativeHandle> handlesSeen;  // the output handle of every call
    int windowReads = 0;
    std::vector<std::string> calls;
    std::vector<std::string>* log = nullptr;

private:
    void record(const std::string& name, NativeHandle output);
};

}  // namespace tideglass::fakes
