#include "support/png_encoder.h"

#include <memory>

namespace host {
namespace {

// {557CF406-1A04-11D3-9A73-0000F81EF32E}, the built-in PNG encoder; looking it up through
// GetImageEncoders would give the same value.
const CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

std::wstring widen(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    wide.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
    return wide;
}

}  // namespace

bool savePng(Gdiplus::Image& image, const std::string& path) {
    return image.Save(widen(path).c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}

bool savePng(HBITMAP bitmap, const std::string& path) {
    std::unique_ptr<Gdiplus::Bitmap> copy(Gdiplus::Bitmap::FromHBITMAP(bitmap, nullptr));
    return copy && copy->GetLastStatus() == Gdiplus::Ok && savePng(*copy, path);
}

}  // namespace host
