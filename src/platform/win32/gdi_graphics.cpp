#include "platform/win32/gdi_graphics.h"

#include <windows.h>
#include <objidl.h>  // IStream and friends, which <gdiplus.h> needs under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

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
static_assert(sizeof(INT) == sizeof(int32_t), "the advances go to ExtTextOutA as they are");

namespace {

class GdiFont : public Font {
public:
    virtual HFONT handle() const = 0;
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

class GdiTextContext : public TextContext {
public:
    GdiTextContext(Gdiplus::Graphics& graphics, HDC dc) : dc_(graphics, dc), font_(dc) {}

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
    void textOut(int32_t x, int32_t y, const char* bytes, int32_t count) override {
        ::TextOutA(dc_.get(), x, y, bytes, count);
    }
    void textOutAdvances(int32_t x, int32_t y, const char* bytes, int32_t count,
                         const int32_t* advances) override {
        ::ExtTextOutA(dc_.get(), x, y, 0, nullptr, bytes, UINT(count),
                      reinterpret_cast<const INT*>(advances));
    }
    void glyphBoxes(GlyphBoxes& out) override {
        TEXTMETRICA metrics{};
        ::GetTextMetricsA(dc_.get(), &metrics);
        const UINT codePage = fontCodePage(dc_.get());
        CPINFO info{};
        const bool multiByte = ::GetCPInfo(codePage, &info) && info.MaxCharSize > 1;
        const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
        for (int b = 0; b < 256; ++b) {
            GlyphBox& box = out[size_t(b)];
            const char byte = static_cast<char>(b);
            SIZE size{0, 0};
            ::GetTextExtentPoint32A(dc_.get(), &byte, 1, &size);
            box.advance = size.cx;
            // The opaque box spans the font's height; a synthesised overhang may ink past it.
            box.inkRight = size.cx + metrics.tmOverhang;
            box.top = 0;
            box.bottom = metrics.tmHeight;
            GLYPHMETRICS glyph;
            // Outline fonts tell where the ink lies; raster fonts keep it inside the cell.
            if (::GetGlyphOutlineA(dc_.get(), UINT(b), GGO_METRICS, &glyph, 0, nullptr,
                                   &identity) != GDI_ERROR) {
                const int32_t inkTop = metrics.tmAscent - glyph.gmptGlyphOrigin.y;
                box.inkRight = glyph.gmptGlyphOrigin.x + int32_t(glyph.gmBlackBoxX);
                box.top = std::min<int32_t>(0, inkTop);
                box.bottom =
                    std::max<int32_t>(metrics.tmHeight, inkTop + int32_t(glyph.gmBlackBoxY));
            }
            box.alone = multiByte && ::IsDBCSLeadByteEx(codePage, BYTE(b));
        }
    }

private:
    // Declared first, released last: the selection goes back before the DC is returned.
    LentDc dc_;
    RestoredSelection font_;
};

class GdiCanvas : public Canvas {
public:
    GdiCanvas(int32_t width, int32_t height) {
        // The public constructor is GdipCreateBitmapFromScan0 with stride 0 and no pixel data.
        bitmap_.reset(new Gdiplus::Bitmap(width, height, PixelFormat32bppARGB));
        if (bitmap_->GetLastStatus() != Gdiplus::Ok) {
            bitmap_.reset();
            return;
        }
        graphics_.reset(Gdiplus::Graphics::FromImage(bitmap_.get()));
        if (graphics_->GetLastStatus() != Gdiplus::Ok)
            graphics_.reset();
    }

    uint32_t width() override { return bitmap_ ? bitmap_->GetWidth() : 0; }
    uint32_t height() override { return bitmap_ ? bitmap_->GetHeight() : 0; }
    void clear(uint32_t argb) override {
        if (graphics_)
            graphics_->Clear(Gdiplus::Color(argb));
    }
    void clearRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb) override {
        if (!graphics_)
            return;
        // A clear inside a clip sets the pixels, alpha included, exactly as a whole clear does.
        graphics_->SetClip(Gdiplus::Rect(x, y, width, height));
        graphics_->Clear(Gdiplus::Color(argb));
        graphics_->ResetClip();
    }
    std::unique_ptr<TextContext> openText() override {
        if (!graphics_)
            return nullptr;
        HDC dc = graphics_->GetHDC();
        if (!dc)
            return nullptr;
        return std::make_unique<GdiTextContext>(*graphics_, dc);
    }
    void* hostImage() override { return static_cast<Gdiplus::Image*>(bitmap_.get()); }

private:
    // The graphics object is declared last so that it is deleted before its bitmap.
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
    std::unique_ptr<Gdiplus::Graphics> graphics_;
};

}  // namespace

std::unique_ptr<Canvas> GdiGraphics::createCanvas(int32_t width, int32_t height) {
    return std::make_unique<GdiCanvas>(width, height);
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

}  // namespace tideglass::win32
