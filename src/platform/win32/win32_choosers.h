// The choosers port over the common dialogs ChooseColorA and ChooseFontA.
#pragma once

#include <cstdint>

#include "pages/choosers.h"

namespace tideglass::win32 {

// CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_FIXEDPITCHONLY, plus CF_SELECTSCRIPT
// unless non-OEM fonts are wanted.
uint32_t fontChooserFlags(bool showNonOem);
constexpr uint32_t kColorChooserFlags = 0x103;  // CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR

class Win32Choosers : public Choosers {
public:
    std::optional<ColorRef> chooseColor(ColorRef initial, CustomColors& custom) override;
    bool chooseFont(FontBlock& font, bool showNonOem) override;
};

}  // namespace tideglass::win32
