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
    cells.assign(static_cast<size_t>(columns) * rows, ' ');
    attributes.assign(static_cast<size_t>(columns) * rows, 0x07);
}

void FakeScreenBuffer::write(int row, int column, const std::string& text, uint16_t attribute) {
    size_t at = static_cast<size_t>(row) * bufferColumns + column;
    for (char c : text) {
        if (at >= cells.size())
            break;
        cells[at] = c;
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
    return true;
}

uint32_t FakeScreenBuffer::readCharacters(NativeHandle output, int16_t x, int16_t y, char* dest,
                                          uint32_t count) {
    record("readCharacters", output);
    ++characterReads;
    if (readCharactersFails || x < 0 || y < 0)
        return 0;
    const size_t start = static_cast<size_t>(y) * bufferColumns + x;
    if (start >= cells.size())
        return 0;
    const size_t n = std::min<size_t>(count, cells.size() - start);
    std::copy_n(cells.begin() + start, n, dest);
    return static_cast<uint32_t>(n);
}

uint32_t FakeScreenBuffer::readAttributes(NativeHandle output, int16_t x, int16_t y, uint16_t* dest,
                                          uint32_t count) {
    record("readAttributes", output);
    ++attributeReads;
    if (readAttributesFails || x < 0 || y < 0)
        return 0;
    const size_t start = static_cast<size_t>(y) * bufferColumns + x;
    if (start >= attributes.size())
        return 0;
    const size_t n = std::min<size_t>(count, attributes.size() - start);
    std::copy_n(attributes.begin() + start, n, dest);
    return static_cast<uint32_t>(n);
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
