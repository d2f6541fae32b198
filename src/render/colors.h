// The renderer's rules as plain functions over values: console attributes to COLORREF colours,
// inversion, the clear colour, what each cell is drawn with, and the layout arithmetic.
// The renderer only decides what to call and in which order; everything it computes is here.
#pragma once

#include <cstdint>

#include "render/renderer_config.h"

namespace tideglass {

// Channel level of a console colour bit without and with the intensity bit.
constexpr uint8_t kChannelLevel = 0xB0;
constexpr uint8_t kIntenseChannelLevel = 0xFF;
constexpr uint32_t kColorrefMask = 0x00FFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int32_t kScratchCanvasSize = 128;

constexpr uint32_t makeColorref(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t{red} | (uint32_t{green} << 8) | (uint32_t{blue} << 16);
}

// Only the low byte of an attribute is ever drawn; under inversion all of its eight bits flip.
constexpr uint8_t effectiveAttribute(uint16_t attribute, bool invert) {
    const uint8_t low = static_cast<uint8_t>(attribute & 0xFF);
    return invert ? static_cast<uint8_t>(~low) : low;
}

// Text colour from bits 0x01 (blue), 0x02 (green), 0x04 (red) and intensity 0x08.
uint32_t foregroundColor(uint8_t attributeByte);
// Cell background from bits 0x10 (blue), 0x20 (green), 0x40 (red) and intensity 0x80.
uint32_t backgroundColor(uint8_t attributeByte);

// A colour from the settings as a COLORREF; under inversion ~value with the top byte cleared.
constexpr uint32_t settingColor(uint32_t value, bool invert) {
    return (invert ? ~value : value) & kColorrefMask;
}

// 0xAABBGGRR as stored in the settings to the 0xAARRGGBB that a GDI+ clear takes.
constexpr uint32_t clearColorArgb(uint32_t background) {
    return (background & 0xFF000000) | ((background & 0xFF) << 16) | (background & 0xFF00) |
           ((background >> 16) & 0xFF);
}

// The overlay background is never fully transparent: alpha 0 becomes 1.
constexpr uint32_t withVisibleAlpha(uint32_t background) {
    return (background & 0xFF000000) == 0 ? (background | 0x01000000) : background;
}

// With all three ignore switches on the renderer draws whole rows at once and the snapshot
// skips the attributes.
constexpr bool rowRunMode(const RendererConfig& c) {
    return c.ignoreFgColors && c.ignoreBgColors && c.ignoreStyle;
}

struct ColorPair {
    uint32_t text = 0;
    uint32_t background = 0;
};

// Colours in force before any cell is drawn (inverted under invert colours).
ColorPair baseColors(const RendererConfig& c);
// The row-run cursor: the opposite of the base colours.
ColorPair rowRunCursorColors(const RendererConfig& c);

enum class CellBackground { Untouched, Transparent, Opaque };

// What one cell in per-cell mode does to the text context before its character is output.
struct CellPaint {
    bool setsTextColor = false;
    uint32_t textColor = 0;
    CellBackground background = CellBackground::Untouched;
    uint32_t backgroundColor = 0;  // only meaningful for Opaque
};

CellPaint paintCell(const RendererConfig& c, uint16_t attribute, bool cursorCell);

// ---- Layout -------------------------------------------------------------------------------

struct GridSize {
    int32_t columns = 1;
    int32_t rows = 1;
    uint32_t cellCount = 1;
};

// Columns and rows below 1 become 1. Throws std::length_error when the four grids for that many
// cells could never be allocated (the count is worked out in 64 bits, so it never wraps).
GridSize clampGrid(int32_t columns, int32_t rows);

struct Layout {
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t textWidth = 0;
    int32_t textHeight = 0;
    int32_t bitmapWidth = 0;
    int32_t bitmapHeight = 0;
};

// The longest side an overlay bitmap may have. Nothing else bounds it in a 64-bit process, where
// a huge margin would make a bitmap of gigapixels that every clear has to touch.
constexpr int32_t kMaxBitmapSide = 16384;

// The most pixels an overlay may have wherever the screens are smaller: 64 MB of bitmap. A
// larger virtual screen allows its own area, so a widget can still cover it all.
constexpr int64_t kLeastOverlayAreaBound = int64_t(16) * 1024 * 1024;
constexpr int64_t overlayAreaBound(int64_t virtualScreenArea) {
    return virtualScreenArea > kLeastOverlayAreaBound ? virtualScreenArea : kLeastOverlayAreaBound;
}

// The settings' default margin, used all round when the stored margins cannot frame the text.
constexpr int32_t kFallbackMargin = 8;

// Cells smaller than this are unreadable; a font that gives them is drawn as the default font.
constexpr int32_t kLeastCellWidth = 4;
constexpr int32_t kLeastCellHeight = 6;

// Whether a font asked for with this record could make an overlay of columns x rows cells at
// all: its glyphs upright (no escapement or orientation), its requested height (character
// height when negative, cell height when positive) times the rows and its requested average
// width times the columns, between the default margins, within kMaxBitmapSide and `maxArea`.
// Asked before the font is made: GDI itself grows slow and memory-hungry with a huge font.
bool fontRequestFits(const FontBlock& font, int32_t columns, int32_t rows,
                     int64_t maxArea = kLeastOverlayAreaBound);

// Whether a font's measured row of text (`measuredWidth` for all the columns, `measuredHeight`
// for one row) gives readable cells (at least kLeastCellWidth x kLeastCellHeight) and a text
// area that fits a bitmap with the default margins. A font for which this is false is drawn as
// the default font.
bool measuredTextFits(int32_t measuredWidth, int32_t measuredHeight, int32_t columns, int32_t rows,
                      int64_t maxArea = kLeastOverlayAreaBound);

// Bitmap = margins + measured text. Where the stored margins do not make a bitmap whose sides
// are positive and at most kMaxBitmapSide, and whose area is at most `maxArea`, with the text
// on it, all four sides are laid out with kFallbackMargin. Throws std::runtime_error when the
// text alone is too large for a bitmap (huge fonts).
Layout computeLayout(const RendererConfig& c, int32_t rows, int32_t measuredWidth,
                     int32_t measuredHeight, int64_t maxArea = kLeastOverlayAreaBound);

// Cell width and height as 32-bit floats, as the drawing uses them.
float cellWidth(int32_t textWidth, int32_t columns);
float cellHeight(int32_t textHeight, int32_t rows);
// origin + trunc(index x cell size), truncation toward zero.
int32_t cellOffset(int32_t origin, int32_t index, float cellSize);

}  // namespace tideglass
