// Renderer set-up and tear-down; drawing is in draw.cpp, the colour and layout rules in
// colors.cpp.
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
    s.changedColumns.assign(size_t(grid.rows), ColumnSpan{0, grid.columns});

    scratch.reset();
    // The code page belongs to the whole console, which the renderer in use keeps reading: it
    // changes only once this renderer is complete and will replace that one.
    screen.setOutputCodePage(codePage);
}

CellRect Renderer::visibleCells() const {
    const State& s = *state_;
    return {s.viewLeft, s.viewTop, s.viewLeft + s.config.columns - 1,
            s.viewTop + s.config.rows - 1};
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

}  // namespace tideglass
