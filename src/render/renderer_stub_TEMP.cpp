// TEMPORARY stand-in for the console renderer so this branch links on its own; it is removed
// when the real renderer is merged. It sizes the canvas like the real one would with an 8 x 12
// font, reads the console's characters and cursor to report changes, and draws only the clear.
#include <algorithm>
#include <vector>

#include "console/screen_buffer.h"
#include "render/renderer.h"

namespace tideglass {

struct Renderer::State {
    RendererConfig config;
    ScreenBuffer* screen = nullptr;
    std::vector<char> current;
    std::vector<char> incoming;
    int32_t cursorRow = 0;
    int32_t cursorColumn = 0;
    bool blank = true;
};

Renderer::Renderer(const RendererConfig& config, Graphics& graphics, ScreenBuffer& screen)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.config = config;
    s.config.columns = std::max(config.columns, 1);
    s.config.rows = std::max(config.rows, 1);
    s.screen = &screen;
    screen.setOutputCodePage(screen.oemCodePage());
    const size_t cells = static_cast<size_t>(s.config.columns) * s.config.rows;
    s.current.assign(cells, ' ');
    s.incoming.assign(cells, ' ');
    canvas_ = graphics.createCanvas(config.leftMargin + config.rightMargin + s.config.columns * 8,
                                    config.topMargin + config.bottomMargin + s.config.rows * 12);
}

Renderer::~Renderer() = default;

bool Renderer::snapshot(NativeHandle output) {
    State& s = *state_;
    ScreenInfo info;
    s.screen->info(output, info);
    const uint32_t read =
        s.screen->readCharacters(output, info.windowLeft, info.windowTop, s.incoming.data(),
                                 static_cast<uint32_t>(s.incoming.size()));
    const int32_t row = info.cursorY - info.windowTop;
    const int32_t column = info.cursorX - info.windowLeft;
    bool changed = row != s.cursorRow || column != s.cursorColumn;
    s.cursorRow = row;
    s.cursorColumn = column;
    if (!changed)
        changed = !std::equal(s.incoming.begin(), s.incoming.begin() + read, s.current.begin());
    if (!changed)
        return false;
    s.current.swap(s.incoming);
    s.blank = false;
    return true;
}

void Renderer::draw(bool) {
    const uint32_t bg = state_->config.backgroundColor;
    canvas_->clear((bg & 0xFF000000u) | ((bg & 0xFFu) << 16) | (bg & 0xFF00u) |
                   ((bg >> 16) & 0xFFu));
}

}  // namespace tideglass
