// The values a renderer is built from, filled from the settings by configuration apply.
#pragma once

#include <cstdint>

#include "settings/font_block.h"

namespace tideglass {

struct RendererConfig {
    int32_t columns = 80;
    int32_t rows = 25;
    FontBlock font;
    uint32_t textColor = 0;        // COLORREF in the low three bytes
    uint32_t backgroundColor = 0;  // COLORREF in the low three bytes, alpha in the top byte
    int32_t leftMargin = 0;
    int32_t rightMargin = 0;
    int32_t topMargin = 0;
    int32_t bottomMargin = 0;
    bool ignoreFgColors = false;
    bool ignoreBgColors = false;
    bool ignoreStyle = false;
    bool invertColors = false;
    bool blackIsTransparent = false;
};

}  // namespace tideglass
