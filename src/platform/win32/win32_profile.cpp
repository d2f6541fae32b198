#include "platform/win32/win32_profile.h"

#include <windows.h>

namespace tideglass {

bool Win32Profile::readStruct(const std::string& section, const std::string& key, void* data,
                              uint32_t size, const std::string& file) {
    return GetPrivateProfileStructA(section.c_str(), key.c_str(), data, size, file.c_str()) !=
           FALSE;
}

uint32_t Win32Profile::readString(const std::string& section, const std::string& key,
                                  const std::string& fallback, char* buffer, uint32_t size,
                                  const std::string& file) {
    return GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer, size,
                                    file.c_str());
}

bool Win32Profile::writeStruct(const std::string& section, const std::string& key, const void* data,
                               uint32_t size, const std::string& file) {
    // The system's declaration takes a non-const pointer but only reads the block.
    return WritePrivateProfileStructA(section.c_str(), key.c_str(), const_cast<void*>(data), size,
                                      file.c_str()) != FALSE;
}

bool Win32Profile::writeString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
           FALSE;
}

}  // namespace tideglass
