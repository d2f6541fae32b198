// Profile port: the four private-profile operations the settings persistence needs. The Win32
// adapter calls the system's functions; the portable adapter reads and writes the same files.
#pragma once

#include <cstdint>
#include <string>

namespace tideglass {

class Profile {
public:
    Profile() = default;
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;
    virtual ~Profile() = default;

    // Fills `data` with `size` bytes written by writeStruct; fails (false) when the key is absent
    // or its value does not decode to `size` bytes with a matching checksum.
    virtual bool readStruct(const std::string& section, const std::string& key, void* data,
                            uint32_t size, const std::string& file) = 0;
    // Copies at most size - 1 characters of the value (or `fallback`) into `buffer`, zero
    // terminated; returns the number of characters copied.
    virtual uint32_t readString(const std::string& section, const std::string& key,
                                const std::string& fallback, char* buffer, uint32_t size,
                                const std::string& file) = 0;
    virtual bool writeStruct(const std::string& section, const std::string& key, const void* data,
                             uint32_t size, const std::string& file) = 0;
    virtual bool writeString(const std::string& section, const std::string& key,
                             const std::string& value, const std::string& file) = 0;
};

}  // namespace tideglass
