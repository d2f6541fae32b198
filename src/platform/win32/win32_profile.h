// The profile port on the system's private-profile functions: the INI file the host names is read
// and written by Windows itself, file name passed through as given.
#pragma once

#include "settings/profile.h"

namespace tideglass {

class Win32Profile : public Profile {
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

}  // namespace tideglass
