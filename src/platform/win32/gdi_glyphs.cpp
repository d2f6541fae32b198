#include "platform/win32/gdi_glyphs.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/win32/unique_handle.h"

namespace tideglass::win32 {
namespace {

// The code page ExtTextOutA reads the bytes in: the one of the selected font's character set.
UINT fontCodePage(HDC dc) {
    const int charset = ::GetTextCharset(dc);
    if (charset == OEM_CHARSET)
        return ::GetOEMCP();
    CHARSETINFO info;
    if (charset >= 0 &&
        ::TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(charset)), &info,
                               TCI_SRCCHARSET)) {
        return info.ciACP;
    }
    return ::GetACP();
}

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

struct Ink {
    int32_t left, right, top, bottom;  // relative to the output point; left == right: none
};

// Draws single glyphs, white on black, on a scratch bitmap with room around them, and finds the
// pixels they touch.
class InkMeter {
public:
    InkMeter(HFONT font, const TEXTMETRICA& metrics)
        : marginX_(std::max<int32_t>(metrics.tmMaxCharWidth + metrics.tmOverhang, 1)),
          marginY_(std::max<int32_t>(metrics.tmHeight, 1)),
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

    // Leaves `ink` as it is when the glyph cannot be drawn.
    void measure(char byte, Ink& ink) {
        if (!bits_)
            return;
        std::fill(bits_, bits_ + size_t(width_) * size_t(height_), 0u);
        ::GdiFlush();
        if (!::TextOutA(dc_.get(), marginX_, marginY_, &byte, 1))
            return;
        ::GdiFlush();
        Ink found{width_, -1, height_, -1};
        for (int32_t y = 0; y < height_; ++y) {
            for (int32_t x = 0; x < width_; ++x) {
                if (bits_[size_t(y) * size_t(width_) + size_t(x)] & 0xFFFFFF) {
                    found.left = std::min(found.left, x);
                    found.right = std::max(found.right, x + 1);
                    found.top = std::min(found.top, y);
                    found.bottom = std::max(found.bottom, y + 1);
                }
            }
        }
        if (found.right < 0) {
            ink = Ink{0, 0, 0, 0};
            return;
        }
        // Ink at the scratch bitmap's edge may go on beyond it: take the whole scratch area,
        // which reaches into the neighbouring cells, so the glyph is never trusted to stay home.
        if (found.left == 0 || found.top == 0 || found.right == width_ || found.bottom == height_)
            found = Ink{0, width_, 0, height_};
        ink = Ink{found.left - marginX_, found.right - marginX_, found.top - marginY_,
                  found.bottom - marginY_};
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

// Under Wine the steps run up, as a font's own coordinates do; the documentation leaves the way
// open, so it is found once by drawing a glyph one step below a blank and looking where it
// landed.
bool verticalStepsRunDown() {
    static const bool down = [] {
        constexpr int32_t kSize = 64;
        constexpr int32_t kOrigin = 24;
        constexpr int32_t kStep = 24;
        UniqueDc dc(::CreateCompatibleDC(nullptr));
        if (!dc)
            return false;
        void* bits = nullptr;
        UniqueGdiObject bitmap(topDownBitmap(dc.get(), kSize, kSize, &bits));
        if (!bitmap || !bits)
            return false;
        HGDIOBJ previousBitmap = ::SelectObject(dc.get(), bitmap.get());
        HGDIOBJ previousFont = ::SelectObject(dc.get(), ::GetStockObject(SYSTEM_FONT));
        ::SetBkMode(dc.get(), TRANSPARENT);
        ::SetTextColor(dc.get(), RGB(255, 255, 255));
        ::SetTextAlign(dc.get(), TA_LEFT | TA_TOP | TA_NOUPDATECP);
        std::fill_n(static_cast<uint32_t*>(bits), kSize * kSize, 0u);
        const INT steps[] = {0, kStep, 0, 0};
        ::ExtTextOutA(dc.get(), 0, kOrigin, ETO_PDY, nullptr, " X", 2, steps);
        ::GdiFlush();
        // Stepped down, the glyph starts below the origin plus the step; up, above the origin.
        bool inkBelow = false;
        for (int32_t i = (kOrigin + kStep) * kSize; i < kSize * kSize && !inkBelow; ++i)
            inkBelow = (static_cast<const uint32_t*>(bits)[i] & 0xFFFFFF) != 0;
        ::SelectObject(dc.get(), previousFont);
        ::SelectObject(dc.get(), previousBitmap);
        return inkBelow;
    }();
    return down;
}

void measureGlyphBoxes(HDC dc, GlyphBoxes& out) {
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    const UINT codePage = fontCodePage(dc);
    CPINFO info{};
    const bool multiByte = ::GetCPInfo(codePage, &info) && info.MaxCharSize > 1;
    InkMeter meter(static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT)), metrics);
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    for (int b = 0; b < 256; ++b) {
        GlyphBox& box = out[size_t(b)];
        const char byte = static_cast<char>(b);
        SIZE size{0, 0};
        ::GetTextExtentPoint32A(dc, &byte, 1, &size);
        box.advance = size.cx;
        // Raster fonts have no outline; their ink stays in the cell but for an overhang.
        Ink ink{0, size.cx + metrics.tmOverhang, 0, metrics.tmHeight};
        GLYPHMETRICS glyph;
        const bool outline = ::GetGlyphOutlineA(dc, UINT(b), GGO_METRICS, &glyph, 0, nullptr,
                                                &identity) != GDI_ERROR;
        if (outline) {
            ink.left = glyph.gmptGlyphOrigin.x;
            ink.right = ink.left + int32_t(glyph.gmBlackBoxX);
            ink.top = metrics.tmAscent - glyph.gmptGlyphOrigin.y;
            ink.bottom = ink.top + int32_t(glyph.gmBlackBoxY);
        }
        // Outline boxes are no ink bounds: some fonts ink a pixel outside them, and most claim
        // pixels the glyph never touches. The glyph is drawn to see; the box stays only where
        // drawing fails.
        meter.measure(byte, ink);
        box.inkLeft = ink.left;
        box.inkRight = ink.right;
        box.top = std::min<int32_t>(0, ink.top);
        box.bottom = std::max<int32_t>(metrics.tmHeight, ink.bottom);
        box.alone = multiByte && ::IsDBCSLeadByteEx(codePage, BYTE(b));
    }
}

}  // namespace tideglass::win32
