// The Font and Colors page's preview on a bitmap static: the renderer's canvas laid over a
// chequered backdrop (so its transparency shows) at the control's size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "pages/preview.h"
#include "platform/win32/gdi_graphics.h"

namespace tideglass::win32 {

// `argb` (straight alpha, `width` x `height`) over the backdrop, cut or filled to `outWidth` x
// `outHeight`; opaque 0xAARRGGBB pixels, top row first.
std::vector<uint32_t> composePreview(const std::vector<uint32_t>& argb, int width, int height,
                                     int outWidth, int outHeight);
// The canvas's pixels, straight alpha, top row first; empty when they cannot be read.
std::vector<uint32_t> canvasPixels(Canvas& canvas, int& width, int& height);

class Win32Preview : public PreviewSurface {
public:
    explicit Win32Preview(HWND control) : control_(control) {}
    Graphics& graphics() override { return graphics_; }
    void present(Canvas& canvas) override;
    // Frees the bitmap the control shows (when the page goes).
    static void release(HWND control);

private:
    HWND control_;
    GdiGraphics graphics_;
};

}  // namespace tideglass::win32
