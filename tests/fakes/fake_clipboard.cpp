#include "fakes/fake_clipboard.h"

#include <algorithm>

namespace tideglass::fakes {

std::vector<std::u16string> FakeConsoleText::readRows(NativeHandle, int32_t left, int32_t top,
                                                      int32_t columns, int32_t rows) {
    std::vector<std::u16string> text;
    const int32_t width = std::min(columns, screen_.bufferColumns - left);
    for (int32_t y = top; y < std::min(top + rows, screen_.bufferRows); ++y) {
        std::u16string row;
        for (int32_t x = left; x < left + width; ++x)
            row += char16_t(
                static_cast<unsigned char>(screen_.cells[size_t(y * screen_.bufferColumns + x)]));
        text.push_back(row);
    }
    return text;
}

}  // namespace tideglass::fakes
