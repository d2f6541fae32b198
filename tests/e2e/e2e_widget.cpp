// The widget shows the console: overlays, sizes, the poll timer, typing through the widget,
// transparency and the cursor, with the real console, GDI and GDI+.
#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>
#include <psapi.h>

#include <climits>
#include <cstring>
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
        widget.recorder().onOverlay = [this](HWND, Gdiplus::Image* image) {
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

// ---- Settings that cannot be used as stored ---------------------------------------------------

struct FontRow {
    LONG height;
    LONG width;
};

class HostileFont : public Widget, public testing::WithParamInterface<FontRow> {};

// A font too large for any overlay, or one whose cell GDI cannot measure, is drawn with the
// default font at once; the stored font stays as it is.
TEST_P(HostileFont, IsDrawnWithTheDefaultFontAtOnce) {
    const std::string ini = e2e::tempFile("tideglass-hostile-font.ini");
    LOGFONTA font{};
    font.lfHeight = GetParam().height;
    font.lfWidth = GetParam().width;
    std::strcpy(font.lfFaceName, "Courier New");
    ASSERT_TRUE(WritePrivateProfileStructA("Desklet", "font", &font, sizeof font, ini.c_str()));
    // A widget with the default font first, for the size to compare with.
    ASSERT_NE(widget.create(), nullptr);
    const UINT width = widget.recorder().overlayWidth();
    const UINT height = widget.recorder().overlayHeight();
    widget.destroy();
    widget.recorder().clear();
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    const SIZE_T before = memory.PagefileUsage;

    // Such a font took tens of seconds and hundreds of megabytes: its first picture, at the
    // default font's size, is already there when creation returns.
    ASSERT_NE(widget.create(ini.c_str(), "Desklet"), nullptr);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    EXPECT_LT(memory.PeakPagefileUsage - before, SIZE_T(64) << 20);
    EXPECT_TRUE(widget.boxes().boxes().empty());
    ASSERT_GT(widget.recorder().overlayCount(), 0);
    EXPECT_EQ(widget.recorder().overlayWidth(), width);
    EXPECT_EQ(widget.recorder().overlayHeight(), height);
    ASSERT_TRUE(waitUntil([&] { return promptShown() && pictures.size() > 1; }));
    EXPECT_TRUE(widget.boxes().boxes().empty());

    widget.save(ini, "Desklet");
    LOGFONTA saved{};
    ASSERT_TRUE(GetPrivateProfileStructA("Desklet", "font", &saved, sizeof saved, ini.c_str()));
    EXPECT_EQ(saved.lfHeight, font.lfHeight);
    EXPECT_EQ(saved.lfWidth, font.lfWidth);
}

INSTANTIATE_TEST_SUITE_P(Table, HostileFont,
                         testing::Values(FontRow{-1000, 0}, FontRow{-12, LONG_MIN},
                                         FontRow{-650, 0}),  // its cells measure too high
                         [](const auto& info) { return "Row" + std::to_string(info.index); });

// The periods the plug-in asks SetTimer for, seen through its import of the function.
std::vector<UINT> gTimerPeriods;
decltype(&SetTimer) gSetTimer = nullptr;

UINT_PTR WINAPI recordingSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC procedure) {
    gTimerPeriods.push_back(period);
    return gSetTimer(window, id, period, procedure);
}

// Points every import slot of `module` that holds `original` at `replacement`.
void redirectImport(HMODULE module, void* original, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    for (; dll->Name != 0; ++dll) {
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
        for (; slot->u1.Function != 0; ++slot) {
            if (reinterpret_cast<void*>(slot->u1.Function) != original)
                continue;
            DWORD protection = 0;
            VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(slot, sizeof *slot, protection, &protection);
        }
    }
}

struct PollRow {
    const char* setting;
    UINT period;
};

class HostilePollInterval : public Widget, public testing::WithParamInterface<PollRow> {};

TEST_P(HostilePollInterval, TicksAtTheClampedPeriod) {
    gSetTimer = &SetTimer;  // the plug-in may have been loaded anew for this widget
    redirectImport(widget.module(), reinterpret_cast<void*>(gSetTimer),
                   reinterpret_cast<void*>(&recordingSetTimer));
    gTimerPeriods.clear();
    const std::string ini = e2e::tempFile("tideglass-hostile-poll.ini");
    WritePrivateProfileStringA("Desklet", "poll-interval", GetParam().setting, ini.c_str());

    ASSERT_NE(widget.create(ini.c_str(), "Desklet"), nullptr);

    EXPECT_EQ(gTimerPeriods, std::vector<UINT>{GetParam().period});
    if (GetParam().period < 1000) {
        ASSERT_TRUE(waitUntil([&] { return widget.timerTicks().size() >= 20; }));
        const double period = e2e::typicalTickPeriod(widget.timerTicks());
        EXPECT_GE(period, GetParam().period - 2.0);
        EXPECT_LE(period, GetParam().period * 4.0);
    }
    widget.save(ini, "Desklet");
    EXPECT_EQ(e2e::readIniValue(ini, "Desklet", "poll-interval"), GetParam().setting);
}

INSTANTIATE_TEST_SUITE_P(Table, HostilePollInterval,
                         testing::Values(PollRow{"-1", 15}, PollRow{"0", 15},
                                         PollRow{"2147483647", 60000}),
                         [](const auto& info) { return "Row" + std::to_string(info.index); });

}  // namespace
