// Drawing ports: a font, a canvas (a 32bpp ARGB bitmap with its graphics object, handed to the
// host as its overlay image) and the text context (a device context taken on a canvas).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "settings/font_block.h"

namespace tideglass {

// Where one character lands when drawn by itself, relative to its output point (text aligned
// to its top-left corner): its own advance, which is also the width of the box opaque output
// fills, and the columns its ink covers (none when inkLeft == inkRight). An advance below 0
// means the glyph could not be measured.
struct GlyphInk {
    int32_t advance = -1;
    int32_t inkLeft = 0;
    int32_t inkRight = 0;
};

class Font {
public:
    Font() = default;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    virtual ~Font() = default;  // releases the font unless it is a stock object

    // Measures each of `count` characters by drawing it, never from its outline's box, which
    // some fonts ink beyond.
    virtual void measureGlyphs(const char16_t* characters, int32_t count, GlyphInk* out) = 0;
};

struct TextExtent {
    int32_t width = 0;
    int32_t height = 0;
};

enum class BackgroundMode { Transparent, Opaque };

// A rectangle in canvas pixels, right and bottom edges excluded.
struct PixelBox {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

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
    // Outputs `count` UTF-16 characters from (x, y), character i + 1 `advances[i]` pixels right
    // of character i, or by the font's own advances when `advances` is null; in opaque mode the
    // background box is as wide as all the advances together. Nothing lands outside `clip`.
    virtual void textOut(int32_t x, int32_t y, const char16_t* text, int32_t count,
                         const int32_t* advances, const PixelBox& clip) = 0;
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
    // The pixels of all the screens' bounding box together; 0 when it cannot be had.
    virtual int64_t virtualScreenArea() = 0;
};

}  // namespace tideglass
