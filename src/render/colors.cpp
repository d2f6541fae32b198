#include "render/colors.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>

namespace tideglass {
namespace {

// Three channel bits and an intensity bit; intensity alone is black, not grey.
uint32_t colorFromBits(uint8_t bits, uint8_t blue, uint8_t green, uint8_t red, uint8_t intensity) {
    const uint8_t level = (bits & intensity) ? kIntenseChannelLevel : kChannelLevel;
    return makeColorref((bits & red) ? level : 0, (bits & green) ? level : 0,
                        (bits & blue) ? level : 0);
}

// Two UTF-16 character grids and two 16-bit attribute grids per cell.
constexpr uint64_t kGridBytesPerCell = 2 * sizeof(char16_t) + 2 * sizeof(uint16_t);

}  // namespace

uint32_t foregroundColor(uint8_t attributeByte) {
    return colorFromBits(attributeByte, 0x01, 0x02, 0x04, 0x08);
}

uint32_t backgroundColor(uint8_t attributeByte) {
    return colorFromBits(attributeByte, 0x10, 0x20, 0x40, 0x80);
}

ColorPair baseColors(const RendererConfig& c) {
    return {settingColor(c.textColor, c.invertColors),
            settingColor(c.backgroundColor, c.invertColors)};
}

ColorPair rowRunCursorColors(const RendererConfig& c) {
    return {settingColor(c.textColor, !c.invertColors),
            settingColor(c.backgroundColor, !c.invertColors)};
}

CellPaint paintCell(const RendererConfig& c, uint16_t attribute, bool cursorCell) {
    // The cursor cell shows the reverse of what the cell would otherwise show.
    const bool invert = cursorCell ? !c.invertColors : c.invertColors;
    const uint8_t bits = effectiveAttribute(attribute, invert);

    CellPaint paint;
    if (!c.ignoreFgColors) {
        paint.setsTextColor = true;
        paint.textColor = foregroundColor(bits);
    }
    if (c.ignoreBgColors && !cursorCell) {
        paint.background = CellBackground::Untouched;
        return paint;
    }
    const uint32_t color = backgroundColor(bits);
    const uint32_t black = invert ? kWhite : kBlack;
    if (color == black && !cursorCell && c.blackIsTransparent) {
        paint.background = CellBackground::Transparent;
    } else {
        paint.background = CellBackground::Opaque;
        paint.backgroundColor = color;
    }
    return paint;
}

GridSize clampGrid(int32_t columns, int32_t rows) {
    GridSize grid;
    grid.columns = columns < 1 ? 1 : columns;
    grid.rows = rows < 1 ? 1 : rows;
    const uint64_t cells = uint64_t(grid.columns) * uint64_t(grid.rows);
    const uint64_t maxCells =
        std::min<uint64_t>(std::numeric_limits<uint32_t>::max(),
                           std::numeric_limits<ptrdiff_t>::max() / kGridBytesPerCell);
    if (cells > maxCells) {
        throw std::length_error("a console grid of " + std::to_string(grid.columns) + " x " +
                                std::to_string(grid.rows) + " cells does not fit in memory");
    }
    grid.cellCount = static_cast<uint32_t>(cells);
    return grid;
}

namespace {

// Margins before and after a text extent fit when the bitmap's side is positive and within
// kMaxBitmapSide, the text's far edge is addressable too (cell positions must not wrap), and
// some of the text lies on the bitmap.
bool marginsFit(int32_t before, int32_t after, int64_t text) {
    const int64_t side = int64_t(before) + after + text;
    const int64_t far = int64_t(before) + text;
    return side > 0 && side <= kMaxBitmapSide && far <= kMaxBitmapSide && far > 0 && before < side;
}

bool textAreaFits(int64_t text) {
    return marginsFit(kFallbackMargin, kFallbackMargin, text);
}

// Both sides fit and the whole bitmap has at most `maxArea` pixels.
bool layoutFits(int32_t left, int32_t right, int32_t top, int32_t bottom, int64_t width,
                int64_t height, int64_t maxArea) {
    if (!marginsFit(left, right, width) || !marginsFit(top, bottom, height))
        return false;
    return (int64_t(left) + right + width) * (int64_t(top) + bottom + height) <= maxArea;
}

bool textFits(int64_t width, int64_t height, int64_t maxArea) {
    return layoutFits(kFallbackMargin, kFallbackMargin, kFallbackMargin, kFallbackMargin, width,
                      height, maxArea);
}

}  // namespace

bool fontRequestFits(const FontBlock& font, int32_t columns, int32_t rows, int64_t maxArea) {
    // Rotated glyphs never stand in their cells.
    if (font.escapement != 0 || font.orientation != 0)
        return false;
    // In 64 bits: the magnitude of INT32_MIN and its product with a row count both fit there.
    const int64_t height = std::abs(int64_t(font.height));
    const int64_t width = std::abs(int64_t(font.width));
    return textFits(width * columns, height * rows, maxArea);
}

bool measuredTextFits(int32_t measuredWidth, int32_t measuredHeight, int32_t columns, int32_t rows,
                      int64_t maxArea) {
    return measuredWidth > 0 && measuredHeight >= kLeastCellHeight &&
           int64_t(measuredWidth) >= int64_t(kLeastCellWidth) * columns &&
           textFits(measuredWidth, int64_t(rows) * measuredHeight, maxArea);
}

Layout computeLayout(const RendererConfig& c, int32_t rows, int32_t measuredWidth,
                     int32_t measuredHeight, int64_t maxArea) {
    const int64_t textHeight = int64_t(rows) * measuredHeight;
    if (!textAreaFits(measuredWidth) || !textAreaFits(textHeight)) {
        throw std::runtime_error("the font gives a text area of " + std::to_string(measuredWidth) +
                                 " x " + std::to_string(textHeight) +
                                 " pixels, too large for an overlay bitmap");
    }
    // Margins that cannot frame the text (stored values at the ends of the 32-bit range, or
    // ones that would make a bitmap no machine should have to clear at every draw) are drawn as
    // the default margins all round, so the widget still appears and can be configured; the
    // settings keep what was stored.
    int32_t left = c.leftMargin, right = c.rightMargin;
    int32_t top = c.topMargin, bottom = c.bottomMargin;
    if (!layoutFits(left, right, top, bottom, measuredWidth, textHeight, maxArea))
        left = right = top = bottom = kFallbackMargin;

    Layout layout;
    layout.originX = left;
    layout.originY = top;
    layout.textWidth = measuredWidth;
    layout.textHeight = static_cast<int32_t>(textHeight);
    layout.bitmapWidth = static_cast<int32_t>(int64_t(left) + right + measuredWidth);
    layout.bitmapHeight = static_cast<int32_t>(int64_t(top) + bottom + textHeight);
    return layout;
}

float cellWidth(int32_t textWidth, int32_t columns) {
    return static_cast<float>(textWidth) / static_cast<float>(columns);
}

float cellHeight(int32_t textHeight, int32_t rows) {
    return static_cast<float>(textHeight) / static_cast<float>(rows);
}

int32_t cellOffset(int32_t origin, int32_t index, float cellSize) {
    const float product = static_cast<float>(index) * cellSize;
    // The conversion truncates toward zero. Float rounding near the int32 limit must not wrap:
    // the sum is formed in 64 bits and held inside the int32 range.
    const int64_t offset = int64_t(origin) + static_cast<int64_t>(product);
    return static_cast<int32_t>(std::clamp<int64_t>(offset, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace tideglass
