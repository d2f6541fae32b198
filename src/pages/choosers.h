// Choosers port: the platform's colour and font dialogs, as the Font and Colors page uses them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "settings/font_block.h"

namespace tideglass {

using ColorRef = uint32_t;  // 0x00BBGGRR
using CustomColors = std::array<ColorRef, 16>;

class Choosers {
public:
    Choosers() = default;
    Choosers(const Choosers&) = delete;
    Choosers& operator=(const Choosers&) = delete;
    virtual ~Choosers() = default;

    // Opens the colour chooser on `initial`, letting the user edit `custom`; the chosen colour,
    // or nullopt when the user cancels (or the dialog fails).
    virtual std::optional<ColorRef> chooseColor(ColorRef initial, CustomColors& custom) = 0;
    // Opens the font chooser on `font`, which it overwrites on success. Fixed-pitch screen fonts
    // only; `showNonOem` false also keeps the script at the font's character set.
    virtual bool chooseFont(FontBlock& font, bool showNonOem) = 0;
};

}  // namespace tideglass
