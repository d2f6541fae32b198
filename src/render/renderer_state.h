// The renderer's state behind its public interface, shared by the set-up and drawing code
// (renderer.cpp) and the snapshot (snapshot.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/graphics.h"
#include "render/renderer.h"
#include "render/renderer_config.h"

namespace tideglass {

class ScreenBuffer;

// What the font's glyphs do, measured the first time each character is to be drawn: 64 K
// characters in pages of 256, a page allocated when one of its characters is first measured.
class GlyphTable {
public:
    // Null when the character has not been measured.
    const GlyphInk* find(char16_t ch) const {
        const Page* page = pages_[ch >> 8].get();
        return page && page->known[ch & 0xFF] ? &page->ink[ch & 0xFF] : nullptr;
    }
    void add(char16_t ch, const GlyphInk& ink) {
        std::unique_ptr<Page>& page = pages_[ch >> 8];
        if (!page)
            page = std::make_unique<Page>();
        page->ink[ch & 0xFF] = ink;
        page->known[ch & 0xFF] = true;
    }

private:
    struct Page {
        std::array<GlyphInk, 256> ink{};
        std::array<bool, 256> known{};
    };
    std::array<std::unique_ptr<Page>, 256> pages_;
};

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
    std::vector<char16_t> characters;
    std::vector<char16_t> incomingCharacters;
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
    // so that a draw may repaint only the changed rows; of each row, whether its picture is made
    // of cells that each keep their drawing inside themselves, so that a part of it may be
    // repainted alone; and the glyphs of the font met so far.
    bool painted = false;
    bool paintedFocused = false;
    std::vector<uint8_t> rowsApart;
    GlyphTable glyphs;
    // A line of the widget's own over the last row (empty when none).
    std::u16string notice;
};

}  // namespace tideglass
