// The real drawing back end with a probe between it and the renderer: it counts text calls and
// band clears, and can report text wider than the font measures so that cells come out of
// fractional width.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "platform/win32/gdi_graphics.h"
#include "render/graphics.h"

namespace tideglass::e2e::probe {

struct Probe {
    int32_t extraWidth = 0;
    int textCalls = 0;
    int bandClears = 0;
};

class ProbeText : public TextContext {
public:
    ProbeText(std::unique_ptr<TextContext> inner, Probe& probe)
        : inner_(std::move(inner)), probe_(probe) {}
    void selectFont(const Font& font) override { inner_->selectFont(font); }
    TextExtent measure(const std::u16string& text) override {
        TextExtent extent = inner_->measure(text);
        extent.width += probe_.extraWidth;
        return extent;
    }
    void setTextAlign(uint32_t align) override { inner_->setTextAlign(align); }
    void setBackgroundMode(BackgroundMode mode) override { inner_->setBackgroundMode(mode); }
    void setTextColor(uint32_t colorref) override { inner_->setTextColor(colorref); }
    void setBackgroundColor(uint32_t colorref) override { inner_->setBackgroundColor(colorref); }
    void textOut(int32_t x, int32_t y, const char16_t* text, int32_t count, const int32_t* advances,
                 const PixelBox& clip) override {
        ++probe_.textCalls;
        inner_->textOut(x, y, text, count, advances, clip);
    }

private:
    std::unique_ptr<TextContext> inner_;
    Probe& probe_;
};

class ProbeCanvas : public Canvas {
public:
    ProbeCanvas(std::unique_ptr<Canvas> inner, Probe& probe)
        : inner_(std::move(inner)), probe_(probe) {}
    uint32_t width() override { return inner_->width(); }
    uint32_t height() override { return inner_->height(); }
    void clear(uint32_t argb) override { inner_->clear(argb); }
    void clearRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb) override {
        ++probe_.bandClears;
        inner_->clearRect(x, y, width, height, argb);
    }
    std::unique_ptr<TextContext> openText() override {
        std::unique_ptr<TextContext> text = inner_->openText();
        return text ? std::make_unique<ProbeText>(std::move(text), probe_) : nullptr;
    }
    std::unique_ptr<TextContext> openTextArea(int32_t left, int32_t top, int32_t width,
                                              int32_t height) override {
        std::unique_ptr<TextContext> text = inner_->openTextArea(left, top, width, height);
        return text ? std::make_unique<ProbeText>(std::move(text), probe_) : nullptr;
    }
    void* hostImage() override { return inner_->hostImage(); }

private:
    std::unique_ptr<Canvas> inner_;
    Probe& probe_;
};

// The stock OEM fixed font's own record with another face: what the stock font is where that
// face is the system's substitute for it (Wine picks Liberation Mono, or a DejaVu font when
// Liberation is not installed). Wine lists the system's fonts in the prefix's registry, which
// every process of the prefix reads, so a test cannot hide one from itself alone; it asks for
// the other substitute by name instead.
inline LOGFONTA stockFontAs(const char* face) {
    LOGFONTA font{};
    ::GetObjectA(::GetStockObject(OEM_FIXED_FONT), sizeof font, &font);
    std::strncpy(font.lfFaceName, face, sizeof font.lfFaceName - 1);
    return font;
}

// The face GDI gives for the font, as the system resolved it.
inline std::string faceOf(HFONT font) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    ::GetTextFaceA(dc, sizeof face, face);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return face;
}

class ProbeGraphics : public Graphics {
public:
    std::unique_ptr<Canvas> createCanvas(int32_t width, int32_t height) override {
        return std::make_unique<ProbeCanvas>(real.createCanvas(width, height), probe);
    }
    std::unique_ptr<Font> createFont(const FontBlock& block) override {
        return real.createFont(block);
    }
    // The stock font, or the stock font as stockFace when one is named.
    std::unique_ptr<Font> stockOemFixedFont() override {
        if (stockFace.empty())
            return real.stockOemFixedFont();
        const LOGFONTA font = stockFontAs(stockFace.c_str());
        FontBlock block;
        std::memcpy(static_cast<void*>(&block), &font, sizeof block);
        return real.createFont(block);
    }

    int64_t virtualScreenArea() override { return real.virtualScreenArea(); }

    win32::GdiGraphics real;
    Probe probe;
    std::string stockFace;
};

}  // namespace tideglass::e2e::probe
