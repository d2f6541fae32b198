// The console ports over the kernel's console functions: giving the process a hidden console,
// reading and sizing its screen buffer, and typing into its input buffer.
#pragma once

#include <windows.h>

#include <vector>

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
    std::size_t writeAll(NativeHandle input, const std::vector<KeyEvent>& events) override;
    uint32_t waitingEvents(NativeHandle input) override;
    bool processedInput(NativeHandle input) override;
    bool raise(ControlSignal signal) override;
};

class Win32ScreenBuffer final : public ScreenBuffer {
public:
    bool info(NativeHandle output, ScreenInfo& out) override;
    int32_t readWindow(NativeHandle output, const ScreenInfo& screen, int32_t columns, int32_t rows,
                       char16_t* characters, uint16_t* attributes) override;
    CellSize largestWindow(NativeHandle output) override;
    void setBufferSize(NativeHandle output, int16_t columns, int16_t rows) override;
    void setWindow(NativeHandle output, int16_t left, int16_t top, int16_t right,
                   int16_t bottom) override;
    void setOutputCodePage(uint32_t codePage) override;
    uint32_t oemCodePage() override;
    uint32_t ansiCodePage() override;

private:
    bool readBand(HANDLE output, const SMALL_RECT& band, int32_t columns, char16_t* characters,
                  uint16_t* attributes);

    // Kept between reads so that a tick allocates nothing. One reader at a time: the snapshot
    // runs under the desklet lock, and a process has only one console to read.
    std::vector<CHAR_INFO> cells_;
};

}  // namespace tideglass::win32
