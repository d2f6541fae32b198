// An INI file held in memory the way the Windows private-profile functions see it, so that the
// portable profile reads and rewrites files exactly as Windows (as implemented by Wine) does:
// lines are trimmed, blank lines dropped, names matched without regard to case, the first
// matching section and key win, and a save writes every line back with CRLF ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tideglass {

class IniDocument {
public:
    struct Entry {
        std::string name;
        std::optional<std::string> value;  // a line without '=' (a comment, say) has none
    };
    struct Section {
        std::string name;  // empty for the lines before the first header, written without one
        std::vector<Entry> entries;
    };

    // Never fails: any bytes make some document.
    static IniDocument parse(std::string_view bytes);
    std::string serialize() const;

    // The value of the first matching key of the first matching section; null when the section
    // or key is absent or the key's line has no '='.
    const std::string* find(std::string_view section, std::string_view key) const;

    // Creates or replaces the value (leading blanks dropped, as Windows does), appending a new key
    // at the end of its section and a new section at the end of the file. Returns false when the
    // key already held exactly this value, in which case the file need not be rewritten.
    bool set(std::string_view section, std::string_view key, std::string_view value);

    const std::vector<Section>& sections() const { return sections_; }

private:
    Section* findSection(std::string_view name);
    const Section* findSection(std::string_view name) const;

    std::string byteOrderMark_;  // a UTF-8 mark is kept in front of the rewritten file
    std::vector<Section> sections_;
};

// The value text Windows' WritePrivateProfileStruct makes of a block: two upper-case hex digits
// per byte, then the low byte of the sum of all bytes as two more.
std::string encodeStructText(const void* data, uint32_t size);

// Decodes `text` into exactly `size` bytes, or returns nothing when the text has the wrong length,
// a character that is not a hex digit or a checksum that does not match.
std::optional<std::vector<uint8_t>> decodeStructText(std::string_view text, uint32_t size);

}  // namespace tideglass
