#include "desklet/copy_paste.h"

#include <algorithm>

namespace tideglass {

namespace {

constexpr uint16_t kVkTab = 0x09;
constexpr uint16_t kVkReturn = 0x0D;
constexpr uint16_t kVkInsert = 0x2D;
constexpr uint16_t kScanTab = 0x0F;
constexpr uint16_t kScanReturn = 0x1C;

// A pasted text of many megabytes is taken in full; the part already typed is let go of now and
// then, so a long paste does not keep it twice.
constexpr std::size_t kCompactAfter = 64 * 1024;

}  // namespace

ClipboardKey clipboardKeyOf(uint16_t virtualKey, uint32_t controlKeyState) {
    const bool shift = (controlKeyState & kShiftPressed) != 0;
    const bool ctrl = (controlKeyState & kCtrlPressed) != 0;
    const bool alt = (controlKeyState & kAltPressed) != 0;
    if (!shift || alt)
        return ClipboardKey::None;
    if (ctrl && virtualKey == 'C')
        return ClipboardKey::Copy;
    if ((ctrl && virtualKey == 'V') || (!ctrl && virtualKey == kVkInsert))
        return ClipboardKey::Paste;
    return ClipboardKey::None;
}

std::u16string joinRows(const std::vector<std::u16string>& rows) {
    std::u16string text;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            text += u"\r\n";
        const std::u16string& row = rows[i];
        const std::size_t end = row.find_last_not_of(u' ');
        if (end != std::u16string::npos)
            text.append(row, 0, end + 1);
    }
    return text;
}

void PasteQueue::add(const std::u16string& text) {
    if (next_ >= kCompactAfter) {
        text_.erase(0, next_);
        next_ = 0;
    }
    text_.reserve(text_.size() + text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\n' || c == u'\r') {
            text_ += u'\r';
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            text_ += c;
        }
    }
}

std::vector<KeyEvent> PasteQueue::peek(std::size_t characters) const {
    std::vector<KeyEvent> events;
    const std::size_t count = std::min(characters, size());
    events.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i) {
        KeyEvent key;
        key.keyDown = true;
        key.repeatCount = 1;
        key.character = text_[next_ + i];
        if (key.character == u'\r') {
            key.virtualKeyCode = kVkReturn;
            key.virtualScanCode = kScanReturn;
        } else if (key.character == u'\t') {
            key.virtualKeyCode = kVkTab;
            key.virtualScanCode = kScanTab;
        }
        events.push_back(key);
        key.keyDown = false;
        events.push_back(key);
    }
    return events;
}

void PasteQueue::drop(std::size_t characters) {
    next_ += std::min(characters, size());
    if (empty()) {
        text_.clear();
        next_ = 0;
    }
}

}  // namespace tideglass
