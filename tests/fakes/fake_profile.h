// Records every profile call in order and serves values from memory; can be told to fail writes
// and to scribble over the caller's block on a failed struct read, as Wine does.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/profile.h"

namespace tideglass::fakes {

class FakeProfile : public Profile {
public:
    struct Call {
        std::string operation;  // "readStruct", "readString", "writeStruct", "writeString"
        std::string section;
        std::string key;
        std::string value;  // the text written (a struct as its encoded text) or the fallback read
        uint32_t size = 0;  // the block or buffer size passed
        std::string file;
    };
    using Key = std::pair<std::string, std::string>;  // section, key

    bool readStruct(const std::string& section, const std::string& key, void* data, uint32_t size,
                    const std::string& file) override;
    uint32_t readString(const std::string& section, const std::string& key,
                        const std::string& fallback, char* buffer, uint32_t size,
                        const std::string& file) override;
    bool writeStruct(const std::string& section, const std::string& key, const void* data,
                     uint32_t size, const std::string& file) override;
    bool writeString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override;

    std::vector<Call> calls;
    std::map<Key, std::string> values;            // served by readString
    std::map<Key, std::vector<uint8_t>> structs;  // served by readStruct when the size matches
    std::map<Key, std::vector<uint8_t>> damaged;  // decoded but with a bad checksum
    bool failWrites = false;                      // writes change nothing and return false

    std::vector<Call> callsOf(const std::string& operation) const;
};

}  // namespace tideglass::fakes
