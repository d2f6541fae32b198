#include "fakes/fake_profile.h"

#include <algorithm>
#include <cstring>

#include "settings/ini_document.h"

namespace tideglass::fakes {

bool FakeProfile::readStruct(const std::string& section, const std::string& key, void* data,
                             uint32_t size, const std::string& file) {
    calls.push_back({"readStruct", section, key, "", size, file});
    const Key where{section, key};
    if (auto bad = damaged.find(where); bad != damaged.end()) {
        // Wine copies the decoded bytes out before it compares the checksum.
        std::memcpy(data, bad->second.data(), std::min<size_t>(size, bad->second.size()));
        return false;
    }
    auto found = structs.find(where);
    if (found == structs.end() || found->second.size() != size)
        return false;
    std::memcpy(data, found->second.data(), size);
    return true;
}

uint32_t FakeProfile::readString(const std::string& section, const std::string& key,
                                 const std::string& fallback, char* buffer, uint32_t size,
                                 const std::string& file) {
    calls.push_back({"readString", section, key, fallback, size, file});
    if (size == 0)
        return 0;
    auto found = values.find({section, key});
    const std::string& text = found != values.end() ? found->second : fallback;
    const auto count = static_cast<uint32_t>(std::min<size_t>(text.size(), size - 1u));
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return count;
}

bool FakeProfile::writeStruct(const std::string& section, const std::string& key, const void* data,
                              uint32_t size, const std::string& file) {
    calls.push_back({"writeStruct", section, key, encodeStructText(data, size), size, file});
    if (failWrites)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    structs[{section, key}].assign(bytes, bytes + size);
    return true;
}

bool FakeProfile::writeString(const std::string& section, const std::string& key,
                              const std::string& value, const std::string& file) {
    calls.push_back({"writeString", section, key, value, 0, file});
    if (failWrites)
        return false;
    values[{section, key}] = value;
    return true;
}

std::vector<FakeProfile::Call> FakeProfile::callsOf(const std::string& operation) const {
    std::vector<Call> result;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(result),
                 [&](const Call& call) { return call.operation == operation; });
    return result;
}

}  // namespace tideglass::fakes
