#include "platform/win32/win32_choosers.h"

#include <windows.h>
#include <commdlg.h>

#include <cstddef>

namespace tideglass::win32 {
namespace {

// The font block is handed to the chooser as its LOGFONTA, so the two must agree byte for byte.
static_assert(sizeof(FontBlock) == sizeof(LOGFONTA));
static_assert(offsetof(FontBlock, height) == offsetof(LOGFONTA, lfHeight));
static_assert(offsetof(FontBlock, width) == offsetof(LOGFONTA, lfWidth));
static_assert(offsetof(FontBlock, escapement) == offsetof(LOGFONTA, lfEscapement));
static_assert(offsetof(FontBlock, orientation) == offsetof(LOGFONTA, lfOrientation));
static_assert(offsetof(FontBlock, weight) == offsetof(LOGFONTA, lfWeight));
static_assert(offsetof(FontBlock, italic) == offsetof(LOGFONTA, lfItalic));
static_assert(offsetof(FontBlock, underline) == offsetof(LOGFONTA, lfUnderline));
static_assert(offsetof(FontBlock, strikeOut) == offsetof(LOGFONTA, lfStrikeOut));
static_assert(offsetof(FontBlock, charSet) == offsetof(LOGFONTA, lfCharSet));
static_assert(offsetof(FontBlock, outPrecision) == offsetof(LOGFONTA, lfOutPrecision));
static_assert(offsetof(FontBlock, clipPrecision) == offsetof(LOGFONTA, lfClipPrecision));
static_assert(offsetof(FontBlock, quality) == offsetof(LOGFONTA, lfQuality));
static_assert(offsetof(FontBlock, pitchAndFamily) == offsetof(LOGFONTA, lfPitchAndFamily));
static_assert(offsetof(FontBlock, faceName) == offsetof(LOGFONTA, lfFaceName));

static_assert(sizeof(CustomColors) == 16 * sizeof(COLORREF));
static_assert(sizeof(void*) != 4 || sizeof(CHOOSECOLORA) == 36,
              "the 32-bit record the colour chooser expects");
static_assert(sizeof(void*) != 4 || sizeof(CHOOSEFONTA) == 60,
              "the 32-bit record the font chooser expects");
static_assert(kColorChooserFlags == (CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR));

}  // namespace

uint32_t fontChooserFlags(bool showNonOem) {
    const DWORD fixedScreenFonts =
        CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_FIXEDPITCHONLY;
    return showNonOem ? fixedScreenFonts : fixedScreenFonts | CF_SELECTSCRIPT;
}

// Both choosers are opened without an owner window.
std::optional<ColorRef> Win32Choosers::chooseColor(ColorRef initial, CustomColors& custom) {
    CHOOSECOLORA record{};
    record.lStructSize = sizeof record;
    record.rgbResult = initial;
    record.lpCustColors = reinterpret_cast<COLORREF*>(custom.data());
    record.Flags = kColorChooserFlags;
    if (!ChooseColorA(&record))
        return std::nullopt;
    return static_cast<ColorRef>(record.rgbResult);
}

bool Win32Choosers::chooseFont(FontBlock& font, bool showNonOem) {
    CHOOSEFONTA record{};
    record.lStructSize = sizeof record;
    record.lpLogFont = reinterpret_cast<LOGFONTA*>(&font);
    record.rgbColors = RGB(0, 0, 0);
    record.Flags = fontChooserFlags(showNonOem);
    return ChooseFontA(&record) != FALSE;
}

}  // namespace tideglass::win32
