// Renderer set-up, drawing and tear-down. The colour and layout rules live in colors.cpp; this
// file only decides which drawing calls are made and in what order.
#include "render/renderer.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>

#include "console/screen_buffer.h"
#include "render/colors.h"
#include "render/renderer_state.h"

namespace tideglass {

Renderer::Renderer(const RendererConfig& config, Graphics& graphics, ScreenBuffer& screen)
    : state_(std::make_unique<State>(config, screen)) {
    State& s = *state_;

    const GridSize grid = clampGrid(config.columns, config.rows);
    s.config.columns = grid.columns;
    s.config.rows = grid.rows;
    s.cellCount = grid.cellCount;
    s.config.backgroundColor = withVisibleAlpha(s.config.backgroundColor);

    // The font is measured on a throw-away canvas: the overlay's size depends on the result.
    std::unique_ptr<Canvas> scratch = graphics.createCanvas(kScratchCanvasSize, kScratchCanvasSize);

    // The console has to hand out bytes in the code page the font draws: OEM for the stock
    // font and for OEM fonts, ANSI for every other character set.
    uint32_t codePage = 0;
    if (!config.font.hasFaceName()) {
        s.font = graphics.stockOemFixedFont();
        codePage = screen.oemCodePage();
    } else {
        s.font = graphics.createFont(config.font);
        codePage =
            config.font.charSet == kOemCharset ? screen.oemCodePage() : screen.ansiCodePage();
    }

    TextExtent extent;
    if (scratch) {
        if (std::unique_ptr<TextContext> text = scratch->openText()) {
            if (s.font)
                text->selectFont(*s.font);
            extent = text->measure(std::u16string(static_cast<size_t>(grid.columns), u'X'));
        }
    }

    const Layout layout = computeLayout(s.config, grid.rows, extent.width, extent.height);
    s.textOriginX = layout.originX;
    s.textOriginY = layout.originY;
    s.textWidth = layout.textWidth;
    s.textHeight = layout.textHeight;

    canvas_ = graphics.createCanvas(layout.bitmapWidth, layout.bitmapHeight);
    // Handing the host a null image would leave it without an overlay it can ever show; the
    // caller keeps the previous renderer instead.
    if (!canvas_ || !canvas_->hostImage()) {
        throw std::runtime_error("Could not create the overlay bitmap of " +
                                 std::to_string(layout.bitmapWidth) + " x " +
                                 std::to_string(layout.bitmapHeight) + " pixels");
    }

    s.characters.assign(s.cellCount, ' ');
    s.incomingCharacters.assign(s.cellCount, ' ');
    s.attributes.assign(s.cellCount, 0);
    s.incomingAttributes.assign(s.cellCount, 0);
    s.changedRows.assign(size_t(grid.rows), 1);

    scratch.reset();
    // The code page belongs to the whole console, which the renderer in use keeps reading: it
    // changes only once this renderer is complete and will replace that one.
    screen.setOutputCodePage(codePage);
}

const std::vector<uint8_t>& Renderer::changedRows() const {
    return state_->changedRows;
}

Renderer::~Renderer() {
    // Font first, then the grids, then the canvas (its graphics object before its bitmap).
    if (state_)
        state_->font.reset();
    state_.reset();
    canvas_.reset();
}

namespace {

struct CellMetrics {
    int32_t originX;
    int32_t originY;
    float width;
    float height;
    int32_t x(int32_t column) const { return cellOffset(originX, column, width); }
    int32_t y(int32_t row) const { return cellOffset(originY, row, height); }
};

}  // namespace

void Renderer::draw(bool focused) {
    State& s = *state_;
    const RendererConfig& c = s.config;
    canvas_->clear(clearColorArgb(c.backgroundColor));  // never inverted
    if (s.blank)
        return;

    const CellMetrics cell{s.textOriginX, s.textOriginY, cellWidth(s.textWidth, c.columns),
                           cellHeight(s.textHeight, c.rows)};
    std::unique_ptr<TextContext> text = canvas_->openText();
    if (!text)
        return;
    // This draw repaints every row.
    std::fill(s.changedRows.begin(), s.changedRows.end(), uint8_t{0});
    if (s.font)
        text->selectFont(*s.font);
    text->setTextAlign(0);
    text->setBackgroundMode(BackgroundMode::Transparent);
    const ColorPair base = baseColors(c);
    text->setTextColor(base.text);
    text->setBackgroundColor(base.background);

    const bool cursorShown = focused && s.cursorVisible && s.cursorColumn >= 0 &&
                             s.cursorColumn < c.columns && s.cursorRow >= 0 && s.cursorRow < c.rows;
    const size_t columns = static_cast<size_t>(c.columns);

    if (rowRunMode(c)) {
        for (int32_t r = 0; r < c.rows; ++r) {
            text->textOut(s.textOriginX, cell.y(r), &s.characters[size_t(r) * columns], c.columns);
        }
        if (cursorShown) {
            const ColorPair cursor = rowRunCursorColors(c);
            text->setTextColor(cursor.text);
            text->setBackgroundColor(cursor.background);
            text->setBackgroundMode(BackgroundMode::Opaque);
            text->textOut(cell.x(s.cursorColumn), cell.y(s.cursorRow),
                          &s.characters[size_t(s.cursorRow) * columns + size_t(s.cursorColumn)], 1);
        }
        return;
    }

    for (int32_t r = 0; r < c.rows; ++r) {
        const int32_t y = cell.y(r);
        for (int32_t col = 0; col < c.columns; ++col) {
            const size_t index = size_t(r) * columns + size_t(col);
            const bool cursorCell = cursorShown && r == s.cursorRow && col == s.cursorColumn;
            const CellPaint paint = paintCell(c, s.attributes[index], cursorCell);
            if (paint.setsTextColor)
                text->setTextColor(paint.textColor);
            if (paint.background == CellBackground::Transparent) {
                text->setBackgroundMode(BackgroundMode::Transparent);
            } else if (paint.background == CellBackground::Opaque) {
                text->setBackgroundMode(BackgroundMode::Opaque);
                text->setBackgroundColor(paint.backgroundColor);
            }
            text->textOut(cell.x(col), y, &s.characters[index], 1);
            if (cursorCell)
                text->setBackgroundMode(BackgroundMode::Transparent);
        }
    }
}

}  // namespace tideglass
