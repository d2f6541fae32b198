// A drawing back end that records every call: canvases with their clears and text output
// (with the colours and background mode in force at each output), fonts, and their release.
#pragma once

#include <map>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "render/graphics.h"

namespace tideglass::fakes {

struct FakeTextOut {
    int32_t x = 0;
    int32_t y = 0;
    std::u16string text;
    uint32_t textColor = 0;
    uint32_t backgroundColor = 0;
    BackgroundMode mode = BackgroundMode::Opaque;
    uint32_t align = 0;
    std::string font;               // name of the font selected at that moment ("" when none)
    std::vector<int32_t> advances;  // one for each character; empty for the font's own
    PixelBox clip;
};

struct FakeRectClear {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t argb = 0;
};

struct FakeCanvasRecord {
    int32_t width = 0;
    int32_t height = 0;
    bool failed = false;
    std::vector<uint32_t> clears;
    std::vector<FakeRectClear> rectClears;
    std::vector<FakeRectClear> areas;  // of each text context on a part, without a colour
    std::vector<FakeTextOut> texts;
    std::vector<std::u16string> measured;
    int textContextsOpened = 0;
    bool released = false;
};

struct FakeGraphicsState {
    // Extent of one character when measured; characters not listed use defaultExtent.
    std::map<char16_t, TextExtent> extentPerChar;
    TextExtent defaultExtent{8, 12};
    // Extent of every character in the fonts listed, by face name, before the two above.
    std::map<std::string, TextExtent> extentPerFont;
    bool failCanvas = false;       // every canvas is created without a bitmap
    int failCanvasFromIndex = -1;  // canvases from this creation index on fail (-1: none)
    bool failFont = false;         // createFont returns null
    bool failTextContext = false;  // openText returns null
    // Glyphs by character; characters not listed are defaultExtent wide, their ink inside.
    std::map<char16_t, GlyphInk> glyphs;
    std::u16string measuredGlyphs;  // every character measured, in order

    std::vector<std::shared_ptr<FakeCanvasRecord>> canvases;
    std::vector<FontBlock> fontsCreated;
    int stockFontsTaken = 0;
    int64_t virtualScreenArea = 1280 * 1024;
    std::vector<std::string> log;  // "canvas 128x128", "font Face", "stock font", "release ..."
};

class FakeGraphics : public Graphics {
public:
    FakeGraphics() : state_(std::make_shared<FakeGraphicsState>()) {}

    std::unique_ptr<Canvas> createCanvas(int32_t width, int32_t height) override;
    std::unique_ptr<Font> createFont(const FontBlock& block) override;
    std::unique_ptr<Font> stockOemFixedFont() override;
    int64_t virtualScreenArea() override { return state_->virtualScreenArea; }

    FakeGraphicsState& state() { return *state_; }
    FakeGraphicsState* operator->() { return state_.get(); }
    // The most recent canvas created (the overlay, once a renderer is built).
    FakeCanvasRecord& lastCanvas() { return *state_->canvases.back(); }

private:
    std::shared_ptr<FakeGraphicsState> state_;
};

}  // namespace tideglass::fakes
