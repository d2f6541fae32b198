// A scripted console screen buffer for the renderer tests: a character and attribute buffer
// of a fixed width that reads run through linearly, a window origin and a cursor, and switches
// that make each call fail.
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
        : characters(size_t(width) * size_t(height), ' '),
          attributes(size_t(width) * size_t(height), 0x07),
          width_(width) {}

    bool info(NativeHandle, ScreenInfo& out) override {
        ++infoCalls;
        if (failInfo)
            return false;
        out = screen;
        return true;
    }
    uint32_t readCharacters(NativeHandle, int16_t x, int16_t y, char* dest,
                            uint32_t count) override {
        ++characterReads;
        const uint32_t n = readable(x, y, count, characterLimit);
        std::copy_n(characters.begin() + offset(x, y), n, dest);
        return n;
    }
    uint32_t readAttributes(NativeHandle, int16_t x, int16_t y, uint16_t* dest,
                            uint32_t count) override {
        ++attributeReads;
        const uint32_t n = readable(x, y, count, attributeLimit);
        std::copy_n(attributes.begin() + offset(x, y), n, dest);
        return n;
    }
    CellSize largestWindow(NativeHandle) override { return {160, 62}; }
    void setBufferSize(NativeHandle, int16_t, int16_t) override {}
    void setWindow(NativeHandle, int16_t, int16_t, int16_t, int16_t) override {}
    void setOutputCodePage(uint32_t codePage) override { codePages.push_back(codePage); }
    uint32_t oemCodePage() override { return kOem; }
    uint32_t ansiCodePage() override { return kAnsi; }

    // Writes text at (x, y) of the buffer, running on into the next rows.
    void write(int16_t x, int16_t y, const std::string& text) {
        std::copy(text.begin(), text.end(), characters.begin() + offset(x, y));
    }
    uint16_t& attributeAt(int16_t x, int16_t y) { return attributes[offset(x, y)]; }

    static constexpr uint32_t kOem = 437;
    static constexpr uint32_t kAnsi = 1252;

    ScreenInfo screen;
    std::vector<char> characters;
    std::vector<uint16_t> attributes;
    bool failInfo = false;
    uint32_t characterLimit = UINT32_MAX;  // at most this many characters per read (0: fails)
    uint32_t attributeLimit = UINT32_MAX;
    std::vector<uint32_t> codePages;
    int infoCalls = 0;
    int characterReads = 0;
    int attributeReads = 0;

private:
    size_t offset(int16_t x, int16_t y) const { return size_t(y) * size_t(width_) + size_t(x); }
    uint32_t readable(int16_t x, int16_t y, uint32_t count, uint32_t limit) const {
        const size_t left = characters.size() - offset(x, y);
        return uint32_t(std::min<size_t>({count, left, limit}));
    }

    int16_t width_;
};

}  // namespace tideglass::testing
