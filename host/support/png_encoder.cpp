#include "png_encoder.h"

#include <objidl.h>
#include <gdiplus.h>

namespace tideglass::host {
namespace {

namespace gp = Gdiplus::DllExports;

// {557CF406-1A04-11D3-9A73-0000F81EF32E}, the built-in PNG encoder; looking it up through
// GdipGetImageEncoders would give the same value.
const CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

}  // namespace

bool saveImagePng(void* image, const std::wstring& path) {
    return image && gp::GdipSaveImageToFile(static_cast<Gdiplus::GpImage*>(image), path.c_str(),
                                            &kPngEncoder, nullptr) == Gdiplus::Ok;
}

bool saveBitmapPng(HBITMAP bitmap, const std::wstring& path) {
    Gdiplus::GpBitmap* copy = nullptr;
    if (gp::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &copy) != Gdiplus::Ok)
        return false;
    const bool saved = saveImagePng(copy, path);
    gp::GdipDisposeImage(copy);
    return saved;
}

}  // namespace tideglass::host
