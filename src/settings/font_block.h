// The console font as stored in the settings and the INI file: 60 bytes laid out exactly like
// the Windows LOGFONTA record, so the same bytes go to font creation and to the profile.
#pragma once

#include <cstdint>

namespace tideglass {

constexpr uint8_t kOemCharset = 255;
constexpr int kFaceNameSize = 32;

struct FontBlock {
    int32_t height = 0;
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    char faceName[kFaceNameSize] = {};

    bool hasFaceName() const { return faceName[0] != '\0'; }
};

static_assert(sizeof(FontBlock) == 60, "the font block must keep the LOGFONTA layout");

}  // namespace tideglass
