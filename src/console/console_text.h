// Console port, part four: the screen buffer's text as UTF-16, whatever the output code page, for
// copying what the widget shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ports/handles.h"

namespace tideglass {

class ConsoleText {
public:
    ConsoleText() = default;
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;
    virtual ~ConsoleText() = default;

    // The rows of the rectangle `columns` x `rows` whose top-left buffer cell is (left, top), as
    // far as the buffer reaches; a row that cannot be read comes back empty.
    virtual std::vector<std::u16string> readRows(NativeHandle output, int32_t left, int32_t top,
                                                 int32_t columns, int32_t rows) = 0;
};

}  // namespace tideglass
