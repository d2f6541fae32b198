// Where each byte of a font lands when drawn alone: the box opaque output fills, the ink, and
// whether the byte starts a character of more than one byte; and which way placed text steps.
#pragma once

#include <windows.h>

#include "render/graphics.h"

namespace tideglass::win32 {

// For the font selected in `dc`.
void measureGlyphBoxes(HDC dc, GlyphBoxes& out);

// Whether ExtTextOut's vertical steps (ETO_PDY) run down the page.
bool verticalStepsRunDown();

}  // namespace tideglass::win32
