// Drawing ports: a font, a canvas (a 32bpp ARGB bitmap with its graphics object, handed to the
// host as its overlay image) and the text context (a device context taken on a canvas).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "settings/font_block.h"

namespace tideglass {

class Font {
public:
    Font() = default;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    virtual ~Font() = default;  // releases the font unless it is a stock object
};

struct TextExtent {
    int32_t width = 0;
    int32_t height = 0;
};

enum class BackgroundMode { Transparent, Opaque };

struct BoxSpan {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
};

// What a lone output of one byte covers, relative to the output point (text aligned to its
// top-left corner): the width of the box it fills in opaque mode, the columns its ink spans
// (none when inkLeft == inkRight), and the rows that ink or box may touch.
struct GlyphBox {
    int32_t advance = 0;
    int32_t inkLeft = 0;
    int32_t inkRight = 0;
    int32_t top = 0;
    int32_t bottom = 0;
    // Starts a character of more than one byte in the font's code page: it has to be output by
    // itself, or it would join the byte after it into one character.
    bool alone = false;
};
using GlyphBoxes = std::array<GlyphBox, 256>;

// Valid while it lives; releases the device context (and restores the selected font) when
// destroyed.
class TextContext {
public:
    TextContext() = default;
    TextContext(const TextContext&) = delete;
    TextContext& operator=(const TextContext&) = delete;
    virtual ~TextContext() = default;

    virtual void selectFont(const Font& font) = 0;
    virtual TextExtent measure(const std::u16string& text) = 0;
    virtual void setTextAlign(uint32_t align) = 0;
    virtual void setBackgroundMode(BackgroundMode mode) = 0;
    virtual void setTextColor(uint32_t colorref) = 0;
    virtual void setBackgroundColor(uint32_t colorref) = 0;
    virtual void textOut(int32_t x, int32_t y, const char* bytes, int32_t count) = 0;
    // Outputs `count` bytes from x, each character `advances[i]` pixels right of the one before;
    // in opaque mode the background box is as wide as all the advances together.
    virtual void textOutAdvances(int32_t x, int32_t y, const char* bytes, int32_t count,
                                 const int32_t* advances) = 0;
    // Outputs `count` bytes in transparent mode, the first at (x, y) and each next one
    // steps[2i] pixels right and steps[2i + 1] pixels down of the one before it; the last
    // pair moves nothing that shows. One call may so place characters on several rows.
    virtual void textOutSteps(int32_t x, int32_t y, const char* bytes, int32_t count,
                              const int32_t* steps) = 0;
    // Fills, for each of `count` boxes, the box that opaque output `width` pixels wide at
    // (x, y) would fill, in the background colour, without any character.
    virtual void fillBoxes(const BoxSpan* boxes, int32_t count) = 0;
    // The box of every byte in the selected font.
    virtual void glyphBoxes(GlyphBoxes& out) = 0;
};

class Canvas {
public:
    Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    virtual ~Canvas() = default;

    virtual uint32_t width() = 0;   // 0 when the query fails
    virtual uint32_t height() = 0;  // 0 when the query fails
    virtual void clear(uint32_t argb) = 0;
    // Sets every pixel of the rectangle to the colour, alpha included, as clear does.
    virtual void clearRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb) = 0;
    // Null when no device context can be had; drawing then leaves the canvas as it is.
    virtual std::unique_ptr<TextContext> openText() = 0;
    // The same, for output that lands only inside the rectangle (at the canvas's own
    // coordinates); it may cost less than a context on the whole canvas.
    virtual std::unique_ptr<TextContext> openTextArea(int32_t left, int32_t top, int32_t width,
                                                      int32_t height) = 0;
    // What the host receives as the overlay (a Gdiplus::Image* on Windows).
    virtual void* hostImage() = 0;
};

class Graphics {
public:
    Graphics() = default;
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;
    virtual ~Graphics() = default;

    // A 32bpp ARGB canvas; a canvas without a bitmap (null image, size 0) when creation fails.
    virtual std::unique_ptr<Canvas> createCanvas(int32_t width, int32_t height) = 0;
    virtual std::unique_ptr<Font> createFont(const FontBlock& block) = 0;  // null on failure
    virtual std::unique_ptr<Font> stockOemFixedFont() = 0;
};

}  // namespace tideglass
