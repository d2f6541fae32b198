#include "settings/ini_document.h"

#include <algorithm>

namespace tideglass {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr char kHexDigits[] = "0123456789ABCDEF";

// Wine's profile code counts the DOS end-of-file mark (Ctrl-Z) as white space too; other control
// characters and the no-break space are kept.
bool isProfileSpace(char c) {
    return (c >= '\t' && c <= '\r') || c == '\x1a' || c == ' ';
}

std::string_view trimLeft(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && isProfileSpace(text[begin]))
        ++begin;
    return text.substr(begin);
}

std::string_view trimRight(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && isProfileSpace(text[end - 1]))
        --end;
    return text.substr(0, end);
}

std::string_view trim(std::string_view text) {
    return trimRight(trimLeft(text));
}

// The system keeps names and values as zero-terminated strings, so an embedded zero byte ends
// them.
std::string untilZero(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names compare without regard to ASCII case and without the blanks around them.
bool sameName(std::string_view stored, std::string_view wanted) {
    stored = trim(stored);
    wanted = trim(wanted);
    return stored.size() == wanted.size() &&
           std::equal(stored.begin(), stored.end(), wanted.begin(),
                      [](char a, char b) { return foldCase(a) == foldCase(b); });
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

void addLine(IniDocument::Section& section, std::string_view line) {
    IniDocument::Entry entry;
    const size_t equals = line.find('=');
    // The blanks are trimmed again after the cut at a zero byte, so that a rewritten file reads
    // back the same.
    if (equals == std::string_view::npos) {
        entry.name = untilZero(line);
        // A line that a zero byte empties names nothing and holds nothing.
        if (entry.name.empty())
            return;
    } else {
        entry.name = std::string(trimRight(untilZero(line.substr(0, equals))));
        entry.value = std::string(trim(untilZero(line.substr(equals + 1))));
    }
    // Wine keeps a nameless "=value" line only when the line before it had a name.
    if (entry.name.empty() && !section.entries.empty() && section.entries.back().name.empty()) {
        return;
    }
    section.entries.push_back(std::move(entry));
}

}  // namespace

IniDocument IniDocument::parse(std::string_view bytes) {
    IniDocument document;
    // A mark behind leading blanks is taken as a mark too (Wine would take it as part of the
    // first name): the rewritten file starts with it, and must read back the same.
    const size_t firstText = trimLeft(bytes).data() - bytes.data();
    if (bytes.substr(firstText, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        document.byteOrderMark_ = std::string(kUtf8ByteOrderMark);
        bytes.remove_prefix(firstText + kUtf8ByteOrderMark.size());
    }
    document.sections_.emplace_back();

    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t lineEnd = std::min(bytes.find_first_of("\r\n", pos), bytes.size());
        const std::string_view line = trim(bytes.substr(pos, lineEnd - pos));
        pos = std::min(bytes.find_first_not_of("\r\n", lineEnd), bytes.size());
        if (line.empty())
            continue;

        const size_t close = line.rfind(']');
        if (line.front() == '[' && close != std::string_view::npos && close > 0) {
            // Anything after the closing bracket is dropped, as Windows does.
            Section section;
            section.name = std::string(trim(untilZero(line.substr(1, close - 1))));
            document.sections_.push_back(std::move(section));
            continue;
        }
        addLine(document.sections_.back(), line);
    }
    return document;
}

std::string IniDocument::serialize() const {
    std::string out = byteOrderMark_;
    for (const Section& section : sections_) {
        // Wine writes a later section headed "[]" without its header, which moves its keys into
        // the section before; the header is kept so that the file reads back as it was.
        if (&section != &sections_.front())
            out += "[" + section.name + "]\r\n";
        for (const Entry& entry : section.entries) {
            out += entry.name;
            if (entry.value)
                out += "=" + *entry.value;
            out += "\r\n";
        }
    }
    return out;
}

const IniDocument::Section* IniDocument::findSection(std::string_view name) const {
    for (const Section& section : sections_) {
        if (sameName(section.name, name))
            return &section;
    }
    return nullptr;
}

IniDocument::Section* IniDocument::findSection(std::string_view name) {
    return const_cast<Section*>(static_cast<const IniDocument*>(this)->findSection(name));
}

const std::string* IniDocument::find(std::string_view section, std::string_view key) const {
    const Section* found = findSection(section);
    if (!found)
        return nullptr;
    for (const Entry& entry : found->entries) {
        if (sameName(entry.name, key))
            return entry.value ? &*entry.value : nullptr;
    }
    return nullptr;
}

bool IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string text = untilZero(trimLeft(value));
    Section* target = findSection(section);
    if (!target) {
        // New names keep their trailing blanks, as Windows writes them.
        Section added;
        added.name = untilZero(trimLeft(section));
        sections_.push_back(std::move(added));
        target = &sections_.back();
    }
    for (Entry& entry : target->entries) {
        if (!sameName(entry.name, key))
            continue;
        if (entry.value == text)
            return false;
        entry.value = text;
        return true;
    }
    target->entries.push_back(Entry{untilZero(trimLeft(key)), text});
    return true;
}

std::string encodeStructText(const void* data, uint32_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::string text;
    text.reserve(size * 2u + 2u);
    uint8_t sum = 0;
    for (uint32_t i = 0; i < size; ++i) {
        text += kHexDigits[bytes[i] >> 4];
        text += kHexDigits[bytes[i] & 0x0F];
        sum = static_cast<uint8_t>(sum + bytes[i]);
    }
    text += kHexDigits[sum >> 4];
    text += kHexDigits[sum & 0x0F];
    return text;
}

std::optional<std::vector<uint8_t>> decodeStructText(std::string_view text, uint32_t size) {
    // Wine lets one stray digit through (it divides the length by two); a text of any other
    // length than two digits per byte plus the checksum is damaged.
    if (text.size() != size * 2ull + 2u)
        return std::nullopt;
    std::vector<uint8_t> bytes(size);
    uint8_t sum = 0;
    for (size_t i = 0; i <= size; ++i) {
        const int high = hexValue(text[2 * i]);
        const int low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        const auto byte = static_cast<uint8_t>(high << 4 | low);
        if (i == size)
            return byte == sum ? std::optional(std::move(bytes)) : std::nullopt;
        bytes[i] = byte;
        sum = static_cast<uint8_t>(sum + byte);
    }
    return std::nullopt;
}

}  // namespace tideglass
