// Console port, part two: the screen buffer the snapshot reads and configuration apply sizes.
#pragma once

#include <cstdint>

#include "ports/handles.h"

namespace tideglass {

struct ScreenInfo {
    int16_t windowLeft = 0;
    int16_t windowTop = 0;
    // The window's last column and row; a window whose right or bottom lies before its left or
    // top counts as no larger than the grid.
    int16_t windowRight = 0;
    int16_t windowBottom = 0;
    int16_t cursorX = 0;
    int16_t cursorY = 0;
    int16_t bufferColumns = 0;
    int16_t bufferRows = 0;
    bool cursorVisible = true;  // false only when the console says its cursor is hidden
};

// What a grid cell beyond the edges of the console's buffer reads as. Attribute 0 gives the cell
// no colour of its own (black on black), so with black drawn transparent only the widget's
// background shows there.
constexpr char16_t kBlankCharacter = u' ';
constexpr uint16_t kBlankAttribute = 0;

// What the second cell of a character that takes two cells (an East Asian wide character) reads
// as. U+FFFF is a noncharacter, which Unicode keeps for a program's own use: no console text
// holds it.
constexpr char16_t kWideTrail = u'\xFFFF';

struct CellSize {
    int16_t columns = 0;
    int16_t rows = 0;
};

class ScreenBuffer {
public:
    ScreenBuffer() = default;
    ScreenBuffer(const ScreenBuffer&) = delete;
    ScreenBuffer& operator=(const ScreenBuffer&) = delete;
    virtual ~ScreenBuffer() = default;

    // The window's origin, the cursor and its visibility, and the buffer's size; false when the
    // window's origin cannot be had.
    virtual bool info(NativeHandle output, ScreenInfo& out) = 0;
    // Reads the rectangle of columns x rows cells whose top-left cell is the window's
    // (screen.windowLeft, screen.windowTop) into row-major grids of `columns` cells a row,
    // whatever the buffer's own width; cells beyond the buffer's edges (screen.bufferColumns x
    // screen.bufferRows) come back blank. Characters are the UTF-16 units the console holds, one
    // per cell, whatever its code page; the second cell of a two-cell character reads as
    // kWideTrail. `attributes` may be null when only the characters are wanted. Returns
    // how many grid rows, from the top, were read: all of them, fewer when a read failed part-way,
    // 0 when nothing could be read.
    virtual int32_t readWindow(NativeHandle output, const ScreenInfo& screen, int32_t columns,
                               int32_t rows, char16_t* characters, uint16_t* attributes) = 0;
    virtual CellSize largestWindow(NativeHandle output) = 0;  // 0 x 0 when it cannot be had
    virtual void setBufferSize(NativeHandle output, int16_t columns, int16_t rows) = 0;
    virtual void setWindow(NativeHandle output, int16_t left, int16_t top, int16_t right,
                           int16_t bottom) = 0;
    virtual void setOutputCodePage(uint32_t codePage) = 0;
    virtual uint32_t oemCodePage() = 0;
    virtual uint32_t ansiCodePage() = 0;
};

}  // namespace tideglass
