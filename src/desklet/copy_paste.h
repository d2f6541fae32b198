// Copy and paste between the clipboard and the console: which keys ask for them, the text a copy
// takes from the widget's rows, and the queue of typed characters a paste feeds to the console
// as fast as the console takes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "console/key_event.h"

namespace tideglass {

enum class ClipboardKey { None, Copy, Paste };

// Ctrl+Shift+C copies, Ctrl+Shift+V and Shift+Insert paste. With Alt (AltGr is Ctrl+Alt) the key
// stays the program's, and so do Ctrl+C and Ctrl+V themselves.
ClipboardKey clipboardKeyOf(uint16_t virtualKey, uint32_t controlKeyState);

// The rows as a clipboard text: each without its trailing spaces, joined by CR LF.
std::u16string joinRows(const std::vector<std::u16string>& rows);

// Pasted text waiting to be typed. Each line break (CR LF, LF or CR) is one Enter, a tab is Tab,
// and every other character goes in as a key carrying just that character.
class PasteQueue {
public:
    void add(const std::u16string& text);
    bool empty() const { return next_ == text_.size(); }
    std::size_t size() const { return text_.size() - next_; }
    // Key events (a press and a release each) for up to `characters` of the next characters.
    std::vector<KeyEvent> peek(std::size_t characters) const;
    // The next `characters` characters have been typed.
    void drop(std::size_t characters);

private:
    std::u16string text_;
    std::size_t next_ = 0;
};

}  // namespace tideglass
