#include "support/gdiplus_session.h"

#include <vector>

namespace host {

bool savePng(Gdiplus::Image& image, const std::string& path) {
    static const CLSID kPngEncoder = {
        0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    std::vector<wchar_t> wide(path.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    return image.Save(wide.data(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}

bool pixelAt(Gdiplus::Image& image, int x, int y, Gdiplus::ARGB& out) {
    Gdiplus::Color color;
    auto& bitmap = static_cast<Gdiplus::Bitmap&>(image);
    if (bitmap.GetPixel(x, y, &color) != Gdiplus::Ok)
        return false;
    out = color.GetValue();
    return true;
}

}  // namespace host
