// The console renderer: owns the overlay canvas, the font and the four cell grids; takes
// snapshots of the console window and repaints the whole canvas from the current grids.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ports/handles.h"
#include "render/graphics.h"
#include "render/renderer_config.h"
#include "render/view_origin.h"

namespace tideglass {

class ScreenBuffer;

class Renderer {
public:
    // Builds the complete renderer, blank. Throws std::bad_alloc (or another std::exception)
    // when it cannot be built; nothing built so far is leaked.
    Renderer(const RendererConfig& config, Graphics& graphics, ScreenBuffer& screen);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Reads the console's visible window and cursor; true when the reading became current.
    bool snapshot(NativeHandle output);
    // Repaints the whole canvas; the cursor only while `focused`.
    void draw(bool focused);
    // A line drawn over the grid's last row until it is set empty again, in the cursor's
    // colours; true when it differs from the one shown.
    bool setNotice(const std::u16string& text);
    // One flag per grid row, nonzero while the row waits to be repainted.
    const std::vector<uint8_t>& changedRows() const;

    Canvas& canvas() { return *canvas_; }
    // The buffer cells the grid shows, as the last snapshot chose them.
    CellRect visibleCells() const;

private:
    // Draws the notice, if any, over the grid's last row, a character to a cell.
    void drawNotice();

    // Implementation defined in renderer.cpp / snapshot.cpp.
    struct State;
    std::unique_ptr<State> state_;
    std::unique_ptr<Canvas> canvas_;
};

}  // namespace tideglass
