// The renderer's cost with the real console, GDI and GDI+ under Wine, for an 80 x 25 console and
// for the largest console window the display allows, on one screen with varied colours. Each
// pair of figures is measured interleaved in the same process, so that load on the machine
// weighs on both alike:
//   per-cell full draw against row-run full draw (a focus change repaints everything);
//   a tick after one typed character (snapshot and draw) against a full redraw, with the
//   tick's two parts;
//   an idle tick against the bare console reads that the snapshot makes.
// Figures are medians of the samples. The bare reads replay whatever console calls the snapshot
// made, recorded through RecordingScreen, which forwards every method of the console port.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "console/screen_buffer.h"
#include "e2e/support/render_support.h"
#include "platform/win32/gdi_graphics.h"
#include "platform/win32/win32_console.h"
#include "render/renderer.h"
#include "support/gdiplus_session.h"

using namespace tideglass;
using namespace tideglass::e2e;

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double timeMicros(F&& call) {
    const auto start = Clock::now();
    call();
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The median of the samples: other work on a shared machine lengthens some of them a lot.
class Samples {
public:
    void add(double micros) { values_.push_back(micros); }
    template <typename F>
    void time(F&& call) {
        add(timeMicros(call));
    }
    double median() {
        if (values_.empty())
            return 0;
        std::nth_element(values_.begin(), values_.begin() + values_.size() / 2, values_.end());
        return values_[values_.size() / 2];
    }

private:
    std::vector<double> values_;
};

// Forwards to the real console and, while recording, keeps each call the snapshot makes so that
// exactly those calls can be replayed on their own as the "bare reads".
class RecordingScreen : public ScreenBuffer {
public:
    explicit RecordingScreen(ScreenBuffer& real) : real_(real) {}

    void record(std::vector<std::function<void()>>* calls) { calls_ = calls; }

    bool info(NativeHandle output, ScreenInfo& out) override {
        keep([this, output] {
            ScreenInfo scratch;
            real_.info(output, scratch);
        });
        return real_.info(output, out);
    }
    int32_t readWindow(NativeHandle output, const ScreenInfo& screen, int32_t columns, int32_t rows,
                       char16_t* characters, uint16_t* attributes) override {
        const size_t cells = size_t(columns) * size_t(rows);
        keep([this, output, screen, columns, rows, withAttributes = attributes != nullptr,
              chars = std::make_shared<std::vector<char16_t>>(cells),
              attrs = std::make_shared<std::vector<uint16_t>>(cells)] {
            real_.readWindow(output, screen, columns, rows, chars->data(),
                             withAttributes ? attrs->data() : nullptr);
        });
        return real_.readWindow(output, screen, columns, rows, characters, attributes);
    }
    CellSize largestWindow(NativeHandle output) override { return real_.largestWindow(output); }
    void setBufferSize(NativeHandle output, int16_t columns, int16_t rows) override {
        real_.setBufferSize(output, columns, rows);
    }
    void setWindow(NativeHandle output, int16_t left, int16_t top, int16_t right,
                   int16_t bottom) override {
        real_.setWindow(output, left, top, right, bottom);
    }
    void setOutputCodePage(uint32_t codePage) override { real_.setOutputCodePage(codePage); }
    uint32_t oemCodePage() override { return real_.oemCodePage(); }
    uint32_t ansiCodePage() override { return real_.ansiCodePage(); }

private:
    void keep(std::function<void()> call) {
        if (calls_)
            calls_->push_back(std::move(call));
    }

    ScreenBuffer& real_;
    std::vector<std::function<void()>>* calls_ = nullptr;
};

// Text in words of changing colour, some on coloured backgrounds, as a coloured listing shows.
void fillConsole(HANDLE output, int16_t columns, int16_t rows) {
    clearConsole(output);
    static const WORD kColors[] = {0x07, 0x0A, 0x0B, 0x0E, 0x0C, 0x1F, 0x07, 0x2E, 0x0D, 0x4F};
    uint32_t seed = 12345;
    for (int16_t r = 0; r < rows; ++r) {
        int16_t c = 0;
        while (c < columns) {
            seed = seed * 1103515245u + 12345u;
            const int16_t length = int16_t(std::min<int>(3 + (seed >> 16) % 10, columns - c));
            std::string word;
            for (int16_t i = 0; i < length; ++i)
                word += char('!' + (r * 7 + c + i) % 90);
            writeAt(output, c, r, word, kColors[(seed >> 8) % 10]);
            c = int16_t(c + length);
        }
    }
}

RendererConfig configFor(int16_t columns, int16_t rows, bool rowRun) {
    RendererConfig config;
    config.columns = columns;
    config.rows = rows;
    config.textColor = 0xFFE0E0E0;
    config.backgroundColor = 0x80000000;
    config.leftMargin = config.rightMargin = config.topMargin = config.bottomMargin = 8;
    config.ignoreFgColors = config.ignoreBgColors = config.ignoreStyle = rowRun;
    config.blackIsTransparent = true;
    return config;
}

struct Mode {
    const char* name = "";
    std::unique_ptr<RecordingScreen> screen;
    std::unique_ptr<Renderer> renderer;
    bool focused = true;
    Samples fullDraw;
    Samples typingTick;
    Samples typingSnapshot;
    Samples typingDraw;
    Samples typingFull;
    Samples idleTick;
    Samples bareReads;
};

void measure(HANDLE output, int16_t columns, int16_t rows) {
    win32::Win32ScreenBuffer console;
    win32::GdiGraphics graphics;
    fillConsole(output, columns, rows);
    const int16_t typingRow = int16_t(rows / 2);
    setCursor(output, 0, typingRow);

    Mode modes[2];
    modes[0].name = "row-run";
    modes[1].name = "per-cell";
    for (Mode& m : modes) {
        m.screen = std::make_unique<RecordingScreen>(console);
        m.renderer = std::make_unique<Renderer>(configFor(columns, rows, &m == &modes[0]), graphics,
                                                *m.screen);
        if (!m.renderer->snapshot(output))
            std::printf("  the first snapshot found no change\n");
        // The first draw also measures the glyphs on the screen, by drawing each once.
        const double first = timeMicros([&] { m.renderer->draw(m.focused); });
        std::printf("%3dx%-3d %-8s first draw %8.1f us\n", columns, rows, m.name, first);
    }
    const int cells = columns * rows;
    const int fullDraws = cells > 4000 ? 15 : 41;

    // Full draws, alternating the focus so that each one repaints everything.
    for (int i = 0; i < fullDraws; ++i) {
        for (Mode& m : modes) {
            m.focused = !m.focused;
            m.fullDraw.time([&] { m.renderer->draw(m.focused); });
        }
    }
    for (Mode& m : modes) {
        m.focused = true;
        m.renderer->draw(true);
    }

    // Typing: one character at the cursor, which moves on by one. The tick is what the update
    // cycle does; the full redraw is a focus change there and back.
    const int typed = fullDraws;
    for (int i = 0; i < typed; ++i) {
        CONSOLE_SCREEN_BUFFER_INFO csbi;
        GetConsoleScreenBufferInfo(output, &csbi);
        if (csbi.dwCursorPosition.X >= columns - 2)
            setCursor(output, 0, typingRow);
        const char ch = char('a' + i % 26);
        DWORD written = 0;
        WriteConsoleA(output, &ch, 1, &written, nullptr);
        for (Mode& m : modes) {
            bool changed = false;
            const double snapshot = timeMicros([&] { changed = m.renderer->snapshot(output); });
            const double draw = changed ? timeMicros([&] { m.renderer->draw(true); }) : 0.0;
            m.typingTick.add(snapshot + draw);
            m.typingSnapshot.add(snapshot);
            m.typingDraw.add(draw);
            if (!changed)
                std::printf("  %s: a typed character was not seen\n", m.name);
            m.typingFull.time([&] { m.renderer->draw(false); });
            m.typingFull.time([&] { m.renderer->draw(true); });
        }
    }

    // Idle: nothing changes; the bare reads replay the calls one idle snapshot made.
    for (Mode& m : modes) {
        std::vector<std::function<void()>> calls;
        m.screen->record(&calls);
        if (m.renderer->snapshot(output))
            std::printf("  %s: an idle snapshot found a change\n", m.name);
        m.screen->record(nullptr);
        const int idle = 200;
        for (int i = 0; i < idle; ++i) {
            m.idleTick.time([&] { m.renderer->snapshot(output); });
            m.bareReads.time([&] {
                for (auto& call : calls)
                    call();
            });
        }
    }

    double full[2];
    for (int i = 0; i < 2; ++i) {
        Mode& m = modes[i];
        full[i] = m.fullDraw.median();
        const double tick = m.typingTick.median();
        const double redraw = m.typingFull.median();
        const double idle = m.idleTick.median();
        const double reads = m.bareReads.median();
        std::printf(
            "%3dx%-3d %-8s full draw %8.1f us | typing tick %8.1f us / full redraw "
            "%8.1f us = %5.2f | idle tick %6.1f us / bare reads %6.1f us = %5.2f\n",
            columns, rows, m.name, full[i], tick, redraw, tick / redraw, idle, reads, idle / reads);
        std::printf("%3dx%-3d %-8s typing tick's snapshot %8.1f us, draw %8.1f us\n", columns, rows,
                    m.name, m.typingSnapshot.median(), m.typingDraw.median());
    }
    std::printf("%3dx%-3d per-cell full draw / row-run full draw = %5.2f   (bitmap %ux%u)\n",
                columns, rows, full[1] / full[0], modes[0].renderer->canvas().width(),
                modes[0].renderer->canvas().height());
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
