// Shared fixture of the renderer tests: a recording graphics fake, a scripted 80-column
// screen buffer of 250 rows and a configuration with the settings' defaults.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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
        overlay().boxes.clear();
        renderer->draw(focused);
        return overlay().texts;
    }
    // In per-cell mode, the same with each character of a run given its own entry at the x it
    // was placed at (by the steps or advances given, or else by its own), as if every cell had
    // been drawn by itself, and opaque where a box lies under it; in reading order.
    std::vector<fakes::FakeTextOut> drawnCells(bool focused) {
        std::vector<fakes::FakeTextOut> cells;
        const bool rowRun = config.ignoreFgColors && config.ignoreBgColors && config.ignoreStyle;
        for (const fakes::FakeTextOut& text : drawn(focused)) {
            if (rowRun || text.bytes.size() < 2) {
                cells.push_back(text);
                continue;
            }
            fakes::FakeTextOut cell = text;
            cell.advances.clear();
            cell.steps.clear();
            for (size_t i = 0; i < text.bytes.size(); ++i) {
                cell.bytes = text.bytes.substr(i, 1);
                cells.push_back(cell);
                const auto own =
                    graphics->glyphBoxes.find(static_cast<unsigned char>(text.bytes[i]));
                if (!text.steps.empty()) {
                    cell.x += text.steps[2 * i];
                    cell.y += text.steps[2 * i + 1];
                    continue;
                }
                cell.x += !text.advances.empty()              ? text.advances[i]
                          : own != graphics->glyphBoxes.end() ? own->second.advance
                                                              : graphics->defaultExtent.width;
            }
        }
        // A cell whose background went out as a box shows as opaque output in that colour.
        for (fakes::FakeTextOut& cell : cells) {
            for (const fakes::FakeRectClear& box : overlay().boxes) {
                if (box.y == cell.y && box.x <= cell.x && cell.x < box.x + box.width) {
                    cell.mode = BackgroundMode::Opaque;
                    cell.backgroundColor = box.argb;
                }
            }
        }
        // Gathered output comes by colour; the cells are in reading order.
        std::stable_sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
            return a.y != b.y ? a.y < b.y : a.x < b.x;
        });
        return cells;
    }
    fakes::FakeGraphics graphics;
    ScriptedScreen screen;
    RendererConfig config;
    std::unique_ptr<Renderer> renderer;
    NativeHandle output = reinterpret_cast<NativeHandle>(0x1234);
};

}  // namespace tideglass::testing
