#include "desklet_fixture.h"

#include <algorithm>
#include <cstring>

namespace tideglass::desklet_test {

namespace {

class TestFont : public Font {
public:
    void measureGlyphs(const char16_t*, int32_t count, GlyphInk* out) override {
        std::fill(out, out + count, GlyphInk{8, 0, 8});
    }
};

class TestTextContext : public TextContext {
public:
    void selectFont(const Font&) override {}
    TextExtent measure(const std::u16string& text) override {
        return TextExtent{static_cast<int32_t>(text.size()) * 8, 12};
    }
    void setTextAlign(uint32_t) override {}
    void setBackgroundMode(BackgroundMode) override {}
    void setTextColor(uint32_t) override {}
    void setBackgroundColor(uint32_t) override {}
    void textOut(int32_t, int32_t, const char16_t*, int32_t, const int32_t*,
                 const PixelBox&) override {}
};

class TestCanvas : public Canvas {
public:
    TestCanvas(TestGraphics& owner, int32_t width, int32_t height)
        : owner_(owner), width_(width), height_(height) {
        ++owner_.liveCanvases;
        if (owner_.log)
            owner_.log->push_back("createCanvas");
    }
    ~TestCanvas() override {
        --owner_.liveCanvases;
        if (owner_.log)
            owner_.log->push_back("destroyCanvas");
        if (owner_.host) {
            const auto* shown = owner_.host->last("setImageOverlay");
            if (shown && shown->pointer == hostImage())
                ++owner_.destroyedWhileShown;
        }
    }
    uint32_t width() override { return static_cast<uint32_t>(width_); }
    uint32_t height() override { return static_cast<uint32_t>(height_); }
    void clear(uint32_t) override {}
    void clearRect(int32_t, int32_t, int32_t, int32_t, uint32_t) override {}
    std::unique_ptr<TextContext> openText() override { return std::make_unique<TestTextContext>(); }
    std::unique_ptr<TextContext> openTextArea(int32_t, int32_t, int32_t, int32_t) override {
        return openText();
    }
    void* hostImage() override { return this; }

private:
    TestGraphics& owner_;
    int32_t width_;
    int32_t height_;
};

}  // namespace

std::unique_ptr<Canvas> TestGraphics::createCanvas(int32_t width, int32_t height) {
    if (canvasThrowsStandard)
        throw std::runtime_error("no memory for the canvas");
    if (canvasThrowsOther)
        throw 42;
    return std::make_unique<TestCanvas>(*this, width, height);
}

std::unique_ptr<Font> TestGraphics::createFont(const FontBlock&) {
    return std::make_unique<TestFont>();
}

std::unique_ptr<Font> TestGraphics::stockOemFixedFont() {
    return std::make_unique<TestFont>();
}

uint32_t NullProfile::readString(const std::string&, const std::string&,
                                 const std::string& fallback, char* buffer, uint32_t size,
                                 const std::string&) {
    if (size == 0)
        return 0;
    const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(fallback.size()), size - 1);
    std::memcpy(buffer, fallback.data(), n);
    buffer[n] = '\0';
    return n;
}

DeskletTest::DeskletTest() {
    console.log = &log;
    screen.log = &log;
    processes.log = &log;
    ui.log = &log;
    host.log = &log;
    graphics.log = &log;
    graphics.host = &host;
    locks.log = &log;
}

std::unique_ptr<Desklet> DeskletTest::create() {
    return std::make_unique<Desklet>(platform, instance, widget);
}

std::unique_ptr<Desklet> DeskletTest::createLoading(const std::string& file,
                                                    const std::string& section) {
    return std::make_unique<Desklet>(platform, instance, widget, file, section);
}

std::vector<std::string> DeskletTest::logOf(const std::set<std::string>& names) const {
    std::vector<std::string> result;
    std::copy_if(log.begin(), log.end(), std::back_inserter(result),
                 [&](const std::string& name) { return names.count(name) != 0; });
    return result;
}

int DeskletTest::boxesWithText(const std::string& text) const {
    return static_cast<int>(std::count_if(ui.boxes.begin(), ui.boxes.end(),
                                          [&](const auto& box) { return box.text == text; }));
}

}  // namespace tideglass::desklet_test
