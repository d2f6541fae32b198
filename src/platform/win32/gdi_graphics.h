// The drawing ports on GDI and GDI+: fonts and text output through GDI on a device context
// that GDI+ lends from the overlay bitmap. GDI+ must already be running (the host starts it).
#pragma once

#include <cstddef>
#include <memory>

#include "render/graphics.h"

namespace tideglass::win32 {

// Where GDI+ objects get their memory: GdipAlloc's contract, null when there is none.
using GdiplusAllocator = void* (*)(std::size_t bytes);
void* gdiplusAlloc(std::size_t bytes);

class GdiGraphics : public Graphics {
public:
    explicit GdiGraphics(GdiplusAllocator allocate = gdiplusAlloc) : allocate_(allocate) {}

    // The canvas's host image is a Gdiplus::Bitmap, passed on as a Gdiplus::Image*.
    std::unique_ptr<Canvas> createCanvas(int32_t width, int32_t height) override;
    std::unique_ptr<Font> createFont(const FontBlock& block) override;
    std::unique_ptr<Font> stockOemFixedFont() override;
    int64_t virtualScreenArea() override;

private:
    GdiplusAllocator allocate_;
};

}  // namespace tideglass::win32
