#include "settings/ini_file_profile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "settings/ini_document.h"

namespace tideglass {
namespace {

namespace fs = std::filesystem;

// A missing or unreadable file reads as an empty one, as it does for Windows.
IniDocument loadDocument(const std::string& file) {
    std::error_code error;
    if (!fs::is_regular_file(fs::path(file), error))
        return IniDocument::parse({});
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return IniDocument::parse(bytes);
}

// Windows refuses to write a read-only file even for an administrator; Unix lets root write a
// file without write permission, so the permission bits are checked rather than relying on the
// open to fail.
bool isWritableTarget(const fs::path& path, bool& exists) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    exists = fs::exists(status);
    if (!exists)
        return status.type() == fs::file_type::not_found;
    if (status.type() != fs::file_type::regular)
        return false;
    const fs::perms anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & anyWrite) != fs::perms::none;
}

bool storeValue(const std::string& section, const std::string& key, const std::string& value,
                const std::string& file) {
    bool exists = false;
    if (!isWritableTarget(fs::path(file), exists))
        return false;

    IniDocument document = IniDocument::parse({});
    if (exists) {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return false;
        const std::string bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        if (in.bad())
            return false;
        document = IniDocument::parse(bytes);
    }
    // Like Windows, an unchanged value leaves the file alone.
    if (!document.set(section, key, value))
        return true;

    const std::string bytes = document.serialize();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace

uint32_t copyProfileValue(const std::string& value, char* buffer, uint32_t size) {
    if (!buffer || size == 0)
        return 0;
    std::string_view text = value;
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        text = text.substr(1, text.size() - 2);
    }
    const auto count = static_cast<uint32_t>(std::min<size_t>(text.size(), size - 1u));
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return count;
}

bool IniFileProfile::readStruct(const std::string& section, const std::string& key, void* data,
                                uint32_t size, const std::string& file) {
    if (!data)
        return false;
    const IniDocument document = loadDocument(file);
    const std::string* text = document.find(section, key);
    if (!text)
        return false;
    // Decoded in full before anything is copied, so a damaged value leaves the caller's block
    // untouched.
    const auto bytes = decodeStructText(*text, size);
    if (!bytes)
        return false;
    std::memcpy(data, bytes->data(), size);
    return true;
}

uint32_t IniFileProfile::readString(const std::string& section, const std::string& key,
                                    const std::string& fallback, char* buffer, uint32_t size,
                                    const std::string& file) {
    if (!buffer || size == 0)
        return 0;
    const IniDocument document = loadDocument(file);
    if (const std::string* value = document.find(section, key)) {
        return copyProfileValue(*value, buffer, size);
    }
    // Windows drops trailing spaces (only spaces) from the default.
    return copyProfileValue(fallback.substr(0, fallback.find_last_not_of(' ') + 1), buffer, size);
}

bool IniFileProfile::writeStruct(const std::string& section, const std::string& key,
                                 const void* data, uint32_t size, const std::string& file) {
    if (!data)
        return false;
    return storeValue(section, key, encodeStructText(data, size), file);
}

bool IniFileProfile::writeString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) {
    return storeValue(section, key, value, file);
}

}  // namespace tideglass
