#include "e2e/support/dialog_template.h"

#include <cstring>
#include <stdexcept>

namespace tideglass::e2e {
namespace {

class Reader {
public:
    Reader(const uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}

    template <typename T>
    T read() {
        need(sizeof(T));
        T value;
        std::memcpy(&value, bytes_ + pos_, sizeof(T));
        pos_ += sizeof(T);
        return value;
    }

    // A zero-terminated UTF-16 string; the texts here are ASCII.
    std::string string() {
        std::string text;
        for (uint16_t c = read<uint16_t>(); c != 0; c = read<uint16_t>()) {
            text += c < 0x80 ? static_cast<char>(c) : '?';
        }
        return text;
    }

    // A string, or 0xFFFF followed by an ordinal.
    std::string nameOrOrdinal() {
        need(2);
        uint16_t first;
        std::memcpy(&first, bytes_ + pos_, 2);
        if (first != 0xFFFF)
            return string();
        pos_ += 2;
        return "#" + std::to_string(read<uint16_t>());
    }

    void alignTo4() { pos_ = (pos_ + 3) & ~static_cast<std::size_t>(3); }
    void skip(std::size_t n) {
        need(n);
        pos_ += n;
    }

private:
    void need(std::size_t n) const {
        if (pos_ + n > size_)
            throw std::runtime_error("dialog template ends too early");
    }

    const uint8_t* bytes_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

std::string className(const std::string& raw) {
    if (raw == "#128")
        return "Button";
    if (raw == "#129")
        return "Edit";
    if (raw == "#130")
        return "Static";
    if (raw == "#131")
        return "ListBox";
    if (raw == "#132")
        return "ScrollBar";
    if (raw == "#133")
        return "ComboBox";
    return raw;
}

}  // namespace

DialogTemplate parseDialogTemplateEx(const uint8_t* bytes, std::size_t size) {
    Reader in(bytes, size);
    DialogTemplate dialog;
    const auto version = in.read<uint16_t>();
    const auto signature = in.read<uint16_t>();
    dialog.extended = version == 1 && signature == 0xFFFF;
    if (!dialog.extended)
        throw std::runtime_error("not an extended dialog template");
    dialog.helpId = in.read<uint32_t>();
    dialog.exStyle = in.read<uint32_t>();
    dialog.style = in.read<uint32_t>();
    const auto count = in.read<uint16_t>();
    dialog.x = in.read<int16_t>();
    dialog.y = in.read<int16_t>();
    dialog.cx = in.read<int16_t>();
    dialog.cy = in.read<int16_t>();
    dialog.menu = in.nameOrOrdinal();
    dialog.windowClass = in.nameOrOrdinal();
    dialog.caption = in.string();
    // DS_SETFONT / DS_SHELLFONT: the font follows.
    if (dialog.style & 0x40) {
        dialog.pointSize = in.read<uint16_t>();
        dialog.weight = in.read<uint16_t>();
        dialog.italic = in.read<uint8_t>();
        dialog.charset = in.read<uint8_t>();
        dialog.typeface = in.string();
    }
    for (uint16_t i = 0; i < count; ++i) {
        in.alignTo4();
        DialogItem item;
        item.helpId = in.read<uint32_t>();
        item.exStyle = in.read<uint32_t>();
        item.style = in.read<uint32_t>();
        item.x = in.read<int16_t>();
        item.y = in.read<int16_t>();
        item.cx = in.read<int16_t>();
        item.cy = in.read<int16_t>();
        item.id = in.read<int32_t>();
        item.windowClass = className(in.nameOrOrdinal());
        item.text = in.nameOrOrdinal();
        item.extraBytes = in.read<uint16_t>();
        in.skip(item.extraBytes);
        dialog.controls.push_back(std::move(item));
    }
    return dialog;
}

}  // namespace tideglass::e2e
