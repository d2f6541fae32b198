// Console port, part two: the screen buffer the snapshot reads and configuration apply sizes.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace tideglass {

struct ScreenInfo {
    int16_t windowLeft = 0;
    int16_t windowTop = 0;
    int16_t cursorX = 0;
    int16_t cursorY = 0;
};

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

    virtual bool info(NativeHandle output, ScreenInfo& out) = 0;
    // Linear reads from cell (x, y) on through the buffer's rows; return the count read (0 on
    // failure).
    virtual uint32_t readCharacters(NativeHandle output, int16_t x, int16_t y, char* dest,
                                    uint32_t count) = 0;
    virtual uint32_t readAttributes(NativeHandle output, int16_t x, int16_t y, uint16_t* dest,
                                    uint32_t count) = 0;
    virtual CellSize largestWindow(NativeHandle output) = 0;  // 0 x 0 when it cannot be had
    virtual void setBufferSize(NativeHandle output, int16_t columns, int16_t rows) = 0;
    virtual void setWindow(NativeHandle output, int16_t left, int16_t top, int16_t right,
                           int16_t bottom) = 0;
    virtual void setOutputCodePage(uint32_t codePage) = 0;
    virtual uint32_t oemCodePage() = 0;
    virtual uint32_t ansiCodePage() = 0;
};

}  // namespace tideglass
