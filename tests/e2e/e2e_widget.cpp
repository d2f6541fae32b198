// The widget shows the console: overlays, sizes, the poll timer, typing through the widget,
// transparency and the cursor, with the real console, GDI and GDI+.
#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "support/gdiplus_session.h"
#include "support/png_encoder.h"
#include "support/render_support.h"
#include "support/widget_host.h"

namespace {

using Pixels = std::vector<uint32_t>;

struct Picture {
    UINT width = 0;
    UINT height = 0;
    Pixels pixels;
    uint32_t at(UINT x, UINT y) const { return pixels[y * width + x]; }
};

// Copies the overlay's pixels when the host receives it, as a host that paints it would see it.
Picture capture(Gdiplus::Image* image) {
    Picture picture;
    if (image == nullptr)
        return picture;
    auto* bitmap = static_cast<Gdiplus::Bitmap*>(image);
    picture.width = bitmap->GetWidth();
    picture.height = bitmap->GetHeight();
    picture.pixels = tideglass::e2e::readPixels(*bitmap);
    return picture;
}

class Widget : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(widget.loaded());
        widget.recorder().onOverlay = [this](Gdiplus::Image* image) {
            pictures.push_back(capture(image));
        };
    }
    bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
        return host::pumpUntil(done, timeoutMs);
    }
    bool promptShown() {
        for (const auto& row : e2e::consoleRows())
            if (row.find('>') != std::string::npos)
                return true;
        return false;
    }
    // Waits until three ticks in a row brought no new overlay: the widget has caught up with
    // what the console shows.
    bool settle() {
        std::size_t overlays = pictures.size();
        std::size_t since = widget.timerTicks().size();
        return waitUntil(
            [&] {
                if (pictures.size() != overlays) {
                    overlays = pictures.size();
                    since = widget.timerTicks().size();
                }
                return widget.timerTicks().size() >= since + 3;
            },
            30000);
    }
    e2e::WidgetHost widget;
    std::vector<Picture> pictures;
};

TEST_F(Widget, CreationSizesTheWidgetAndStartsThePollTimer) {
    ASSERT_NE(widget.create(), nullptr);
    host::HostCall size;
    ASSERT_TRUE(widget.recorder().last("DeskletSetSize", size));
    ASSERT_TRUE(waitUntil([&] { return widget.recorder().overlayCount() > 0; }));
    EXPECT_EQ(static_cast<UINT>(size.first), widget.recorder().overlayWidth());
    EXPECT_EQ(static_cast<UINT>(size.second), widget.recorder().overlayHeight());
    // 80 columns and 25 rows of the stock font plus 8-pixel margins.
    EXPECT_EQ((size.first - 16) % 80, 0);
    EXPECT_EQ((size.second - 16) % 25, 0);

    ASSERT_TRUE(waitUntil([&] { return widget.timerTicks().size() >= 13; }, 30000));
    const double period = e2e::typicalTickPeriod(widget.timerTicks());
    EXPECT_GE(period, 200.0);
    EXPECT_LE(period, 400.0) << "far from the 100 ms and 1000 ms a wrong setting would give";
}

TEST_F(Widget, TypedCommandChangesOnlyTheRowsItTouches) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return promptShown(); }));
    ASSERT_TRUE(waitUntil([&] { return !pictures.empty(); }));
    ASSERT_TRUE(settle());
    const Picture before = pictures.back();
    CONSOLE_SCREEN_BUFFER_INFO info;
    ASSERT_TRUE(e2e::consoleInfo(info));
    const int promptRow = info.dwCursorPosition.Y - info.srWindow.Top;

    widget.typeText("echo tideglass");
    widget.typeKey(VK_RETURN);
    ASSERT_TRUE(waitUntil([&] {
        int seen = 0;
        for (const auto& row : e2e::consoleRows())
            seen += row.find("tideglass") != std::string::npos ? 1 : 0;
        return seen >= 2;  // the command line and its echo
    }));
    ASSERT_TRUE(settle());
    const Picture after = pictures.back();
    ASSERT_EQ(before.width, after.width);
    ASSERT_EQ(before.height, after.height);

    const UINT cellHeight = (after.height - 16) / 25;
    std::vector<bool> rowChanged(25, false);
    for (UINT y = 8; y < after.height - 8; ++y) {
        for (UINT x = 0; x < after.width; ++x) {
            if (before.at(x, y) != after.at(x, y))
                rowChanged[(y - 8) / cellHeight] = true;
        }
    }
    for (int r = 0; r < 25; ++r) {
        const bool touched = r >= promptRow && r <= promptRow + 3;
        if (!touched) {
            EXPECT_FALSE(rowChanged[r]) << "row " << r;
        }
    }
    EXPECT_TRUE(rowChanged[promptRow]) << "the command line row";
    EXPECT_TRUE(rowChanged[promptRow + 1]) << "the echo row";
    for (UINT x = 0; x < after.width; ++x) {
        EXPECT_EQ(before.at(x, 0), after.at(x, 0)) << "margins never change";
    }

    // The overlay itself goes with the desklet; the copy is what the host was shown.
    const std::string png = host::executableFolder() + "widget-echo.png";
    Gdiplus::Bitmap copy(after.width, after.height, after.width * 4, PixelFormat32bppARGB,
                         reinterpret_cast<BYTE*>(const_cast<uint32_t*>(after.pixels.data())));
    EXPECT_TRUE(host::savePng(copy, png)) << png;
}

TEST_F(Widget, BackgroundCarriesTheConfiguredAlphaAndCursorFollowsFocus) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return promptShown() && !pictures.empty(); }));
    ASSERT_TRUE(settle());
    CONSOLE_SCREEN_BUFFER_INFO info;
    ASSERT_TRUE(e2e::consoleInfo(info));
    const int column = info.dwCursorPosition.X - info.srWindow.Left;
    const int row = info.dwCursorPosition.Y - info.srWindow.Top;

    widget.send(WM_ACTIVATE, WA_INACTIVE, 0);
    const Picture unfocused = pictures.back();
    widget.send(WM_ACTIVATE, WA_CLICKACTIVE, 0);
    const Picture focused = pictures.back();

    EXPECT_EQ(unfocused.at(0, 0) >> 24, 0x80u) << "default background alpha 128";
    EXPECT_EQ(unfocused.at(0, 0) & 0xFFFFFFu, 0u) << "default background black";
    const UINT cellWidth = (focused.width - 16) / 80;
    const UINT cellHeight = (focused.height - 16) / 25;
    const UINT x = 8 + column * cellWidth, y = 8 + row * cellHeight;
    int opaqueFocused = 0, opaqueUnfocused = 0;
    for (UINT dy = 0; dy < cellHeight; ++dy) {
        for (UINT dx = 0; dx < cellWidth; ++dx) {
            opaqueFocused += (focused.at(x + dx, y + dy) >> 24) == 0xFF ? 1 : 0;
            opaqueUnfocused += (unfocused.at(x + dx, y + dy) >> 24) == 0xFF ? 1 : 0;
        }
    }
    EXPECT_EQ(opaqueFocused, static_cast<int>(cellWidth * cellHeight)) << "cursor cell opaque";
    EXPECT_EQ(opaqueUnfocused, 0) << "no cursor without focus";
}

TEST_F(Widget, ColumnsBeyondTheScreenAreLoweredAndSavedSo) {
    const std::string ini = e2e::tempFile("tideglass-wide.ini");
    WritePrivateProfileStringA("Desklet", "columns", "500", ini.c_str());
    ASSERT_NE(widget.create(ini.c_str(), "Desklet"), nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info;
    ASSERT_TRUE(e2e::consoleInfo(info));
    HANDLE out =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    const COORD largest = GetLargestConsoleWindowSize(out);
    CloseHandle(out);
    ASSERT_GT(largest.X, 0);
    ASSERT_LT(largest.X, 500);

    widget.save(ini, "Desklet");
    EXPECT_EQ(e2e::readIniValue(ini, "Desklet", "columns"), std::to_string(largest.X));
    EXPECT_EQ(info.dwSize.X, largest.X) << "the buffer is as wide as the window";
    EXPECT_EQ(info.srWindow.Right - info.srWindow.Left + 1, largest.X);
    EXPECT_EQ(info.dwSize.Y, 25 * 10) << "ten screens of rows";
}

}  // namespace
