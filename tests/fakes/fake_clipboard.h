// A clipboard holding one text, and a console text reader over the fake screen buffer (one byte
// a cell, widened as Latin-1).
#pragma once

#include <string>
#include <vector>

#include "console/console_text.h"
#include "desklet/clipboard.h"
#include "fakes/fake_console.h"

namespace tideglass::fakes {

class FakeClipboard : public Clipboard {
public:
    std::u16string text(WindowHandle) override { return held; }
    bool setText(WindowHandle owner, const std::u16string& text) override {
        held = text;
        owners.push_back(owner);
        return true;
    }
    std::u16string held;
    std::vector<WindowHandle> owners;  // of each setText
};

class FakeConsoleText : public ConsoleText {
public:
    explicit FakeConsoleText(FakeScreenBuffer& screen) : screen_(screen) {}
    std::vector<std::u16string> readRows(NativeHandle output, int32_t left, int32_t top,
                                         int32_t columns, int32_t rows) override;

private:
    FakeScreenBuffer& screen_;
};

}  // namespace tideglass::fakes
