#include "platform/win32/gdi_glyphs.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/win32/unique_handle.h"

namespace tideglass::win32 {
namespace {

// A 32bpp top-down DIB section for scratch drawing; its pixels at *bits. Null on failure.
HBITMAP topDownBitmap(HDC dc, int32_t width, int32_t height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Draws single glyphs, white on black, on a scratch bitmap with room around them, and finds the
// pixels they touch.
class InkMeter {
public:
    InkMeter(HFONT font, int32_t marginX, int32_t marginY)
        : marginX_(std::max<int32_t>(marginX, 1)),
          marginY_(std::max<int32_t>(marginY, 1)),
          width_(3 * marginX_),
          height_(3 * marginY_),
          dc_(::CreateCompatibleDC(nullptr)) {
        if (!dc_)
            return;
        void* bits = nullptr;
        bitmap_.reset(topDownBitmap(dc_.get(), width_, height_, &bits));
        if (!bitmap_ || !bits)
            return;
        bits_ = static_cast<uint32_t*>(bits);
        previousBitmap_ = ::SelectObject(dc_.get(), bitmap_.get());
        previousFont_ = ::SelectObject(dc_.get(), font);
        ::SetBkMode(dc_.get(), TRANSPARENT);
        ::SetTextColor(dc_.get(), RGB(255, 255, 255));
        ::SetTextAlign(dc_.get(), TA_LEFT | TA_TOP | TA_NOUPDATECP);
    }
    ~InkMeter() {
        if (previousFont_)
            ::SelectObject(dc_.get(), previousFont_);
        if (previousBitmap_)
            ::SelectObject(dc_.get(), previousBitmap_);
    }
    InkMeter(const InkMeter&) = delete;
    InkMeter& operator=(const InkMeter&) = delete;

    // The glyph's advance and ink columns; an advance of -1 when it cannot be drawn.
    GlyphInk measure(char16_t character) {
        const WCHAR wide = WCHAR(character);
        SIZE size{0, 0};
        if (!bits_ || !::GetTextExtentPoint32W(dc_.get(), &wide, 1, &size))
            return GlyphInk{};
        std::fill(bits_, bits_ + size_t(width_) * size_t(height_), 0u);
        ::GdiFlush();
        if (!::ExtTextOutW(dc_.get(), marginX_, marginY_, 0, nullptr, &wide, 1, nullptr))
            return GlyphInk{};
        ::GdiFlush();
        int32_t left = width_;
        int32_t right = -1;
        bool atEdge = false;
        for (int32_t y = 0; y < height_; ++y) {
            const uint32_t* row = bits_ + size_t(y) * size_t(width_);
            for (int32_t x = 0; x < width_; ++x) {
                if (row[x] & 0xFFFFFF) {
                    left = std::min(left, x);
                    right = std::max(right, x + 1);
                    atEdge = atEdge || y == 0 || y == height_ - 1;
                }
            }
        }
        if (right < 0)
            return GlyphInk{size.cx, 0, 0};
        // Ink at the scratch bitmap's edge may go on beyond it: take the whole scratch area,
        // which reaches into the neighbouring cells, so the glyph is never trusted to stay home.
        if (atEdge || left == 0 || right == width_) {
            left = 0;
            right = width_;
        }
        return GlyphInk{size.cx, left - marginX_, right - marginX_};
    }

private:
    int32_t marginX_;
    int32_t marginY_;
    int32_t width_;
    int32_t height_;
    UniqueDc dc_;
    UniqueGdiObject bitmap_;
    uint32_t* bits_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
    HGDIOBJ previousFont_ = nullptr;
};

}  // namespace

void measureGlyphs(HFONT font, const char16_t* characters, int32_t count, GlyphInk* out) {
    // Room around the glyph: a glyph may reach a whole maximal advance to either side.
    int32_t marginX = 1;
    int32_t marginY = 1;
    {
        UniqueDc dc(::CreateCompatibleDC(nullptr));
        HGDIOBJ previous = dc ? ::SelectObject(dc.get(), font) : nullptr;
        TEXTMETRICW metrics{};
        if (dc && ::GetTextMetricsW(dc.get(), &metrics)) {
            marginX = metrics.tmMaxCharWidth + metrics.tmOverhang;
            marginY = metrics.tmHeight;
        }
        if (previous)
            ::SelectObject(dc.get(), previous);
    }
    InkMeter meter(font, marginX, marginY);
    for (int32_t i = 0; i < count; ++i)
        out[i] = meter.measure(characters[i]);
}

}  // namespace tideglass::win32
