#include "settings/persistence.h"

#include <algorithm>
#include <vector>

#include "settings/keys.h"
#include "settings/number_text.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "settings/value_text.h"

namespace tideglass {
namespace {

// Values are read into a buffer of this size, so a value is taken up to 32767 characters.
constexpr uint32_t kValueBufferSize = 32768;

// Reads every key the map already holds; a value that is missing, empty or unreadable leaves the
// current one. `convert` returns the new value or nothing.
template <typename Map, typename Convert>
void loadMap(Profile& profile, Map& map, std::vector<char>& buffer, const std::string& file,
             const std::string& section, Convert convert) {
    for (auto& [key, value] : map) {
        const uint32_t length =
            profile.readString(section, key, "", buffer.data(), kValueBufferSize, file);
        if (length == 0)
            continue;
        // Never trust a reported length beyond what the buffer can hold.
        const std::string text(buffer.data(), std::min(length, kValueBufferSize - 1));
        if (auto converted = convert(text))
            value = std::move(*converted);
    }
}

}  // namespace

void loadSettingsFromProfile(Profile& profile, Settings& settings, const std::string& file,
                             const std::string& section) {
    // Read into a scratch block and copy only a good read: some implementations of the platform
    // read (Wine's among them) decode a value into the caller's block before finding that its
    // checksum is wrong, which would leave a damaged font in the store.
    FontBlock font;
    if (profile.readStruct(section, keys::kFont, &font, sizeof font, file))
        settings.font = font;

    std::vector<char> buffer(kValueBufferSize);
    loadMap(profile, settings.strings, buffer, file, section,
            [](const std::string& text) { return std::optional<std::string>(text); });
    loadMap(profile, settings.integers, buffer, file, section, parseInteger);
    loadMap(profile, settings.reals, buffer, file, section, parseReal);
}

void saveSettingsToProfile(Profile& profile, const Settings& settings, const std::string& file,
                           const std::string& section) {
    // Results are not examined: a file that cannot be written is silently left as it was.
    profile.writeStruct(section, keys::kFont, &settings.font, sizeof settings.font, file);
    for (const auto& [key, value] : settings.strings) {
        profile.writeString(section, key, profileText(value), file);
    }
    for (const auto& [key, value] : settings.integers) {
        profile.writeString(section, key, formatInteger(value), file);
    }
    for (const auto& [key, value] : settings.reals) {
        profile.writeString(section, key, formatReal(value), file);
    }
}

}  // namespace tideglass
