// The console ports over the kernel's console functions: giving the process a hidden console,
// reading and sizing its screen buffer, and typing into its input buffer.
#pragma once

#include "console/console_host.h"
#include "console/console_input.h"
#include "console/screen_buffer.h"

namespace tideglass::win32 {

class Win32ConsoleHost final : public ConsoleHost {
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
};

class Win32ConsoleInput final : public ConsoleInput {
public:
    void write(NativeHandle input, const KeyEvent& event) override;
    bool processedInput(NativeHandle input) override;
    bool raise(ControlSignal signal) override;
};

class Win32ScreenBuffer final : public ScreenBuffer {
public:
    bool info(NativeHandle output, ScreenInfo& out) override;
    uint32_t readCharacters(NativeHandle output, int16_t x, int16_t y, char* dest,
                            uint32_t count) override;
    uint32_t readAttributes(NativeHandle output, int16_t x, int16_t y, uint16_t* dest,
                            uint32_t count) override;
    CellSize largestWindow(NativeHandle output) override;
    void setBufferSize(NativeHandle output, int16_t columns, int16_t rows) override;
    void setWindow(NativeHandle output, int16_t left, int16_t top, int16_t right,
                   int16_t bottom) override;
    void setOutputCodePage(uint32_t codePage) override;
    uint32_t oemCodePage() override;
    uint32_t ansiCodePage() override;
};

}  // namespace tideglass::win32
