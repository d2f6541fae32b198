// The screen snapshot: reads the console's visible window into the incoming grids and takes
// the reading as current only when it differs from the last one drawn.
#include <algorithm>
#include <cstring>

#include "console/screen_buffer.h"
#include "render/colors.h"
#include "render/renderer.h"
#include "render/renderer_state.h"
#include "render/view_origin.h"

namespace tideglass {
namespace {

// A short read leaves the tail of the incoming grid holding an older reading. Carrying the
// current cells over keeps a change taken for another reason (say, a cursor move) from bringing
// that older picture back; it also leaves the unread cells out of the comparison.
template <typename T>
void carryOverUnread(std::vector<T>& incoming, const std::vector<T>& current, uint32_t read) {
    if (read < incoming.size()) {
        std::copy(current.begin() + read, current.end(), incoming.begin() + read);
    }
}

// The renderer's record of what waits to be repainted: rows, each with the columns that take in
// every cell that changed there.
struct ChangeMarks {
    std::vector<uint8_t>& rows;
    std::vector<ColumnSpan>& columns;
    int32_t width;

    // Flags the row and widens its columns to take in first to last - 1.
    void cells(size_t row, int32_t first, int32_t last) {
        ColumnSpan& span = columns[row];
        if (!rows[row]) {
            rows[row] = 1;
            span = {first, last};
            return;
        }
        span.first = std::min(span.first, first);
        span.last = std::max(span.last, last);
    }

    // Flags the rows whose incoming cells differ from the current ones, each with the columns
    // from its first to its last differing cell. Rows beyond the cells read were carried over
    // and never differ.
    template <typename T>
    void differences(const std::vector<T>& incoming, const std::vector<T>& current, uint32_t read) {
        const size_t n = size_t(width);
        for (size_t r = 0, start = 0; start < read; ++r, start += n) {
            const T* in = &incoming[start];
            const T* was = &current[start];
            if (std::memcmp(in, was, n * sizeof(T)) == 0)
                continue;
            size_t first = 0;
            while (in[first] == was[first])
                ++first;
            size_t last = n;
            while (in[last - 1] == was[last - 1])
                --last;
            cells(r, int32_t(first), int32_t(last));
        }
    }

    // The cursor's cell; a cursor outside the grid's columns counts for its whole row.
    void cursor(int32_t row, int32_t column) {
        if (row < 0 || size_t(row) >= rows.size())
            return;
        if (column >= 0 && column < width)
            cells(size_t(row), column, column + 1);
        else
            cells(size_t(row), 0, width);
    }
};

}  // namespace

bool Renderer::snapshot(NativeHandle output) {
    State& s = *state_;
    ScreenInfo info;
    // Without the window origin there is nothing sensible to read; the next tick tries again.
    if (!s.screen.info(output, info))
        return false;

    // A rectangle of the grid's size is read, so a console whose buffer or window is narrower or
    // wider than the grid still shows row for row; of a window larger than the grid, the part
    // that holds the cursor.
    const CellPoint origin = viewOrigin(
        {info.windowLeft, info.windowTop, info.windowRight, info.windowBottom}, s.config.columns,
        s.config.rows, {info.cursorX, info.cursorY}, {s.viewLeft, s.viewTop});
    s.viewLeft = origin.x;
    s.viewTop = origin.y;
    info.windowLeft = int16_t(origin.x);
    info.windowTop = int16_t(origin.y);
    const bool withAttributes = !rowRunMode(s.config);
    const int32_t rowsRead =
        std::clamp(s.screen.readWindow(output, info, s.config.columns, s.config.rows,
                                       s.incomingCharacters.data(),
                                       withAttributes ? s.incomingAttributes.data() : nullptr),
                   0, s.config.rows);
    const uint32_t nc = uint32_t(rowsRead) * uint32_t(s.config.columns);
    carryOverUnread(s.incomingCharacters, s.characters, nc);
    uint32_t na = 0;
    if (withAttributes) {
        na = nc;
        carryOverUnread(s.incomingAttributes, s.attributes, na);
    }

    const int32_t column = int32_t(info.cursorX) - info.windowLeft;
    const int32_t row = int32_t(info.cursorY) - info.windowTop;

    // An idle tick ends after these two comparisons; only a change looks at rows one by one.
    const bool cursorChanged =
        column != s.cursorColumn || row != s.cursorRow || info.cursorVisible != s.cursorVisible;
    const bool cellsChanged = std::memcmp(s.incomingCharacters.data(), s.characters.data(),
                                          size_t(nc) * sizeof(char16_t)) != 0 ||
                              std::memcmp(s.incomingAttributes.data(), s.attributes.data(),
                                          size_t(na) * sizeof(uint16_t)) != 0;
    if (!cursorChanged && !cellsChanged)
        return false;

    // The marks gather until a draw repaints the rows, so no change is lost between draws.
    ChangeMarks marks{s.changedRows, s.changedColumns, s.config.columns};
    if (cellsChanged) {
        marks.differences(s.incomingCharacters, s.characters, nc);
        marks.differences(s.incomingAttributes, s.attributes, na);
    }
    if (cursorChanged) {
        marks.cursor(s.cursorRow, s.cursorColumn);
        marks.cursor(row, column);
        s.cursorColumn = column;
        s.cursorRow = row;
        s.cursorVisible = info.cursorVisible;
    }
    s.characters.swap(s.incomingCharacters);
    s.attributes.swap(s.incomingAttributes);
    s.blank = false;
    return true;
}

}  // namespace tideglass
