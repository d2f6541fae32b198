// The profile port on real files without the Windows private-profile functions. Files written
// here and by Windows are interchangeable: same layout, same struct encoding, same lookup rules.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "settings/profile.h"

namespace tideglass {

class IniDocument;

class IniFileProfile : public Profile {
public:
    bool readStruct(const std::string& section, const std::string& key, void* data, uint32_t size,
                    const std::string& file) override;
    uint32_t readString(const std::string& section, const std::string& key,
                        const std::string& fallback, char* buffer, uint32_t size,
                        const std::string& file) override;
    bool writeStruct(const std::string& section, const std::string& key, const void* data,
                     uint32_t size, const std::string& file) override;
    bool writeString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override;
};

// What GetPrivateProfileString hands back for a stored value (or the default): one pair of
// matching single or double quotes around it removed, cut to size - 1 characters, zero
// terminated. Returns the number of characters copied.
uint32_t copyProfileValue(const std::string& value, char* buffer, uint32_t size);

}  // namespace tideglass
