#include "support/gdiplus_session.h"

#include <vector>

namespace host {

bool pixelAt(Gdiplus::Image& image, int x, int y, Gdiplus::ARGB& out) {
    Gdiplus::Color color;
    auto& bitmap = static_cast<Gdiplus::Bitmap&>(image);
    if (bitmap.GetPixel(x, y, &color) != Gdiplus::Ok)
        return false;
    out = color.GetValue();
    return true;
}

}  // namespace host
