#include "platform/win32/win32_preview.h"

#include <objidl.h>  // IStream and friends, which <gdiplus.h> needs under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <cstring>

#include "platform/win32/unique_handle.h"

namespace tideglass::win32 {

namespace {

constexpr int kSquare = 8;
constexpr uint32_t kLight = 0xFFE0E0E0, kDark = 0xFFA0A0A0;

uint32_t blend(uint32_t over, uint32_t under) {
    const uint32_t alpha = over >> 24;
    uint32_t out = 0xFF000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t a = (over >> shift) & 0xFF, b = (under >> shift) & 0xFF;
        out |= ((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

}  // namespace

std::vector<uint32_t> composePreview(const std::vector<uint32_t>& argb, int width, int height,
                                     int outWidth, int outHeight) {
    std::vector<uint32_t> out(std::size_t(outWidth) * std::size_t(outHeight));
    for (int y = 0; y < outHeight; ++y) {
        for (int x = 0; x < outWidth; ++x) {
            const uint32_t backdrop = ((x / kSquare + y / kSquare) % 2) ? kDark : kLight;
            const bool inside = x < width && y < height;
            out[std::size_t(y) * outWidth + x] =
                inside ? blend(argb[std::size_t(y) * width + x], backdrop) : backdrop;
        }
    }
    return out;
}

std::vector<uint32_t> canvasPixels(Canvas& canvas, int& width, int& height) {
    auto* bitmap = static_cast<Gdiplus::Bitmap*>(static_cast<Gdiplus::Image*>(canvas.hostImage()));
    width = int(canvas.width());
    height = int(canvas.height());
    std::vector<uint32_t> pixels;
    if (bitmap == nullptr || width <= 0 || height <= 0)
        return pixels;
    Gdiplus::Rect area(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (bitmap->LockBits(&area, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
        Gdiplus::Ok)
        return pixels;
    pixels.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        std::memcpy(&pixels[std::size_t(y) * width],
                    static_cast<const BYTE*>(data.Scan0) + y * data.Stride, std::size_t(width) * 4);
    bitmap->UnlockBits(&data);
    return pixels;
}

void Win32Preview::present(Canvas& canvas) {
    RECT client{};
    if (control_ == nullptr || !GetClientRect(control_, &client) || client.right <= 0 ||
        client.bottom <= 0)
        return;
    int width = 0, height = 0;
    const std::vector<uint32_t> pixels = canvasPixels(canvas, width, height);
    if (pixels.empty())
        return;
    const std::vector<uint32_t> shown =
        composePreview(pixels, width, height, client.right, client.bottom);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        return;
    std::memcpy(bits, shown.data(), shown.size() * 4);
    // The control owns the bitmap it shows; the one it showed before is ours to delete.
    const HGDIOBJ handedOver = bitmap.release();
    UniqueGdiObject previous(reinterpret_cast<HGDIOBJ>(
        SendMessageA(control_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(handedOver))));
    if (previous.get() == handedOver)
        previous.release();
}

void Win32Preview::release(HWND control) {
    if (control == nullptr)
        return;
    UniqueGdiObject previous(
        reinterpret_cast<HGDIOBJ>(SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, 0)));
}

}  // namespace tideglass::win32
