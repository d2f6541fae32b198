// The screen snapshot: reads the console's visible window into the incoming grids and takes
// the reading as current only when it differs from the last one drawn.
#include <algorithm>
#include <cstring>

#include "console/screen_buffer.h"
#include "render/colors.h"
#include "render/renderer.h"
#include "render/renderer_state.h"

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

// Flags the rows whose incoming cells differ from the current ones. Rows beyond the cells read
// were carried over and never differ.
template <typename T>
void markChangedRows(std::vector<uint8_t>& flags, size_t columns, const std::vector<T>& incoming,
                     const std::vector<T>& current, uint32_t read) {
    for (size_t r = 0, start = 0; start < read; ++r, start += columns) {
        if (!flags[r] && std::memcmp(&incoming[start], &current[start], columns * sizeof(T)) != 0)
            flags[r] = 1;
    }
}

void markRow(std::vector<uint8_t>& flags, int32_t row) {
    if (row >= 0 && size_t(row) < flags.size())
        flags[size_t(row)] = 1;
}

}  // namespace

bool Renderer::snapshot(NativeHandle output) {
    State& s = *state_;
    ScreenInfo info;
    // Without the window origin there is nothing sensible to read; the next tick tries again.
    if (!s.screen.info(output, info))
        return false;

    // The window is read as a rectangle of the grid's size, so a console whose buffer or window
    // is narrower or wider than the grid still shows row for row.
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
    const bool cellsChanged =
        std::memcmp(s.incomingCharacters.data(), s.characters.data(), nc) != 0 ||
        std::memcmp(s.incomingAttributes.data(), s.attributes.data(),
                    size_t(na) * sizeof(uint16_t)) != 0;
    if (!cursorChanged && !cellsChanged)
        return false;

    // The flags gather until a draw repaints the rows, so no change is lost between draws.
    if (cellsChanged) {
        const size_t columns = size_t(s.config.columns);
        markChangedRows(s.changedRows, columns, s.incomingCharacters, s.characters, nc);
        markChangedRows(s.changedRows, columns, s.incomingAttributes, s.attributes, na);
    }
    if (cursorChanged) {
        markRow(s.changedRows, s.cursorRow);
        markRow(s.changedRows, row);
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
