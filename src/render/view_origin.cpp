#include "render/view_origin.h"

#include <algorithm>

namespace tideglass {

namespace {

int32_t axisOrigin(int32_t first, int32_t last, int32_t shown, int32_t cursor, int32_t previous) {
    if (last - first + 1 <= shown)
        return first;
    int32_t origin = std::max(previous, first);
    if (cursor < origin)
        origin = cursor;
    else if (cursor >= origin + shown)
        origin = cursor - shown + 1;
    return std::clamp(origin, first, last - shown + 1);
}

}  // namespace

CellPoint viewOrigin(const CellRect& window, int32_t columns, int32_t rows, CellPoint cursor,
                     CellPoint previous) {
    // Lines start at the left edge: while the cursor is within the first grid's width of it, the
    // grid shows the window from there.
    const int32_t left = cursor.x - window.left < columns ? window.left : previous.x;
    return {axisOrigin(window.left, window.right, columns, cursor.x, left),
            axisOrigin(window.top, window.bottom, rows, cursor.y, previous.y)};
}

}  // namespace tideglass
