// Feeds arbitrary bytes to the INI reader as the contents of a host's file, then checks that
// rewriting keeps what was read and that a value set through the writer reads back.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/ini_document.h"

using tideglass::IniDocument;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void expectSameLookups(const IniDocument& before, const IniDocument& after) {
    for (const auto& section : before.sections()) {
        for (const auto& entry : section.entries) {
            const std::string* old = before.find(section.name, entry.name);
            const std::string* now = after.find(section.name, entry.name);
            check((old == nullptr) == (now == nullptr));
            if (old && now)
                check(*old == *now);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const IniDocument document = IniDocument::parse(bytes);

    // Every key reads the same after a rewrite. A zero byte can empty a line, which then
    // vanishes from the rewritten file and may expose the line after it (to a byte order mark
    // check, say), as with the system's own functions; such input is held to the same rule from
    // its first rewrite on.
    const std::string written = document.serialize();
    const IniDocument reread = IniDocument::parse(written);
    if (bytes.find('\0') == std::string_view::npos)
        expectSameLookups(document, reread);
    const IniDocument third = IniDocument::parse(reread.serialize());
    expectSameLookups(reread, third);
    check(third.serialize() == reread.serialize());

    // A value stored by the writer reads back, whatever the file held before.
    IniDocument edited = IniDocument::parse(bytes);
    edited.set("Tideglass 1", "columns", "132");
    const IniDocument afterEdit = IniDocument::parse(edited.serialize());
    const std::string* value = afterEdit.find("tideglass 1", "COLUMNS");
    check(value && *value == "132");

    // A block of the input's first bytes survives its text form.
    const uint32_t blockSize = static_cast<uint32_t>(size < 60 ? size : 60);
    const auto decoded =
        tideglass::decodeStructText(tideglass::encodeStructText(data, blockSize), blockSize);
    check(decoded && std::equal(decoded->begin(), decoded->end(), data));
    // Decoding arbitrary text must not read past it.
    tideglass::decodeStructText(bytes, static_cast<uint32_t>(size / 2));
    return 0;
}
