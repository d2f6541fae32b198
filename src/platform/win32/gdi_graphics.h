// The drawing ports on GDI and GDI+: fonts and text output through GDI on a device context
// that GDI+ lends from the overlay bitmap. GDI+ must already be running (the host starts it).
#pragma once

#include <memory>

#include "render/graphics.h"

namespace tideglass::win32 {

class GdiGraphics : public Graphics {
public:
    // The canvas's host image is a Gdiplus::Bitmap, passed on as a Gdiplus::Image*.
    std::unique_ptr<Canvas> createCanvas(int32_t width, int32_t height) override;
    std::unique_ptr<Font> createFont(const FontBlock& block) override;
    std::unique_ptr<Font> stockOemFixedFont() override;
};

}  // namespace tideglass::win32
