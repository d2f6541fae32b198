// A scripted console screen buffer for the renderer tests: a character and attribute buffer
// of a fixed size read as rectangles, a window origin and a cursor, and switches that make each
// call fail.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "console/screen_buffer.h"

namespace tideglass::testing {

class ScriptedScreen : public ScreenBuffer {
public:
    ScriptedScreen(int16_t width, int16_t height)
        : characters(size_t(width) * size_t(height), u' '),
          attributes(size_t(width) * size_t(height), 0x07),
          width_(width) {}

    bool info(NativeHandle, ScreenInfo& out) override {
        ++infoCalls;
        if (failInfo)
            return false;
        out = screen;
        out.bufferColumns = width_;
        out.bufferRows = int16_t(characters.size() / size_t(width_));
        return true;
    }
    int32_t readWindow(NativeHandle, const ScreenInfo& at, int32_t columns, int32_t rows,
                       char16_t* chars, uint16_t* attrs) override {
        ++windowReads;
        attributeReads += attrs ? 1 : 0;
        const int32_t height = int32_t(characters.size() / size_t(width_));
        const int32_t read = std::min(rows, rowLimit);
        for (int32_t r = 0; r < read; ++r) {
            for (int32_t c = 0; c < columns; ++c) {
                const int32_t x = at.windowLeft + c;
                const int32_t y = at.windowTop + r;
                const bool inside = x < width_ && y < height;
                const size_t cell = size_t(r) * size_t(columns) + size_t(c);
                chars[cell] = inside ? characters[offset(int16_t(x), int16_t(y))] : kBlankCharacter;
                if (attrs)
                    attrs[cell] =
                        inside ? attributes[offset(int16_t(x), int16_t(y))] : kBlankAttribute;
            }
        }
        return read;
    }
    CellSize largestWindow(NativeHandle) override { return {160, 62}; }
    void setBufferSize(NativeHandle, int16_t, int16_t) override {}
    void setWindow(NativeHandle, int16_t, int16_t, int16_t, int16_t) override {}
    void setOutputCodePage(uint32_t codePage) override { codePages.push_back(codePage); }
    uint32_t oemCodePage() override { return kOem; }
    uint32_t ansiCodePage() override { return kAnsi; }

    // Writes text at (x, y) of the buffer, running on into the next rows.
    void write(int16_t x, int16_t y, const std::u16string& text) {
        std::copy(text.begin(), text.end(), characters.begin() + offset(x, y));
    }
    uint16_t& attributeAt(int16_t x, int16_t y) { return attributes[offset(x, y)]; }

    static constexpr uint32_t kOem = 437;
    static constexpr uint32_t kAnsi = 1252;

    ScreenInfo screen;
    std::vector<char16_t> characters;
    std::vector<uint16_t> attributes;
    bool failInfo = false;
    int32_t rowLimit = INT32_MAX;  // at most this many rows per read (0: the read fails)
    std::vector<uint32_t> codePages;
    int infoCalls = 0;
    int windowReads = 0;
    int attributeReads = 0;  // reads that asked for attributes

private:
    size_t offset(int16_t x, int16_t y) const { return size_t(y) * size_t(width_) + size_t(x); }

    int16_t width_;
};

}  // namespace tideglass::testing
