#include "platform/win32/win32_console.h"

#include <windows.h>

namespace tideglass::win32 {

namespace {

// Ctrl+C and Ctrl+Break typed into the hidden console reach every process attached to it, the
// host included; without this the default handler would end the host. Close, log-off and
// shut-down events go on to the next handler.
BOOL WINAPI consoleControlHandler(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
}

}  // namespace

bool Win32ConsoleHost::allocate() {
    return ::AllocConsole() != FALSE;
}

WindowHandle Win32ConsoleHost::window() {
    return ::GetConsoleWindow();
}

void Win32ConsoleHost::hide(WindowHandle consoleWindow) {
    ::ShowWindow(static_cast<HWND>(consoleWindow), SW_HIDE);
}

void Win32ConsoleHost::installControlHandler() {
    ::SetConsoleCtrlHandler(consoleControlHandler, TRUE);
}

void Win32ConsoleHost::removeControlHandler() {
    ::SetConsoleCtrlHandler(consoleControlHandler, FALSE);
}

NativeHandle Win32ConsoleHost::standardInput() {
    return ::GetStdHandle(STD_INPUT_HANDLE);
}

NativeHandle Win32ConsoleHost::standardOutput() {
    return ::GetStdHandle(STD_OUTPUT_HANDLE);
}

void Win32ConsoleHost::closeHandle(NativeHandle handle) {
    ::CloseHandle(handle);
}

void Win32ConsoleHost::release() {
    ::FreeConsole();
}

void Win32ConsoleInput::write(NativeHandle input, const KeyEvent& event) {
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    key.bKeyDown = event.keyDown ? TRUE : FALSE;
    key.wRepeatCount = event.repeatCount;
    key.wVirtualKeyCode = event.virtualKeyCode;
    key.wVirtualScanCode = event.virtualScanCode;
    key.uChar.UnicodeChar = static_cast<WCHAR>(event.character);
    key.dwControlKeyState = event.controlKeyState;
    DWORD written = 0;
    ::WriteConsoleInputW(input, &record, 1, &written);
}

bool Win32ConsoleInput::processedInput(NativeHandle input) {
    DWORD mode = 0;
    return ::GetConsoleMode(input, &mode) && (mode & ENABLE_PROCESSED_INPUT) != 0;
}

// Process group 0: every process attached to the console, the host included (whose handler
// swallows the signal).
bool Win32ConsoleInput::raise(ControlSignal signal) {
    const DWORD event = signal == ControlSignal::CtrlBreak ? CTRL_BREAK_EVENT : CTRL_C_EVENT;
    return ::GenerateConsoleCtrlEvent(event, 0) != FALSE;
}

bool Win32ScreenBuffer::info(NativeHandle output, ScreenInfo& out) {
    CONSOLE_SCREEN_BUFFER_INFO csbi{};
    if (!::GetConsoleScreenBufferInfo(output, &csbi))
        return false;
    out.windowLeft = csbi.srWindow.Left;
    out.windowTop = csbi.srWindow.Top;
    out.cursorX = csbi.dwCursorPosition.X;
    out.cursorY = csbi.dwCursorPosition.Y;
    return true;
}

uint32_t Win32ScreenBuffer::readCharacters(NativeHandle output, int16_t x, int16_t y, char* dest,
                                           uint32_t count) {
    DWORD read = 0;
    if (!::ReadConsoleOutputCharacterA(output, dest, count, COORD{x, y}, &read))
        return 0;
    return read;
}

uint32_t Win32ScreenBuffer::readAttributes(NativeHandle output, int16_t x, int16_t y,
                                           uint16_t* dest, uint32_t count) {
    DWORD read = 0;
    if (!::ReadConsoleOutputAttribute(output, reinterpret_cast<WORD*>(dest), count, COORD{x, y},
                                      &read)) {
        return 0;
    }
    return read;
}

CellSize Win32ScreenBuffer::largestWindow(NativeHandle output) {
    // 0 x 0 on failure, for instance when the console has no window (no display).
    const COORD largest = ::GetLargestConsoleWindowSize(output);
    return CellSize{largest.X, largest.Y};
}

void Win32ScreenBuffer::setBufferSize(NativeHandle output, int16_t columns, int16_t rows) {
    ::SetConsoleScreenBufferSize(output, COORD{columns, rows});
}

void Win32ScreenBuffer::setWindow(NativeHandle output, int16_t left, int16_t top, int16_t right,
                                  int16_t bottom) {
    const SMALL_RECT window{left, top, right, bottom};
    ::SetConsoleWindowInfo(output, TRUE, &window);
}

void Win32ScreenBuffer::setOutputCodePage(uint32_t codePage) {
    ::SetConsoleOutputCP(codePage);
}

uint32_t Win32ScreenBuffer::oemCodePage() {
    return ::GetOEMCP();
}

uint32_t Win32ScreenBuffer::ansiCodePage() {
    return ::GetACP();
}

}  // namespace tideglass::win32
