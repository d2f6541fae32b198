#include "platform/win32/gdi_graphics.h"

#include <windows.h>
#include <objidl.h>  // IStream and friends, which <gdiplus.h> needs under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <utility>
#include <vector>

#include "platform/win32/gdi_glyphs.h"
#include "platform/win32/unique_handle.h"

namespace tideglass::win32 {

// The settings keep the font as the raw LOGFONTA bytes; they go to CreateFontIndirectA as they
// are, so the two layouts must agree byte for byte.
static_assert(sizeof(LOGFONTA) == sizeof(FontBlock), "LOGFONTA and FontBlock differ in size");
static_assert(offsetof(LOGFONTA, lfHeight) == offsetof(FontBlock, height), "lfHeight");
static_assert(offsetof(LOGFONTA, lfWidth) == offsetof(FontBlock, width), "lfWidth");
static_assert(offsetof(LOGFONTA, lfEscapement) == offsetof(FontBlock, escapement), "lfEscapement");
static_assert(offsetof(LOGFONTA, lfOrientation) == offsetof(FontBlock, orientation),
              "lfOrientation");
static_assert(offsetof(LOGFONTA, lfWeight) == offsetof(FontBlock, weight), "lfWeight");
static_assert(offsetof(LOGFONTA, lfItalic) == offsetof(FontBlock, italic), "lfItalic");
static_assert(offsetof(LOGFONTA, lfUnderline) == offsetof(FontBlock, underline), "lfUnderline");
static_assert(offsetof(LOGFONTA, lfStrikeOut) == offsetof(FontBlock, strikeOut), "lfStrikeOut");
static_assert(offsetof(LOGFONTA, lfCharSet) == offsetof(FontBlock, charSet), "lfCharSet");
static_assert(offsetof(LOGFONTA, lfOutPrecision) == offsetof(FontBlock, outPrecision),
              "lfOutPrecision");
static_assert(offsetof(LOGFONTA, lfClipPrecision) == offsetof(FontBlock, clipPrecision),
              "lfClipPrecision");
static_assert(offsetof(LOGFONTA, lfQuality) == offsetof(FontBlock, quality), "lfQuality");
static_assert(offsetof(LOGFONTA, lfPitchAndFamily) == offsetof(FontBlock, pitchAndFamily),
              "lfPitchAndFamily");
static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(FontBlock, faceName), "lfFaceName");
static_assert(sizeof(LOGFONTA::lfFaceName) == sizeof(FontBlock::faceName), "face name size");
static_assert(sizeof(INT) == sizeof(int32_t), "the advances go to ExtTextOutW as they are");
static_assert(sizeof(WCHAR) == sizeof(char16_t), "the characters go to ExtTextOutW as they are");

namespace {

class GdiFont : public Font {
public:
    virtual HFONT handle() const = 0;
    void measureGlyphs(const char16_t* characters, int32_t count, GlyphInk* out) override {
        win32::measureGlyphs(handle(), characters, count, out);
    }
};

class CreatedFont : public GdiFont {
public:
    explicit CreatedFont(HFONT font) : font_(font) {}
    HFONT handle() const override { return static_cast<HFONT>(font_.get()); }

private:
    UniqueGdiObject font_;
};

// Stock objects belong to the system; deleting one is at best a no-op.
class StockFont : public GdiFont {
public:
    explicit StockFont(HFONT font) : font_(font) {}
    HFONT handle() const override { return font_; }

private:
    HFONT font_;
};

// A device context GDI+ lends on a graphics object; it must go back before the graphics
// object is used or deleted again.
class LentDc {
public:
    LentDc(Gdiplus::Graphics& graphics, HDC dc) : graphics_(graphics), dc_(dc) {}
    ~LentDc() { graphics_.ReleaseHDC(dc_); }
    LentDc(const LentDc&) = delete;
    LentDc& operator=(const LentDc&) = delete;
    HDC get() const { return dc_; }

private:
    Gdiplus::Graphics& graphics_;
    HDC dc_;
};

// The object a device context had selected before the first SelectObject, put back when the
// context is handed back, so the font is never left selected in a context that outlives it.
class RestoredSelection {
public:
    explicit RestoredSelection(HDC dc) : dc_(dc) {}
    ~RestoredSelection() {
        if (previous_)
            ::SelectObject(dc_, previous_);
    }
    RestoredSelection(const RestoredSelection&) = delete;
    RestoredSelection& operator=(const RestoredSelection&) = delete;

    void select(HGDIOBJ object) {
        HGDIOBJ old = ::SelectObject(dc_, object);
        if (!previous_ && old && old != HGDI_ERROR)
            previous_ = old;
    }

private:
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

class AfterRelease {
public:
    explicit AfterRelease(std::function<void()> action) : action_(std::move(action)) {}
    ~AfterRelease() {
        if (action_)
            action_();
    }
    AfterRelease(const AfterRelease&) = delete;
    AfterRelease& operator=(const AfterRelease&) = delete;

private:
    std::function<void()> action_;
};

// Moves the device context's origin left by originX and up by originY pixels while it lives.
class ShiftedViewport {
public:
    ShiftedViewport(HDC dc, int32_t originX, int32_t originY)
        : dc_(dc), shifted_(originX != 0 || originY != 0) {
        if (shifted_)
            ::SetViewportOrgEx(dc_, -originX, -originY, &previous_);
    }
    ~ShiftedViewport() {
        if (shifted_)
            ::SetViewportOrgEx(dc_, previous_.x, previous_.y, nullptr);
    }
    ShiftedViewport(const ShiftedViewport&) = delete;
    ShiftedViewport& operator=(const ShiftedViewport&) = delete;

private:
    HDC dc_;
    bool shifted_;
    POINT previous_{0, 0};
};

// Copies a rectangle of pixels, as they are, between two 32bpp ARGB bitmaps.
bool copyPixels(Gdiplus::Bitmap& from, int32_t fromLeft, int32_t fromTop, Gdiplus::Bitmap& to,
                int32_t toLeft, int32_t toTop, int32_t width, int32_t height) {
    Gdiplus::Rect source(fromLeft, fromTop, width, height);
    Gdiplus::Rect target(toLeft, toTop, width, height);
    Gdiplus::BitmapData in;
    Gdiplus::BitmapData out;
    if (from.LockBits(&source, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &in) !=
        Gdiplus::Ok) {
        return false;
    }
    const bool locked = to.LockBits(&target, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB,
                                    &out) == Gdiplus::Ok;
    if (locked) {
        for (int32_t row = 0; row < height; ++row) {
            std::memcpy(static_cast<BYTE*>(out.Scan0) + row * out.Stride,
                        static_cast<const BYTE*>(in.Scan0) + row * in.Stride,
                        size_t(width) * sizeof(uint32_t));
        }
        to.UnlockBits(&out);
    }
    from.UnlockBits(&in);
    return locked;
}

class GdiTextContext : public TextContext {
public:
    // Output at (x, y) lands at (x - originX, y - originY) of the device context; afterRelease
    // runs once the context has gone back.
    GdiTextContext(Gdiplus::Graphics& graphics, HDC dc, int32_t originX = 0, int32_t originY = 0,
                   std::function<void()> afterRelease = {})
        : afterRelease_(std::move(afterRelease)),
          dc_(graphics, dc),
          viewport_(dc, originX, originY),
          font_(dc) {}

    void selectFont(const Font& font) override {
        if (const auto* gdiFont = dynamic_cast<const GdiFont*>(&font)) {
            font_.select(gdiFont->handle());
        }
    }
    TextExtent measure(const std::u16string& text) override {
        SIZE size{0, 0};
        const int count = text.size() > size_t(INT_MAX) ? INT_MAX : int(text.size());
        // wchar_t is 16 bits wide on Windows: the UTF-16 units pass through unchanged.
        if (!::GetTextExtentPoint32W(dc_.get(), reinterpret_cast<const wchar_t*>(text.data()),
                                     count, &size)) {
            return {};
        }
        return {size.cx, size.cy};
    }
    void setTextAlign(uint32_t align) override { ::SetTextAlign(dc_.get(), align); }
    void setBackgroundMode(BackgroundMode mode) override {
        ::SetBkMode(dc_.get(), mode == BackgroundMode::Opaque ? OPAQUE : TRANSPARENT);
    }
    void setTextColor(uint32_t colorref) override { ::SetTextColor(dc_.get(), colorref); }
    void setBackgroundColor(uint32_t colorref) override { ::SetBkColor(dc_.get(), colorref); }
    void textOut(int32_t x, int32_t y, const char16_t* text, int32_t count, const int32_t* advances,
                 const PixelBox& clip) override {
        const RECT box{clip.left, clip.top, clip.right, clip.bottom};
        // Each character belongs to its cell, as the console shows it: the system's layout of
        // right-to-left text (and its shaping) would move characters across cells.
        ::ExtTextOutW(dc_.get(), x, y, ETO_CLIPPED | ETO_IGNORELANGUAGE, &box,
                      reinterpret_cast<const WCHAR*>(text), UINT(count),
                      reinterpret_cast<const INT*>(advances));
    }

private:
    // In reverse order of release: the selection and the viewport go back before the DC, and
    // afterRelease runs last.
    AfterRelease afterRelease_;
    LentDc dc_;
    ShiftedViewport viewport_;
    RestoredSelection font_;
};

// GDI+'s own operator new (and Graphics::FromImage, which uses it) passes GdipAlloc's null on to
// the constructor when memory runs out. Objects are built here only in memory really given; a
// null result leaves the canvas without a bitmap, which the renderer reports.
template <typename T, typename... Args>
std::unique_ptr<T> makeGdiplus(GdiplusAllocator allocate, Args&&... args) {
    void* memory = allocate(sizeof(T));
    if (!memory)
        return nullptr;
    // Freed through T's own operator delete (GdipFree), which pairs with GdipAlloc.
    return std::unique_ptr<T>(::new (memory) T(std::forward<Args>(args)...));
}

class GdiCanvas : public Canvas {
public:
    GdiCanvas(int32_t width, int32_t height, GdiplusAllocator allocate) : allocate_(allocate) {
        // The public constructor is GdipCreateBitmapFromScan0 with stride 0 and no pixel data.
        bitmap_ = makeGdiplus<Gdiplus::Bitmap>(allocate_, width, height, PixelFormat32bppARGB);
        if (!bitmap_ || bitmap_->GetLastStatus() != Gdiplus::Ok) {
            bitmap_.reset();
            return;
        }
        graphics_ = makeGdiplus<Gdiplus::Graphics>(allocate_, bitmap_.get());
        if (!graphics_ || graphics_->GetLastStatus() != Gdiplus::Ok) {
            graphics_.reset();
            bitmap_.reset();
        }
    }

    uint32_t width() override { return bitmap_ ? bitmap_->GetWidth() : 0; }
    uint32_t height() override { return bitmap_ ? bitmap_->GetHeight() : 0; }
    void clear(uint32_t argb) override {
        if (graphics_)
            graphics_->Clear(Gdiplus::Color(argb));
    }
    void clearRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb) override {
        if (!bitmap_)
            return;
        // Wine's clear inside a clip costs about as much as a whole clear; the pixels written
        // directly cost a small part of that and come out as the clear sets them.
        const int32_t left = std::max(x, 0);
        const int32_t top = std::max(y, 0);
        const int32_t right = std::min<int64_t>(int64_t(x) + width, bitmap_->GetWidth());
        const int32_t bottom = std::min<int64_t>(int64_t(y) + height, bitmap_->GetHeight());
        if (right <= left || bottom <= top)
            return;
        Gdiplus::Rect area(left, top, right - left, bottom - top);
        Gdiplus::BitmapData data;
        if (bitmap_->LockBits(&area, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) !=
            Gdiplus::Ok) {
            return;
        }
        for (int32_t row = 0; row < area.Height; ++row) {
            auto* pixels =
                reinterpret_cast<uint32_t*>(static_cast<BYTE*>(data.Scan0) + row * data.Stride);
            std::fill_n(pixels, area.Width, argb);
        }
        bitmap_->UnlockBits(&data);
    }
    std::unique_ptr<TextContext> openText() override {
        if (!graphics_)
            return nullptr;
        HDC dc = graphics_->GetHDC();
        if (!dc)
            return nullptr;
        return std::make_unique<GdiTextContext>(*graphics_, dc);
    }
    // Under Wine a device context lent on a bitmap costs work on each of its pixels, going out
    // and coming back; the area's pixels go through a bitmap of their own instead.
    std::unique_ptr<TextContext> openTextArea(int32_t left, int32_t top, int32_t width,
                                              int32_t height) override {
        if (!graphics_)
            return nullptr;
        if (left < 0 || top < 0 || width <= 0 || height <= 0 ||
            int64_t(left) + width > int64_t(bitmap_->GetWidth()) ||
            int64_t(top) + height > int64_t(bitmap_->GetHeight())) {
            return openText();
        }
        if (!area_ || int32_t(area_->GetWidth()) != width ||
            int32_t(area_->GetHeight()) != height) {
            areaGraphics_.reset();
            area_ = makeGdiplus<Gdiplus::Bitmap>(allocate_, width, height, PixelFormat32bppARGB);
            if (area_ && area_->GetLastStatus() == Gdiplus::Ok)
                areaGraphics_ = makeGdiplus<Gdiplus::Graphics>(allocate_, area_.get());
            if (!areaGraphics_ || areaGraphics_->GetLastStatus() != Gdiplus::Ok) {
                areaGraphics_.reset();
                area_.reset();
                return openText();
            }
        }
        if (!copyPixels(*bitmap_, left, top, *area_, 0, 0, width, height))
            return openText();
        HDC dc = areaGraphics_->GetHDC();
        if (!dc)
            return nullptr;
        return std::make_unique<GdiTextContext>(
            *areaGraphics_, dc, left, top, [this, left, top, width, height] {
                copyPixels(*area_, 0, 0, *bitmap_, left, top, width, height);
            });
    }
    void* hostImage() override { return static_cast<Gdiplus::Image*>(bitmap_.get()); }

private:
    GdiplusAllocator allocate_;
    // Each graphics object is declared after its bitmap so that it is deleted before it.
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
    std::unique_ptr<Gdiplus::Graphics> graphics_;
    std::unique_ptr<Gdiplus::Bitmap> area_;
    std::unique_ptr<Gdiplus::Graphics> areaGraphics_;
};

}  // namespace

void* gdiplusAlloc(std::size_t bytes) {
    return Gdiplus::DllExports::GdipAlloc(bytes);
}

std::unique_ptr<Canvas> GdiGraphics::createCanvas(int32_t width, int32_t height) {
    return std::make_unique<GdiCanvas>(width, height, allocate_);
}

std::unique_ptr<Font> GdiGraphics::createFont(const FontBlock& block) {
    LOGFONTA logFont;
    std::memcpy(&logFont, &block, sizeof logFont);
    HFONT font = ::CreateFontIndirectA(&logFont);
    if (!font)
        return nullptr;
    return std::make_unique<CreatedFont>(font);
}

std::unique_ptr<Font> GdiGraphics::stockOemFixedFont() {
    HFONT font = static_cast<HFONT>(::GetStockObject(OEM_FIXED_FONT));
    if (!font)
        return nullptr;
    return std::make_unique<StockFont>(font);
}

int64_t GdiGraphics::virtualScreenArea() {
    return int64_t(::GetSystemMetrics(SM_CXVIRTUALSCREEN)) *
           int64_t(::GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

}  // namespace tideglass::win32
