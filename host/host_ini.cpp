#include "host_ini.h"

#include <vector>

namespace host {

namespace {

constexpr char kLeft[] = "left";
constexpr char kTop[] = "top";
constexpr char kZOrder[] = "z-order";
constexpr char kOnTop[] = "on-top";
constexpr char kOnDesktop[] = "desktop";
constexpr char kOpacity[] = "opacity";
constexpr char kClickThrough[] = "click-through";
constexpr char kClosed[] = "closed";
constexpr char kYes[] = "yes";
constexpr char kNo[] = "no";
constexpr char kHotkey[] = "hotkey";

std::string readString(const std::string& file, const std::string& section, const char* key,
                       const char* fallback) {
    char value[256] = {};
    GetPrivateProfileStringA(section.c_str(), key, fallback, value, sizeof value, file.c_str());
    return value;
}

}  // namespace

HostIni::HostIni(std::string file, std::string section)
    : file_(std::move(file)), section_(std::move(section)) {}

bool HostIni::hasWidgetSection() const {
    if (GetFileAttributesA(file_.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    // The section's keys as "key=value\0...\0\0"; an empty or missing section gives nothing.
    std::vector<char> keys(4096, '\0');
    return GetPrivateProfileSectionA(section_.c_str(), keys.data(), static_cast<DWORD>(keys.size()),
                                     file_.c_str()) > 0;
}

bool HostIni::hasPlacement() const {
    char left[32] = {};
    GetPrivateProfileStringA(hostSection().c_str(), kLeft, "", left, sizeof left, file_.c_str());
    return left[0] != '\0';
}

Placement HostIni::loadPlacement() const {
    Placement placement;
    const std::string section = hostSection();
    placement.position.x = static_cast<LONG>(
        GetPrivateProfileIntA(section.c_str(), kLeft, placement.position.x, file_.c_str()));
    placement.position.y = static_cast<LONG>(
        GetPrivateProfileIntA(section.c_str(), kTop, placement.position.y, file_.c_str()));
    char zOrder[32] = {};
    GetPrivateProfileStringA(section.c_str(), kZOrder, kOnDesktop, zOrder, sizeof zOrder,
                             file_.c_str());
    placement.onTop = std::string(zOrder) == kOnTop;
    placement.opacity = knownOpacity(static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), kOpacity, placement.opacity, file_.c_str())));
    placement.clickThrough = readString(file_, section, kClickThrough, kNo) == kYes;
    return placement;
}

bool HostIni::savePlacement(const Placement& placement) const {
    const std::string section = hostSection();
    const std::string left = std::to_string(placement.position.x);
    const std::string top = std::to_string(placement.position.y);
    return WritePrivateProfileStringA(section.c_str(), kLeft, left.c_str(), file_.c_str()) &&
           WritePrivateProfileStringA(section.c_str(), kTop, top.c_str(), file_.c_str()) &&
           WritePrivateProfileStringA(section.c_str(), kZOrder,
                                      placement.onTop ? kOnTop : kOnDesktop, file_.c_str()) &&
           WritePrivateProfileStringA(section.c_str(), kOpacity,
                                      std::to_string(placement.opacity).c_str(), file_.c_str()) &&
           WritePrivateProfileStringA(section.c_str(), kClickThrough,
                                      placement.clickThrough ? kYes : kNo, file_.c_str());
}

void HostIni::removeWidget(bool markClosed) const {
    WritePrivateProfileStringA(section_.c_str(), nullptr, nullptr, file_.c_str());
    WritePrivateProfileStringA(hostSection().c_str(), nullptr, nullptr, file_.c_str());
    if (markClosed)
        WritePrivateProfileStringA(hostSection().c_str(), kClosed, kYes, file_.c_str());
}

bool HostIni::closed() const {
    return readString(file_, hostSection(), kClosed, kNo) == kYes;
}

void HostIni::clearClosed() const {
    WritePrivateProfileStringA(hostSection().c_str(), kClosed, nullptr, file_.c_str());
}

int knownOpacity(int percent) {
    int known = kOpacities[0];
    for (int opacity : kOpacities)
        if (percent <= opacity)
            known = opacity;
    return known;
}

std::string loadHotkey(const std::string& file) {
    std::string hotkey = readString(file, kHostWideSection, kHotkey, "");
    if (hotkey.empty()) {
        hotkey = kDefaultHotkey;
        WritePrivateProfileStringA(kHostWideSection, kHotkey, hotkey.c_str(), file.c_str());
    }
    return hotkey;
}

}  // namespace host
