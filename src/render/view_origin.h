// Which part of the console's window the widget's grid shows. A window no larger than the grid is
// shown from its own top-left cell, as it always was; a program can make the window larger (up to
// the screen's limit), and then the grid shows the part that holds the cursor, so the line being
// typed on stays in view.
#pragma once

#include <cstdint>

namespace tideglass {

struct CellPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const CellPoint& o) const { return x == o.x && y == o.y; }
};

// The window's cells, both corners included.
struct CellRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The buffer cell shown in the grid's top-left corner. Along each axis the part shown last
// (`previous`) stays while it holds the cursor and lies inside the window; otherwise it moves just
// far enough to take the cursor in, and never beyond the window's edges. Columns go back to the
// window's left edge whenever that shows the cursor, so a prompt is seen from its start. A cursor
// outside the window leaves the part at the window's nearest edge.
CellPoint viewOrigin(const CellRect& window, int32_t columns, int32_t rows, CellPoint cursor,
                     CellPoint previous);

}  // namespace tideglass
