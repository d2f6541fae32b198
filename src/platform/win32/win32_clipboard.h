// The clipboard port over user32's clipboard (CF_UNICODETEXT), and the console text port over
// the console's wide character reads.
#pragma once

#include "console/console_text.h"
#include "desklet/clipboard.h"

namespace tideglass::win32 {

class Win32Clipboard final : public Clipboard {
public:
    std::u16string text(WindowHandle owner) override;
    bool setText(WindowHandle owner, const std::u16string& text) override;
};

class Win32ConsoleText final : public ConsoleText {
public:
    std::vector<std::u16string> readRows(NativeHandle output, int32_t left, int32_t top,
                                         int32_t columns, int32_t rows) override;
};

}  // namespace tideglass::win32
