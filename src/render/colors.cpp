#include "render/colors.h"

#include <algorithm>
#include <cstddef>
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

// Two byte grids and two 16-bit grids per cell.
constexpr uint64_t kGridBytesPerCell = 2 * sizeof(char) + 2 * sizeof(uint16_t);

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

Layout computeLayout(const RendererConfig& c, int32_t rows, int32_t measuredWidth,
                     int32_t measuredHeight) {
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    const int64_t textHeight = int64_t(rows) * measuredHeight;
    const int64_t width = int64_t(c.leftMargin) + c.rightMargin + measuredWidth;
    const int64_t height = int64_t(c.topMargin) + c.bottomMargin + textHeight;
    // The text area's far edges must be addressable too, or cell positions would wrap.
    const int64_t textRight = int64_t(c.leftMargin) + measuredWidth;
    const int64_t textBottom = int64_t(c.topMargin) + textHeight;
    if (width <= 0 || height <= 0 || width > kMax || height > kMax || textHeight > kMax ||
        textRight > kMax || textBottom > kMax || textRight < kMin || textBottom < kMin) {
        throw std::runtime_error("the margins and the font give an overlay bitmap of " +
                                 std::to_string(width) + " x " + std::to_string(height) +
                                 " pixels, which cannot be built");
    }
    Layout layout;
    layout.originX = c.leftMargin;
    layout.originY = c.topMargin;
    layout.textWidth = measuredWidth;
    layout.textHeight = static_cast<int32_t>(textHeight);
    layout.bitmapWidth = static_cast<int32_t>(width);
    layout.bitmapHeight = static_cast<int32_t>(height);
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
