#include "fakes/fake_dialog.h"

#include <stdexcept>

namespace tideglass::fakes {

std::optional<uint32_t> parseDialogUnsigned(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i == text.size())
        return std::nullopt;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

void FakeDialog::setText(int id, const std::string& text) {
    texts[id] = text;
    written.push_back(id);
}

std::string FakeDialog::getText(int id, std::size_t maxChars) {
    const std::string& text = texts[id];
    return text.substr(0, maxChars);
}

void FakeDialog::setUnsigned(int id, uint32_t value) {
    setText(id, std::to_string(value));
}

std::optional<uint32_t> FakeDialog::getUnsigned(int id) {
    return parseDialogUnsigned(texts[id]);
}

void FakeDialog::setChecked(int id, bool checked) {
    checks[id] = checked;
    written.push_back(id);
}

bool FakeDialog::isChecked(int id) {
    return checks[id];
}

void FakeDialog::setLink(DeskletToken target) {
    linked = target;
    hasLink = true;
}

DeskletToken FakeDialog::link() {
    if (failLinkRead)
        throw std::runtime_error("link unreadable");
    return hasLink ? linked : 0;
}

void FakeDialog::removeLink() {
    linked = 0;
    hasLink = false;
}

}  // namespace tideglass::fakes
