// Shared fixture of the renderer tests: a recording graphics fake, a scripted 80-column
// screen buffer of 250 rows and a configuration with the settings' defaults.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fakes/fake_graphics.h"
#include "render/renderer.h"
#include "scripted_screen.h"

namespace tideglass::testing {

inline RendererConfig defaultConfig() {
    RendererConfig c;
    c.columns = 80;
    c.rows = 25;
    c.textColor = 0xFFE0E0E0;
    c.backgroundColor = 0x80000000;
    c.leftMargin = c.rightMargin = c.topMargin = c.bottomMargin = 8;
    c.ignoreFgColors = c.ignoreBgColors = c.ignoreStyle = true;
    c.invertColors = false;
    c.blackIsTransparent = true;
    return c;
}

class RendererTest : public ::testing::Test {
protected:
    RendererTest() : screen(80, 250), config(defaultConfig()) {}

    Renderer& build() {
        renderer = std::make_unique<Renderer>(config, graphics, screen);
        return *renderer;
    }
    fakes::FakeCanvasRecord& overlay() { return graphics.lastCanvas(); }
    // The text output of the last draw only.
    std::vector<fakes::FakeTextOut> drawn(bool focused) {
        overlay().texts.clear();
        renderer->draw(focused);
        return overlay().texts;
    }
    // In per-cell mode, the same with each character of a run given its own entry at the x it
    // was placed at (by the advances given, or else by its own), as if every cell had been drawn
    // by itself.
    std::vector<fakes::FakeTextOut> drawnCells(bool focused) {
        std::vector<fakes::FakeTextOut> cells;
        const bool rowRun = config.ignoreFgColors && config.ignoreBgColors && config.ignoreStyle;
        for (const fakes::FakeTextOut& text : drawn(focused)) {
            if (rowRun || text.text.size() < 2) {
                cells.push_back(text);
                continue;
            }
            fakes::FakeTextOut cell = text;
            for (size_t i = 0; i < text.text.size(); ++i) {
                const auto own = graphics->glyphs.find(text.text[i]);
                const int32_t advance = !text.advances.empty() ? text.advances[i]
                                        : own != graphics->glyphs.end()
                                            ? own->second.advance
                                            : graphics->defaultExtent.width;
                cell.text = text.text.substr(i, 1);
                cell.advances = {advance};
                cells.push_back(cell);
                cell.x += advance;
            }
        }
        return cells;
    }
    fakes::FakeGraphics graphics;
    ScriptedScreen screen;
    RendererConfig config;
    std::unique_ptr<Renderer> renderer;
    NativeHandle output = reinterpret_cast<NativeHandle>(0x1234);
};

}  // namespace tideglass::testing
