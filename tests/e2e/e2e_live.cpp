// A program's answer to a key reaches the widget at once, not at the next poll tick: with a poll
// interval of a minute, the echo of a program that answers a while after reading the key shows
// long before the first tick could come, in the process's own console and in a console agent's.
#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/late_echo.h"
#include "support/render_support.h"
#include "support/widget_host.h"

namespace {

constexpr int kEchoDelayMs = 20;
// The default console's 80 x 25 cells inside 8-pixel margins.
constexpr UINT kColumns = 80, kRows = 25, kMargin = 8;

// Whether the overlay has anything but background in the given cell.
bool inkInCell(Gdiplus::Image* image, UINT column, UINT row) {
    auto* bitmap = static_cast<Gdiplus::Bitmap*>(image);
    const UINT width = bitmap->GetWidth(), height = bitmap->GetHeight();
    const std::vector<uint32_t> pixels = tideglass::e2e::readPixels(*bitmap);
    if (width <= 2 * kMargin || height <= 2 * kMargin || pixels.size() != size_t(width) * height)
        return false;
    const UINT cellWidth = (width - 2 * kMargin) / kColumns;
    const UINT cellHeight = (height - 2 * kMargin) / kRows;
    const uint32_t background = pixels[0];
    for (UINT y = kMargin + row * cellHeight; y < kMargin + (row + 1) * cellHeight; ++y)
        for (UINT x = kMargin + column * cellWidth; x < kMargin + (column + 1) * cellWidth; ++x)
            if (pixels[size_t(y) * width + x] != background)
                return true;
    return false;
}

class Live : public testing::Test {
protected:
    void TearDown() override { host::HostRecorder::instance().onOverlay = nullptr; }

    // A widget running the late-echo program, polling once a minute, and the program ready.
    void create(e2e::WidgetHost& widget, const char* name) {
        const std::string ini = e2e::tempFile(std::string(name) + ".ini");
        const std::string ready = e2e::tempFile(std::string(name) + ".ready");
        WritePrivateProfileStringA("Widget", "child-app-cmdline",
                                   e2e::lateEchoCommandLine(kEchoDelayMs, ready).c_str(),
                                   ini.c_str());
        WritePrivateProfileStringA("Widget", "poll-interval", "60000", ini.c_str());
        ASSERT_NE(widget.create(ini.c_str(), "Widget"), nullptr);
        ASSERT_TRUE(host::pumpUntil(
            [&] { return GetFileAttributesA(ready.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000));
    }

    // Types a key and waits for its echo on the widget, for far less than the poll interval.
    void expectEchoLongBeforeTheFirstTick(e2e::WidgetHost& widget) {
        // Made after the widgets, whose host set-up clears it.
        host::HostRecorder::instance().onOverlay = [&](HWND window, Gdiplus::Image* image) {
            // The program prints "ready>" and echoes the key in the cell after it.
            if (window == widget.window() && image != nullptr) {
                prompted = prompted || inkInCell(image, 0, 0);
                echoed = echoed || inkInCell(image, 6, 0);
            }
        };
        widget.typeKey('X');
        EXPECT_TRUE(host::pumpUntil([&] { return echoed; }, 20000))
            << "the echo waits for the next tick";
        EXPECT_TRUE(prompted);
    }

    bool prompted = false;
    bool echoed = false;
};

TEST_F(Live, LateEchoShowsAtOnceInTheProcesssConsole) {
    e2e::WidgetHost widget;
    create(widget, "live-first");
    expectEchoLongBeforeTheFirstTick(widget);
}

TEST_F(Live, LateEchoShowsAtOnceInAConsoleAgent) {
    e2e::WidgetHost first, second;
    create(first, "live-holder");
    create(second, "live-agent");
    ASSERT_FALSE(e2e::childProcesses("rundll32.exe").empty()) << "the second widget has an agent";
    expectEchoLongBeforeTheFirstTick(second);
}

}  // namespace
