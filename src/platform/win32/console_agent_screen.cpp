// The agent's reads of its console: the window and at least the widget's grid, published only
// when they differ from the last, so an idle widget's tick copies nothing.
#include "platform/win32/console_agent_parts.h"

namespace tideglass::win32 {
namespace {

bool sameScreen(const ScreenInfo& a, const ScreenInfo& b) {
    return a.windowLeft == b.windowLeft && a.windowTop == b.windowTop && a.cursorX == b.cursorX &&
           a.cursorY == b.cursorY && a.bufferColumns == b.bufferColumns &&
           a.bufferRows == b.bufferRows && a.windowRight == b.windowRight &&
           a.windowBottom == b.windowBottom && a.cursorVisible == b.cursorVisible;
}

}  // namespace

bool ScreenPublisher::readAndPublish(agent::Block& block) {
    ScreenInfo screen;
    if (!screen_.info(output_, screen))
        return false;
    const agent::Extent extent = agent::publishedExtent(
        screen.windowRight - screen.windowLeft + 1, screen.windowBottom - screen.windowTop + 1,
        block.gridColumns.load(std::memory_order_relaxed),
        block.gridRows.load(std::memory_order_relaxed));
    const size_t cells = size_t(extent.columns) * size_t(extent.rows);
    wide_.assign(cells, kBlankCharacter);
    attributes_.assign(cells, kBlankAttribute);
    const int32_t rows = screen_.readWindow(output_, screen, extent.columns, extent.rows,
                                            wide_.data(), attributes_.data());
    if (rows <= 0)
        return false;
    if (published_ && sameScreen(screen, last_) && extent.columns == lastExtent_.columns &&
        extent.rows == lastExtent_.rows && wide_ == lastCells_ && attributes_ == lastAttributes_)
        return false;
    agent::publish(block, screen, extent.columns, extent.rows, wide_.data(), attributes_.data());
    published_ = true;
    last_ = screen;
    lastExtent_ = extent;
    lastCells_.swap(wide_);
    lastAttributes_.swap(attributes_);
    return true;
}

}  // namespace tideglass::win32
