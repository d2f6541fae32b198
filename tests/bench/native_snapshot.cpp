// Cost of the snapshot's comparison alone, with the console and drawing faked: a tick that
// finds nothing, and ticks whose only difference is in the first or the last cell.
#include <chrono>
#include <cstdio>
#include <memory>

#include "fakes/fake_graphics.h"
#include "render/renderer.h"
#include "unit/render/scripted_screen.h"

using namespace tideglass;

namespace {

enum class Tick { NoChange, FirstCell, LastCell };

double nanosPerTick(int16_t columns, int16_t rows, bool rowRun, Tick tick, int iterations) {
    fakes::FakeGraphics graphics;
    testing::ScriptedScreen screen(columns, int16_t(rows * 10));
    for (int16_t r = 0; r < rows; ++r)
        screen.write(0, r, std::u16string(size_t(columns), u'x'));
    RendererConfig config;
    config.columns = columns;
    config.rows = rows;
    config.ignoreFgColors = config.ignoreBgColors = config.ignoreStyle = rowRun;
    Renderer renderer(config, graphics, screen);
    NativeHandle output = nullptr;
    renderer.snapshot(output);  // take the filled window as current

    const int16_t x = tick == Tick::LastCell ? int16_t(columns - 1) : 0;
    const int16_t y = tick == Tick::LastCell ? int16_t(rows - 1) : 0;
    int changes = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i) {
        if (tick != Tick::NoChange)
            screen.write(x, y, (i & 1) ? u"x" : u"y");
        changes += renderer.snapshot(output) ? 1 : 0;
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const int expected = tick == Tick::NoChange ? 0 : iterations;
    if (changes != expected)
        std::printf("  unexpected: %d changes of %d\n", changes, expected);
    return std::chrono::duration<double, std::nano>(elapsed).count() / iterations;
}

}  // namespace

int main() {
    const struct { int16_t columns, rows; } sizes[] = {{80, 25}, {160, 62}};
    std::printf("snapshot with faked console reads (ns per tick, reads included)\n");
    for (const auto& size : sizes) {
        for (bool rowRun : {true, false}) {
            const int n = 20000;
            std::printf("%3dx%-3d %-9s no change %8.0f   first cell %8.0f   last cell %8.0f\n",
                        size.columns, size.rows, rowRun ? "row-run" : "per-cell",
                        nanosPerTick(size.columns, size.rows, rowRun, Tick::NoChange, n),
                        nanosPerTick(size.columns, size.rows, rowRun, Tick::FirstCell, n),
                        nanosPerTick(size.columns, size.rows, rowRun, Tick::LastCell, n));
        }
    }
    return 0;
}
