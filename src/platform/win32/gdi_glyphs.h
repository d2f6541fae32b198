// Where each character of a font lands when drawn by itself: its advance and the columns of its
// ink, found by drawing it.
#pragma once

#include <windows.h>

#include "render/graphics.h"

namespace tideglass::win32 {

void measureGlyphs(HFONT font, const char16_t* characters, int32_t count, GlyphInk* out);

}  // namespace tideglass::win32
