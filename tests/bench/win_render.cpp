// The renderer's cost with the real console, GDI and GDI+ under Wine: a tick whose snapshot
// finds nothing, and full draws in row-run and per-cell mode, for an 80 x 25 console and for
// the largest console window the display allows.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/win32/gdi_graphics.h"
#include "render/renderer.h"
#include "e2e/support/render_support.h"
#include "platform/win32/win32_console.h"
#include "support/gdiplus_session.h"

using namespace tideglass;
using namespace tideglass::e2e;

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double microsPerCall(int iterations, F&& call) {
    const auto start = Clock::now();
    for (int i = 0; i < iterations; ++i)
        call(i);
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / iterations;
}

void fillConsole(HANDLE output, int16_t columns, int16_t rows) {
    clearConsole(output);
    for (int16_t r = 0; r < rows; ++r) {
        std::string line;
        for (int16_t c = 0; c < columns; ++c)
            line += char('!' + (r * 7 + c) % 90);
        writeAt(output, 0, r, line, WORD(0x07 + 0x10 * (r % 8)));
    }
    setCursor(output, 3, 2);
}

void measure(HANDLE output, int16_t columns, int16_t rows) {
    win32::Win32ScreenBuffer screen;
    win32::GdiGraphics graphics;
    fillConsole(output, columns, rows);
    for (bool rowRun : {true, false}) {
        RendererConfig config;
        config.columns = columns;
        config.rows = rows;
        config.textColor = 0xFFE0E0E0;
        config.backgroundColor = 0x80000000;
        config.leftMargin = config.rightMargin = config.topMargin = config.bottomMargin = 8;
        config.ignoreFgColors = config.ignoreBgColors = config.ignoreStyle = rowRun;
        config.blackIsTransparent = true;
        Renderer renderer(config, graphics, screen);
        if (!renderer.snapshot(output))
            std::printf("  the first snapshot found no change\n");

        int changes = 0;
        const double tick = microsPerCall(200, [&](int) { changes += renderer.snapshot(output); });
        const int draws = rowRun ? 50 : 10;
        const double draw = microsPerCall(draws, [&](int) { renderer.draw(true); });
        std::printf(
            "%3dx%-3d %-9s no-change tick %9.1f us (%d changes)   full draw %9.1f us"
            "   bitmap %ux%u\n",
            columns, rows, rowRun ? "row-run" : "per-cell", tick, changes, draw,
            renderer.canvas().width(), renderer.canvas().height());
    }
}

}  // namespace

int main() {
    host::GdiplusSession gdiplus;
    if (!gdiplus.ok()) {
        std::printf("GDI+ did not start\n");
        return 1;
    }
    HANDLE output = e2e::openTestConsole(80, 25);
    if (!output) {
        std::printf("no console\n");
        return 1;
    }
    const COORD largest = GetLargestConsoleWindowSize(output);
    std::printf("renderer with the real console and GDI (largest window %dx%d)\n", largest.X,
                largest.Y);
    measure(output, 80, 25);
    if (largest.X > 0 && largest.Y > 0) {
        CloseHandle(output);
        output = e2e::openTestConsole(largest.X, largest.Y);
        measure(output, largest.X, largest.Y);
    }
    CloseHandle(output);
    FreeConsole();
    std::fflush(stdout);
    return 0;
}
