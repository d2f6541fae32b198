#include "pages/preview.h"

#include <algorithm>
#include <string>

#include "render/renderer.h"

namespace tideglass {

namespace {

constexpr int16_t kCursorColumn = 4;
constexpr int16_t kCursorRow = 3;

}  // namespace

SampleScreen::SampleScreen()
    : characters_(std::size_t(kColumns) * kRows, u' '),
      attributes_(std::size_t(kColumns) * kRows, 0x07) {
    auto put = [&](int row, const std::u16string& text, uint16_t attribute) {
        for (std::size_t i = 0; i < text.size() && i < std::size_t(kColumns); ++i) {
            characters_[std::size_t(row) * kColumns + i] = text[i];
            attributes_[std::size_t(row) * kColumns + i] = attribute;
        }
    };
    put(0, u"C:\\>dir /w", 0x07);
    // The sixteen colours as text on black, then as backgrounds under black text.
    for (uint16_t color = 0; color < 16; ++color) {
        const char16_t digit = char16_t(color < 10 ? u'0' + color : u'A' + color - 10);
        characters_[kColumns + color] = digit;
        attributes_[kColumns + color] = color;
        characters_[kColumns + 17 + color] = digit;
        attributes_[kColumns + 17 + color] = uint16_t(color << 4);
    }
    put(2,
        u"\u250C\u2500\u2500\u252C\u2500\u2500\u2510 \u2554\u2550\u2550\u2557 \u2502 "
        u"\u2591\u2592\u2593\u2588",
        0x0F);
    put(3, u"C:\\>", 0x07);
}

bool SampleScreen::info(NativeHandle, ScreenInfo& out) {
    out = ScreenInfo{};
    out.windowRight = kColumns - 1;
    out.windowBottom = kRows - 1;
    out.cursorX = kCursorColumn;
    out.cursorY = kCursorRow;
    out.bufferColumns = kColumns;
    out.bufferRows = kRows;
    return true;
}

int32_t SampleScreen::readWindow(NativeHandle, const ScreenInfo&, int32_t columns, int32_t rows,
                                 char16_t* characters, uint16_t* attributes) {
    for (int32_t row = 0; row < rows; ++row) {
        for (int32_t column = 0; column < columns; ++column) {
            const bool inside = row < kRows && column < kColumns;
            const std::size_t at = std::size_t(row) * std::size_t(columns) + std::size_t(column);
            const std::size_t from = std::size_t(row) * kColumns + std::size_t(column);
            characters[at] = inside ? characters_[from] : kBlankCharacter;
            if (attributes != nullptr)
                attributes[at] = inside ? attributes_[from] : kBlankAttribute;
        }
    }
    return rows;
}

RendererConfig previewConfig(RendererConfig config) {
    config.columns = SampleScreen::kColumns;
    config.rows = SampleScreen::kRows;
    // The margins are the widget's, kept small enough for the picture.
    for (int32_t* margin :
         {&config.leftMargin, &config.rightMargin, &config.topMargin, &config.bottomMargin})
        *margin = std::clamp(*margin, 0, 16);
    return config;
}

void drawPreview(const RendererConfig& config, PreviewSurface& surface) {
    SampleScreen sample;
    Renderer renderer(config, surface.graphics(), sample);
    renderer.snapshot(nullptr);
    renderer.draw(true);
    surface.present(renderer.canvas());
}

}  // namespace tideglass
