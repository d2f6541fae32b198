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

// Flags the rows whose first `count` cells differ between the two grids.
template <typename T>
void flagChangedRows(std::vector<uint8_t>& rows, const std::vector<T>& incoming,
                     const std::vector<T>& current, uint32_t count, size_t columns) {
    for (size_t r = 0; r < rows.size() && r * columns < count; ++r) {
        const size_t length = std::min<size_t>(columns, count - r * columns);
        if (std::memcmp(&incoming[r * columns], &current[r * columns], length * sizeof(T)) != 0)
            rows[r] = 1;
    }
}

void flagRow(std::vector<uint8_t>& rows, int32_t row) {
    if (row >= 0 && size_t(row) < rows.size())
        rows[size_t(row)] = 1;
}

}  // namespace

bool Renderer::snapshot(NativeHandle output) {
    State& s = *state_;
    ScreenInfo info;
    // Without the window origin there is nothing sensible to read; the next tick tries again.
    if (!s.screen.info(output, info))
        return false;

    const uint32_t nc =
        std::min(s.cellCount, s.screen.readCharacters(output, info.windowLeft, info.windowTop,
                                                      s.incomingCharacters.data(), s.cellCount));
    carryOverUnread(s.incomingCharacters, s.characters, nc);
    uint32_t na = 0;
    if (!rowRunMode(s.config)) {
        na = std::min(s.cellCount,
                      s.screen.readAttributes(output, info.windowLeft, info.windowTop,
                                              s.incomingAttributes.data(), s.cellCount));
        carryOverUnread(s.incomingAttributes, s.attributes, na);
    }

    const int32_t column = int32_t(info.cursorX) - info.windowLeft;
    const int32_t row = int32_t(info.cursorY) - info.windowTop;

    bool changed = false;
    if (column != s.cursorColumn || row != s.cursorRow) {
        flagRow(s.changedRows, s.cursorRow);
        flagRow(s.changedRows, row);
        s.cursorColumn = column;
        s.cursorRow = row;
        changed = true;
    } else {
        changed = std::memcmp(s.incomingCharacters.data(), s.characters.data(), nc) != 0 ||
                  std::memcmp(s.incomingAttributes.data(), s.attributes.data(),
                              size_t(na) * sizeof(uint16_t)) != 0;
    }
    if (!changed)
        return false;

    flagChangedRows(s.changedRows, s.incomingCharacters, s.characters, nc,
                    size_t(s.config.columns));
    flagChangedRows(s.changedRows, s.incomingAttributes, s.attributes, na,
                    size_t(s.config.columns));

    s.characters.swap(s.incomingCharacters);
    s.attributes.swap(s.incomingAttributes);
    s.blank = false;
    return true;
}

}  // namespace tideglass
