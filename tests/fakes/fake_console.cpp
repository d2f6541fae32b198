#include "fakes/fake_console.h"

#include <algorithm>

namespace tideglass::fakes {

void FakeConsoleHost::record(const std::string& name) {
    calls.push_back(name);
    if (log)
        log->push_back(name);
}

bool FakeConsoleHost::allocate() {
    record("allocConsole");
    if (allocateFails || allocated)
        return false;
    allocated = true;
    return true;
}

WindowHandle FakeConsoleHost::window() {
    record("getConsoleWindow");
    return consoleWindow;
}

void FakeConsoleHost::hide(WindowHandle w) {
    record("hideConsoleWindow");
    hidden.push_back(w);
}

void FakeConsoleHost::installControlHandler() {
    record("installControlHandler");
    ++installedHandlers;
}

void FakeConsoleHost::removeControlHandler() {
    record("removeControlHandler");
    --installedHandlers;
}

NativeHandle FakeConsoleHost::standardInput() {
    record("getStdInput");
    return input;
}

NativeHandle FakeConsoleHost::standardOutput() {
    record("getStdOutput");
    return output;
}

void FakeConsoleHost::closeHandle(NativeHandle handle) {
    record(handle == output  ? "closeConsoleOutput"
           : handle == input ? "closeConsoleInput"
                             : "closeConsoleHandle?");
    closed.push_back(handle);
}

void FakeConsoleHost::release() {
    record("freeConsole");
    allocated = false;
}

void FakeConsoleInput::write(NativeHandle input, const KeyEvent& event) {
    handlesSeen.push_back(input);
    written.push_back(event);
}

std::size_t FakeConsoleInput::writeAll(NativeHandle input, const std::vector<KeyEvent>& events) {
    handlesSeen.push_back(input);
    const std::size_t taken = std::min(events.size(), takeAtMost);
    written.insert(written.end(), events.begin(), events.begin() + std::ptrdiff_t(taken));
    waiting += uint32_t(taken);
    return taken;
}

bool FakeConsoleInput::processedInput(NativeHandle input) {
    handlesSeen.push_back(input);
    return processed;
}

bool FakeConsoleInput::raise(ControlSignal signal) {
    if (signal == ControlSignal::CtrlBreak && refuseBreak)
        return false;
    raised.push_back(signal);
    return true;
}

FakeScreenBuffer::FakeScreenBuffer(int columns, int rows) {
    resize(columns, rows);
}

void FakeScreenBuffer::resize(int columns, int rows) {
    bufferColumns = columns;
    bufferRows = rows;
    cells.assign(static_cast<size_t>(columns) * rows, u' ');
    attributes.assign(static_cast<size_t>(columns) * rows, 0x07);
}

void FakeScreenBuffer::write(int row, int column, const std::string& text, uint16_t attribute) {
    size_t at = static_cast<size_t>(row) * bufferColumns + column;
    for (char c : text) {
        if (at >= cells.size())
            break;
        cells[at] = char16_t(static_cast<unsigned char>(c));
        attributes[at] = attribute;
        ++at;
    }
}

void FakeScreenBuffer::record(const std::string& name, NativeHandle output) {
    calls.push_back(name);
    handlesSeen.push_back(output);
    if (log)
        log->push_back(name);
}

bool FakeScreenBuffer::info(NativeHandle output, ScreenInfo& out) {
    record("getScreenBufferInfo", output);
    if (infoFails)
        return false;
    out = screen;
    out.bufferColumns = static_cast<int16_t>(bufferColumns);
    out.bufferRows = static_cast<int16_t>(bufferRows);
    return true;
}

int32_t FakeScreenBuffer::readWindow(NativeHandle output, const ScreenInfo& at, int32_t columns,
                                     int32_t rows, char16_t* characters, uint16_t* attrs) {
    record("readWindow", output);
    ++windowReads;
    if (readFails)
        return 0;
    for (int32_t r = 0; r < rows; ++r) {
        for (int32_t c = 0; c < columns; ++c) {
            const int32_t x = at.windowLeft + c;
            const int32_t y = at.windowTop + r;
            const bool inside = x >= 0 && y >= 0 && x < bufferColumns && y < bufferRows;
            const size_t from = inside ? size_t(y) * size_t(bufferColumns) + size_t(x) : 0;
            const size_t to = size_t(r) * size_t(columns) + size_t(c);
            characters[to] = inside ? cells[from] : kBlankCharacter;
            if (attrs)
                attrs[to] = inside ? attributes[from] : kBlankAttribute;
        }
    }
    return rows;
}

CellSize FakeScreenBuffer::largestWindow(NativeHandle output) {
    record("getLargestWindowSize", output);
    return largest;
}

void FakeScreenBuffer::setBufferSize(NativeHandle output, int16_t columns, int16_t rows) {
    record("setBufferSize", output);
    bufferSizeCalls.push_back({columns, rows});
}

void FakeScreenBuffer::setWindow(NativeHandle output, int16_t left, int16_t top, int16_t right,
                                 int16_t bottom) {
    record("setWindowInfo", output);
    windowCalls.push_back({left, top, right, bottom});
}

void FakeScreenBuffer::setOutputCodePage(uint32_t codePage) {
    calls.push_back("setOutputCodePage");
    outputCodePage = codePage;
}

}  // namespace tideglass::fakes
