// The real drawing back end with a probe between it and the renderer: it counts text calls and
// band clears, and can report text wider than the font measures so that cells come out of
// fractional width.
#pragma once

#include <cstdint>
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
    void textOut(int32_t x, int32_t y, const char* bytes, int32_t count) override {
        ++probe_.textCalls;
        inner_->textOut(x, y, bytes, count);
    }
    void textOutAdvances(int32_t x, int32_t y, const char* bytes, int32_t count,
                         const int32_t* advances) override {
        ++probe_.textCalls;
        inner_->textOutAdvances(x, y, bytes, count, advances);
    }
    void textOutSteps(int32_t x, int32_t y, const char* bytes, int32_t count,
                      const int32_t* steps) override {
        ++probe_.textCalls;
        inner_->textOutSteps(x, y, bytes, count, steps);
    }
    void fillBoxes(const BoxSpan* boxes, int32_t count) override {
        ++probe_.textCalls;
        inner_->fillBoxes(boxes, count);
    }
    void glyphBoxes(GlyphBoxes& out) override { inner_->glyphBoxes(out); }

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

class ProbeGraphics : public Graphics {
public:
    std::unique_ptr<Canvas> createCanvas(int32_t width, int32_t height) override {
        return std::make_unique<ProbeCanvas>(real.createCanvas(width, height), probe);
    }
    std::unique_ptr<Font> createFont(const FontBlock& block) override {
        return real.createFont(block);
    }
    std::unique_ptr<Font> stockOemFixedFont() override { return real.stockOemFixedFont(); }

    win32::GdiGraphics real;
    Probe probe;
};

}  // namespace tideglass::e2e::probe
