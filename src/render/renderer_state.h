// The renderer's state behind its public interface, shared by the set-up and drawing code
// (renderer.cpp) and the snapshot (snapshot.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/graphics.h"
#include "render/renderer.h"
#include "render/renderer_config.h"

namespace tideglass {

class ScreenBuffer;

// Columns first to last - 1 of a row.
struct ColumnSpan {
    int32_t first = 0;
    int32_t last = 0;
};

struct Renderer::State {
    State(const RendererConfig& c, ScreenBuffer& s) : config(c), screen(s) {}

    RendererConfig config;  // clamped columns and rows, background alpha at least 1
    ScreenBuffer& screen;
    std::unique_ptr<Font> font;  // null when the font could not be created

    // Current = last reading taken as a change; incoming = target of the next reading. A change
    // swaps the buffers, so nothing is ever copied.
    std::vector<char> characters;
    std::vector<char> incomingCharacters;
    std::vector<uint16_t> attributes;
    std::vector<uint16_t> incomingAttributes;

    // The buffer cell shown in the grid's top-left corner, as the last snapshot chose it.
    int32_t viewLeft = 0;
    int32_t viewTop = 0;
    int32_t cursorRow = 0;      // relative to the window's top row; may lie outside the grid
    int32_t cursorColumn = 0;   // relative to the window's left column
    bool cursorVisible = true;  // as the console last showed it; a hidden cursor is not drawn
    uint32_t cellCount = 0;
    int32_t textOriginX = 0;
    int32_t textOriginY = 0;
    int32_t textWidth = 0;
    int32_t textHeight = 0;
    bool blank = true;  // until the first snapshot taken as a change, drawing only clears
    // One flag per grid row, nonzero when the row must be repainted: its characters or
    // attributes changed, or the cursor (or its visibility) left or entered it. All set at
    // set-up; a snapshot taken as a change sets more, and a draw clears those it repainted.
    std::vector<uint8_t> changedRows;
    // Of each flagged row, the columns that take in every cell that changed there.
    std::vector<ColumnSpan> changedColumns;

    // Drawing's own record: whether the canvas shows the current grids (and with which focus),
    // so that a draw may repaint only the changed rows, and the font's glyph boxes, measured at
    // the first draw that gets a text context.
    bool painted = false;
    bool paintedFocused = false;
    std::unique_ptr<GlyphBoxes> glyphs;
    bool rowsStayInBands = false;  // no glyph reaches out of its row's band
    // Neither glyphs nor boxes reach out of their cells, and the cells lie a glyph's advance
    // apart, so a part of a row can be repainted by itself.
    bool cellsStayApart = false;
};

}  // namespace tideglass
