// Renderer set-up and tear-down; drawing is in draw.cpp, the colour and layout rules in
// colors.cpp.
#include "render/renderer.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "console/screen_buffer.h"
#include "render/colors.h"
#include "render/renderer_state.h"

namespace tideglass {

namespace {

// One row of "X" in the font (the device context's own font when there is none); 0 x 0 when no
// device context can be had.
TextExtent measureRow(Canvas* scratch, const Font* font, int32_t columns) {
    if (!scratch)
        return {};
    std::unique_ptr<TextContext> text = scratch->openText();
    if (!text)
        return {};
    if (font)
        text->selectFont(*font);
    return text->measure(std::u16string(static_cast<size_t>(columns), u'X'));
}

}  // namespace

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
    const int64_t maxArea = overlayAreaBound(graphics.virtualScreenArea());

    // A font that could never give an overlay of the allowed size, whose glyphs would be
    // rotated, or whose cells measure too small to read, is drawn as the default font, so the
    // widget still appears and can be configured; the settings keep what was stored. A request
    // too large is refused before it is made.
    bool defaultFont = !config.font.hasFaceName() ||
                       !fontRequestFits(config.font, grid.columns, grid.rows, maxArea);
    TextExtent extent;
    if (!defaultFont) {
        s.font = graphics.createFont(config.font);
        extent = measureRow(scratch.get(), s.font.get(), grid.columns);
        defaultFont =
            !measuredTextFits(extent.width, extent.height, grid.columns, grid.rows, maxArea);
    }
    auto useDefaultFont = [&] {
        s.font = graphics.stockOemFixedFont();
        extent = measureRow(scratch.get(), s.font.get(), grid.columns);
    };
    if (defaultFont)
        useDefaultFont();
    Layout layout = computeLayout(s.config, grid.rows, extent.width, extent.height, maxArea);
    canvas_ = graphics.createCanvas(layout.bitmapWidth, layout.bitmapHeight);
    // A bitmap the system cannot give (a 32-bit process short of address space) is tried once
    // more at the smallest size the settings allow, so the widget still appears.
    if (!canvas_ || !canvas_->hostImage()) {
        canvas_.reset();
        defaultFont = true;
        useDefaultFont();
        RendererConfig smallest = s.config;
        smallest.leftMargin = smallest.rightMargin = kFallbackMargin;
        smallest.topMargin = smallest.bottomMargin = kFallbackMargin;
        layout = computeLayout(smallest, grid.rows, extent.width, extent.height, maxArea);
        canvas_ = graphics.createCanvas(layout.bitmapWidth, layout.bitmapHeight);
    }
    // Handing the host a null image would leave it without an overlay it can ever show; the
    // caller keeps the previous renderer instead.
    if (!canvas_ || !canvas_->hostImage()) {
        throw std::runtime_error("Could not create the overlay bitmap of " +
                                 std::to_string(layout.bitmapWidth) + " x " +
                                 std::to_string(layout.bitmapHeight) + " pixels");
    }
    s.textOriginX = layout.originX;
    s.textOriginY = layout.originY;
    s.textWidth = layout.textWidth;
    s.textHeight = layout.textHeight;
    // The console's output code page follows the font as it always has (programs may read it),
    // though the widget reads the console's characters as UTF-16 whatever the code page.
    const uint32_t codePage = defaultFont || config.font.charSet == kOemCharset
                                  ? screen.oemCodePage()
                                  : screen.ansiCodePage();

    s.characters.assign(s.cellCount, u' ');
    s.incomingCharacters.assign(s.cellCount, u' ');
    s.attributes.assign(s.cellCount, 0);
    s.incomingAttributes.assign(s.cellCount, 0);
    s.changedRows.assign(size_t(grid.rows), 1);
    s.changedColumns.assign(size_t(grid.rows), ColumnSpan{0, grid.columns});
    s.rowsApart.assign(size_t(grid.rows), 0);

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

void Renderer::drawNotice() {
    const State& s = *state_;
    Canvas& canvas = *canvas_;
    if (s.notice.empty())
        return;
    const RendererConfig& c = s.config;
    std::unique_ptr<TextContext> text = canvas.openText();
    if (!text)
        return;
    if (s.font)
        text->selectFont(*s.font);
    text->setTextAlign(0);
    const ColorPair colors = rowRunCursorColors(c);
    text->setTextColor(colors.text);
    text->setBackgroundColor(colors.background);
    text->setBackgroundMode(BackgroundMode::Opaque);
    const float width = cellWidth(s.textWidth, c.columns);
    const float height = cellHeight(s.textHeight, c.rows);
    const int32_t count = int32_t(std::min<size_t>(s.notice.size(), size_t(c.columns)));
    std::vector<int32_t> advances(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        advances[size_t(i)] =
            cellOffset(s.textOriginX, i + 1, width) - cellOffset(s.textOriginX, i, width);
    }
    const int32_t top = cellOffset(s.textOriginY, c.rows - 1, height);
    const PixelBox band{0, top, int32_t(canvas.width()), cellOffset(s.textOriginY, c.rows, height)};
    text->textOut(s.textOriginX, top, s.notice.data(), count, advances.data(), band);
}

bool Renderer::setNotice(const std::u16string& text) {
    if (text == state_->notice)
        return false;
    state_->notice = text;
    // The whole canvas is painted again: the row under the notice must come back.
    state_->painted = false;
    return true;
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
