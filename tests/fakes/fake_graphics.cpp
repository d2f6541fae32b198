#include "fakes/fake_graphics.h"

#include <algorithm>
#include <cstring>

namespace tideglass::fakes {
namespace {

class FakeFont : public Font {
public:
    FakeFont(std::shared_ptr<FakeGraphicsState> state, std::string name)
        : state_(std::move(state)), name_(std::move(name)) {}
    ~FakeFont() override { state_->log.push_back("release font " + name_); }
    const std::string& name() const { return name_; }
    void measureGlyphs(const char16_t* characters, int32_t count, GlyphInk* out) override {
        const int32_t width = state_->defaultExtent.width;
        for (int32_t i = 0; i < count; ++i) {
            state_->measuredGlyphs.push_back(characters[i]);
            auto it = state_->glyphs.find(characters[i]);
            out[i] = it != state_->glyphs.end() ? it->second : GlyphInk{width, 0, width};
        }
    }

private:
    std::shared_ptr<FakeGraphicsState> state_;
    std::string name_;
};

class FakeTextContext : public TextContext {
public:
    FakeTextContext(std::shared_ptr<FakeGraphicsState> state,
                    std::shared_ptr<FakeCanvasRecord> canvas)
        : state_(std::move(state)), canvas_(std::move(canvas)) {}
    ~FakeTextContext() override { state_->log.push_back("release text context"); }

    void selectFont(const Font& font) override {
        font_ = static_cast<const FakeFont&>(font).name();
    }
    TextExtent measure(const std::u16string& text) override {
        canvas_->measured.push_back(text);
        const auto byFont = state_->extentPerFont.find(font_);
        if (byFont != state_->extentPerFont.end())
            return {byFont->second.width * int32_t(text.size()), byFont->second.height};
        TextExtent total{0, 0};
        for (char16_t ch : text) {
            auto it = state_->extentPerChar.find(ch);
            const TextExtent e =
                it == state_->extentPerChar.end() ? state_->defaultExtent : it->second;
            total.width += e.width;
            total.height = std::max(total.height, e.height);
        }
        return total;
    }
    void setTextAlign(uint32_t align) override { align_ = align; }
    void setBackgroundMode(BackgroundMode mode) override { mode_ = mode; }
    void setTextColor(uint32_t colorref) override { text_ = colorref; }
    void setBackgroundColor(uint32_t colorref) override { background_ = colorref; }
    void textOut(int32_t x, int32_t y, const char16_t* text, int32_t count, const int32_t* advances,
                 const PixelBox& clip) override {
        canvas_->texts.push_back(
            {x, y, std::u16string(text, size_t(count)), text_, background_, mode_, align_, font_,
             advances ? std::vector<int32_t>(advances, advances + count) : std::vector<int32_t>(),
             clip});
    }

private:
    std::shared_ptr<FakeGraphicsState> state_;
    std::shared_ptr<FakeCanvasRecord> canvas_;
    std::string font_;
    // A fresh device context: opaque mode, black on white, as GDI starts one.
    uint32_t text_ = 0x000000;
    uint32_t background_ = 0xFFFFFF;
    BackgroundMode mode_ = BackgroundMode::Opaque;
    uint32_t align_ = 0;
};

class FakeCanvas : public Canvas {
public:
    FakeCanvas(std::shared_ptr<FakeGraphicsState> state, std::shared_ptr<FakeCanvasRecord> record)
        : state_(std::move(state)), record_(std::move(record)) {}
    ~FakeCanvas() override {
        record_->released = true;
        state_->log.push_back("release canvas " + std::to_string(record_->width) + "x" +
                              std::to_string(record_->height));
    }

    uint32_t width() override { return record_->failed ? 0 : uint32_t(record_->width); }
    uint32_t height() override { return record_->failed ? 0 : uint32_t(record_->height); }
    void clear(uint32_t argb) override {
        if (!record_->failed)
            record_->clears.push_back(argb);
    }
    void clearRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t argb) override {
        if (!record_->failed)
            record_->rectClears.push_back({x, y, width, height, argb});
    }
    std::unique_ptr<TextContext> openText() override {
        if (record_->failed || state_->failTextContext)
            return nullptr;
        ++record_->textContextsOpened;
        return std::make_unique<FakeTextContext>(state_, record_);
    }
    std::unique_ptr<TextContext> openTextArea(int32_t left, int32_t top, int32_t width,
                                              int32_t height) override {
        if (!record_->failed && !state_->failTextContext)
            record_->areas.push_back({left, top, width, height, 0});
        return openText();
    }
    void* hostImage() override { return record_->failed ? nullptr : record_.get(); }

private:
    std::shared_ptr<FakeGraphicsState> state_;
    std::shared_ptr<FakeCanvasRecord> record_;
};

}  // namespace

std::unique_ptr<Canvas> FakeGraphics::createCanvas(int32_t width, int32_t height) {
    auto record = std::make_shared<FakeCanvasRecord>();
    record->width = width;
    record->height = height;
    const int index = int(state_->canvases.size());
    record->failed = state_->failCanvas ||
                     (state_->failCanvasFromIndex >= 0 && index >= state_->failCanvasFromIndex);
    state_->canvases.push_back(record);
    state_->log.push_back("canvas " + std::to_string(width) + "x" + std::to_string(height));
    return std::make_unique<FakeCanvas>(state_, record);
}

std::unique_ptr<Font> FakeGraphics::createFont(const FontBlock& block) {
    state_->fontsCreated.push_back(block);
    if (state_->failFont)
        return nullptr;
    std::string name(block.faceName, strnlen(block.faceName, sizeof block.faceName));
    state_->log.push_back("font " + name);
    return std::make_unique<FakeFont>(state_, name);
}

std::unique_ptr<Font> FakeGraphics::stockOemFixedFont() {
    ++state_->stockFontsTaken;
    state_->log.push_back("stock font");
    return std::make_unique<FakeFont>(state_, "stock");
}

}  // namespace tideglass::fakes
