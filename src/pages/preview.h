// The Font and Colors page's preview: a small console of fixed content (a prompt, a line in the
// sixteen console colours, box-drawing lines and the cursor) drawn by the widget's own renderer
// with the page's current settings, and the port that shows the drawn canvas on the page.
#pragma once

#include <cstdint>
#include <vector>

#include "console/screen_buffer.h"
#include "render/graphics.h"
#include "render/renderer_config.h"

namespace tideglass {

class PreviewSurface {
public:
    PreviewSurface() = default;
    PreviewSurface(const PreviewSurface&) = delete;
    PreviewSurface& operator=(const PreviewSurface&) = delete;
    virtual ~PreviewSurface() = default;

    // What the renderer draws with.
    virtual Graphics& graphics() = 0;
    // Shows the canvas just drawn.
    virtual void present(Canvas& canvas) = 0;
};

// The preview's console, read as the renderer reads a real one; it changes nothing anywhere.
class SampleScreen : public ScreenBuffer {
public:
    static constexpr int16_t kColumns = 34;
    static constexpr int16_t kRows = 4;

    SampleScreen();
    bool info(NativeHandle output, ScreenInfo& out) override;
    int32_t readWindow(NativeHandle output, const ScreenInfo& screen, int32_t columns, int32_t rows,
                       char16_t* characters, uint16_t* attributes) override;
    CellSize largestWindow(NativeHandle) override { return {kColumns, kRows}; }
    void setBufferSize(NativeHandle, int16_t, int16_t) override {}
    void setWindow(NativeHandle, int16_t, int16_t, int16_t, int16_t) override {}
    void setOutputCodePage(uint32_t) override {}
    uint32_t oemCodePage() override { return 437; }
    uint32_t ansiCodePage() override { return 1252; }

private:
    std::vector<char16_t> characters_;
    std::vector<uint16_t> attributes_;
};

// The configuration the preview draws with: the widget's, for the sample's size.
RendererConfig previewConfig(RendererConfig config);

// Draws the sample with `config` and shows it (focused, so the cursor is drawn).
void drawPreview(const RendererConfig& config, PreviewSurface& surface);

}  // namespace tideglass
