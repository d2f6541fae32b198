#include "platform/win32/win32_console.h"

#include <windows.h>

#include <algorithm>

namespace tideglass::win32 {

namespace {

// One console read stays below 64 KB of cells: older Windows consoles refuse bigger ones. Wine
// takes more, but a band costs only one more round trip to the console.
constexpr int32_t kMaxCellsPerRead = (60 * 1024) / sizeof(CHAR_INFO);

constexpr int kAllocateAttempts = 3;
constexpr DWORD kAllocateRetryMs = 50;

void blankCells(char16_t* characters, uint16_t* attributes, size_t count) {
    std::fill_n(characters, count, kBlankCharacter);
    if (attributes)
        std::fill_n(attributes, count, kBlankAttribute);
}

// Ctrl+C and Ctrl+Break typed into the hidden console reach every process attached to it, the
// host included; without this the default handler would end the host. Close, log-off and
// shut-down events go on to the next handler.
BOOL WINAPI consoleControlHandler(DWORD event) {
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
}

}  // namespace

// A process that has a console already is refused with ERROR_ACCESS_DENIED, which no retry
// mends. Any other failure is the system failing to start the console's host process, which
// Wine now and then does on a loaded machine (ERROR_INVALID_FUNCTION) and not when asked again.
bool Win32ConsoleHost::allocate() {
    for (int attempt = 1;; ++attempt) {
        if (::AllocConsole())
            return true;
        if (::GetLastError() == ERROR_ACCESS_DENIED || attempt == kAllocateAttempts)
            return false;
        ::Sleep(kAllocateRetryMs);
    }
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

namespace {

INPUT_RECORD keyRecord(const KeyEvent& event) {
    INPUT_RECORD record{};
    record.EventType = KEY_EVENT;
    KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    key.bKeyDown = event.keyDown ? TRUE : FALSE;
    key.wRepeatCount = event.repeatCount;
    key.wVirtualKeyCode = event.virtualKeyCode;
    key.wVirtualScanCode = event.virtualScanCode;
    key.uChar.UnicodeChar = static_cast<WCHAR>(event.character);
    key.dwControlKeyState = event.controlKeyState;
    return record;
}

}  // namespace

void Win32ConsoleInput::write(NativeHandle input, const KeyEvent& event) {
    const INPUT_RECORD record = keyRecord(event);
    DWORD written = 0;
    ::WriteConsoleInputW(input, &record, 1, &written);
}

std::size_t Win32ConsoleInput::writeAll(NativeHandle input, const std::vector<KeyEvent>& events) {
    std::vector<INPUT_RECORD> records;
    records.reserve(events.size());
    for (const KeyEvent& event : events)
        records.push_back(keyRecord(event));
    DWORD written = 0;
    if (records.empty() ||
        !::WriteConsoleInputW(input, records.data(), DWORD(records.size()), &written)) {
        return 0;
    }
    return written;
}

uint32_t Win32ConsoleInput::waitingEvents(NativeHandle input) {
    DWORD count = 0;
    return ::GetNumberOfConsoleInputEvents(input, &count) ? count : 0;
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
    out.windowRight = csbi.srWindow.Right;
    out.windowBottom = csbi.srWindow.Bottom;
    out.cursorX = csbi.dwCursorPosition.X;
    out.cursorY = csbi.dwCursorPosition.Y;
    out.bufferColumns = csbi.dwSize.X;
    out.bufferRows = csbi.dwSize.Y;
    CONSOLE_CURSOR_INFO cursor{};
    out.cursorVisible = !::GetConsoleCursorInfo(output, &cursor) || cursor.bVisible != FALSE;
    return true;
}

// Characters and attributes come from one rectangle read per band, as UTF-16: what the widget
// holds never depends on the console's code page (under UTF-8 the byte reads return nothing
// once a character outside ASCII is in the range).
namespace {

// Only the first half of a pair marks the second as one.
bool isSecondHalf(const CHAR_INFO* row, int32_t x) {
    const auto half = [row](int32_t i) {
        return row[i].Attributes & (COMMON_LVB_LEADING_BYTE | COMMON_LVB_TRAILING_BYTE);
    };
    return x > 0 && half(x) == COMMON_LVB_TRAILING_BYTE && half(x - 1) == COMMON_LVB_LEADING_BYTE;
}

}  // namespace

int32_t Win32ScreenBuffer::readWindow(NativeHandle output, const ScreenInfo& screen,
                                      int32_t columns, int32_t rows, char16_t* characters,
                                      uint16_t* attributes) {
    const int32_t left = screen.windowLeft;
    const int32_t top = screen.windowTop;
    if (columns <= 0 || rows <= 0 || left < 0 || top < 0)
        return 0;
    const int32_t insideColumns = std::clamp<int32_t>(screen.bufferColumns - left, 0, columns);
    const int32_t insideRows =
        insideColumns == 0 ? 0 : std::clamp<int32_t>(screen.bufferRows - top, 0, rows);
    const size_t insideCells = size_t(insideRows) * size_t(columns);
    blankCells(characters + insideCells, attributes ? attributes + insideCells : nullptr,
               size_t(rows - insideRows) * size_t(columns));
    if (insideRows == 0)
        return rows;

    const int32_t bandRows = std::max<int32_t>(1, kMaxCellsPerRead / columns);
    for (int32_t first = 0; first < insideRows; first += bandRows) {
        const int32_t count = std::min(bandRows, insideRows - first);
        const SMALL_RECT band{SHORT(left), SHORT(top + first), SHORT(left + insideColumns - 1),
                              SHORT(top + first + count - 1)};
        const size_t offset = size_t(first) * size_t(columns);
        if (!readBand(output, band, columns, characters + offset,
                      attributes ? attributes + offset : nullptr)) {
            return first;
        }
    }
    return rows;
}

bool Win32ScreenBuffer::readBand(HANDLE output, const SMALL_RECT& band, int32_t columns,
                                 char16_t* characters, uint16_t* attributes) {
    const int32_t width = band.Right - band.Left + 1;
    const int32_t height = band.Bottom - band.Top + 1;
    // Blank beforehand: a buffer that shrank since its size was read fills only what it still
    // has.
    CHAR_INFO blank{};
    blank.Char.UnicodeChar = L' ';
    blank.Attributes = kBlankAttribute;
    cells_.assign(size_t(width) * size_t(height), blank);
    SMALL_RECT region = band;
    if (!::ReadConsoleOutputW(output, cells_.data(), COORD{SHORT(width), SHORT(height)},
                              COORD{0, 0}, &region)) {
        return false;
    }
    for (int32_t y = 0; y < height; ++y) {
        const CHAR_INFO* from = &cells_[size_t(y) * size_t(width)];
        char16_t* character = characters + size_t(y) * size_t(columns);
        uint16_t* attribute = attributes ? attributes + size_t(y) * size_t(columns) : nullptr;
        for (int32_t x = 0; x < width; ++x) {
            // The console repeats a wide character in its second cell, marked as the trailing
            // half; it is one glyph, drawn from the first cell. A cell marked so without a first
            // half before it (or marked as both halves) is shown with its own character.
            character[x] = isSecondHalf(from, x) ? kWideTrail : char16_t(from[x].Char.UnicodeChar);
            if (attribute)
                attribute[x] = from[x].Attributes;
        }
        std::fill(character + width, character + columns, kBlankCharacter);
        if (attribute)
            std::fill(attribute + width, attribute + columns, kBlankAttribute);
    }
    return true;
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
