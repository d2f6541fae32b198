// What the widget shows of the console when a program changes the console under it: its size,
// and whether its cursor is shown. The test process owns the console the plug-in allocated, so
// it plays the program itself through CONOUT$.
#include <windows.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "support/render_support.h"
#include "support/widget_host.h"

namespace {

constexpr int kColumns = 80;  // the widget's default grid
constexpr int kRows = 25;
constexpr int kMargin = 8;
constexpr uint32_t kBackground = 0x80000000;  // default colour and alpha, ARGB

struct Picture {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint32_t> pixels;
    // How many pixels of a grid cell, `inset` pixels in from its sides, pass `test`.
    template <typename Test>
    int count(int column, int row, UINT inset, Test test) const {
        const double cellWidth = double(width - 2 * kMargin) / kColumns;
        const UINT cellHeight = (height - 2 * kMargin) / kRows;
        int n = 0;
        for (UINT y = kMargin + row * cellHeight; y < kMargin + (row + 1) * cellHeight; ++y) {
            for (UINT x = kMargin + UINT(column * cellWidth) + inset;
                 x < kMargin + UINT((column + 1) * cellWidth) - inset; ++x) {
                n += test(pixels[y * width + x]) ? 1 : 0;
            }
        }
        return n;
    }
    // Inked: a pixel off the background, away from the sides a neighbour's glyph may touch.
    bool inked(int column, int row) const {
        return count(column, row, 1, [](uint32_t p) { return p != kBackground; }) > 0;
    }
    bool opaque(int column, int row) const {  // the cursor cell
        return count(column, row, 0, [](uint32_t p) { return (p >> 24) != 0xFF; }) == 0;
    }
};

HANDLE openConsoleOutput() {
    return CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

class Screen : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(widget.loaded());
        widget.recorder().onOverlay = [this](Gdiplus::Image* image) {
            auto* bitmap = static_cast<Gdiplus::Bitmap*>(image);
            Picture picture;
            picture.width = bitmap->GetWidth();
            picture.height = bitmap->GetHeight();
            picture.pixels = tideglass::e2e::readPixels(*bitmap);
            pictures.push_back(picture);
        };
    }
    // Until the newest overlay the host received passes `check`.
    bool waitForPicture(const std::function<bool(const Picture&)>& check) {
        return host::pumpUntil([&] { return !pictures.empty() && check(pictures.back()); }, 5000);
    }
    bool promptShown() {
        for (const auto& row : e2e::consoleRows())
            if (row.find('>') != std::string::npos)
                return true;
        return false;
    }

    e2e::WidgetHost widget;
    std::vector<Picture> pictures;
};

struct ConsoleSize {
    SHORT columns, rows;
    bool perCell;  // characters and attributes read together, or characters alone
};

class ResizedConsole : public Screen, public testing::WithParamInterface<ConsoleSize> {};

// A program sizes the console as `mode con` does on Windows; the window cannot outgrow the
// screen, the buffer can.
TEST_P(ResizedConsole, WidgetShowsTheConsoleWindowRowForRow) {
    const ConsoleSize size = GetParam();
    const std::string ini = e2e::tempFile("tideglass-screen.ini");
    WritePrivateProfileStringA("Desklet", "ignore-style", size.perCell ? "0" : "1", ini.c_str());
    ASSERT_NE(widget.create(ini.c_str(), "Desklet"), nullptr);
    ASSERT_TRUE(host::pumpUntil([&] { return promptShown(); }, 5000));
    tideglass::win32::UniqueKernelHandle out(openConsoleOutput());
    ASSERT_TRUE(out);
    const COORD largest = GetLargestConsoleWindowSize(out.get());
    const SMALL_RECT tiny{0, 0, 2, 2};
    SetConsoleWindowInfo(out.get(), TRUE, &tiny);
    ASSERT_TRUE(SetConsoleScreenBufferSize(out.get(), COORD{size.columns, size.rows}));
    const SMALL_RECT window{0, 0, SHORT(std::min(size.columns, largest.X) - 1),
                            SHORT(std::min(size.rows, largest.Y) - 1)};
    ASSERT_TRUE(SetConsoleWindowInfo(out.get(), TRUE, &window));

    // A staircase: row y of the buffer has ink in its first y + 1 cells.
    for (SHORT y = 0; y < size.rows; ++y) {
        std::string row(size_t(size.columns), ' ');
        for (SHORT x = 0; x < size.columns && x <= y; ++x)
            row[size_t(x)] = '#';
        DWORD written = 0;
        WriteConsoleOutputCharacterA(out.get(), row.data(), DWORD(row.size()), COORD{0, y},
                                     &written);
    }
    SetConsoleCursorPosition(out.get(), COORD{0, 0});
    CONSOLE_SCREEN_BUFFER_INFO info;
    ASSERT_TRUE(GetConsoleScreenBufferInfo(out.get(), &info));
    ASSERT_EQ(info.srWindow.Left, 0);
    ASSERT_EQ(info.srWindow.Top, 0);

    auto showsTheWindow = [&](const Picture& p) {
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                const bool ink = c < size.columns && r < size.rows && c <= r;
                if (p.inked(c, r) != ink)
                    return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(waitForPicture(showsTheWindow));
    EXPECT_TRUE(widget.boxes().boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResizedConsole,
                         testing::Values(ConsoleSize{40, 10, false}, ConsoleSize{200, 80, false},
                                         ConsoleSize{40, 10, true}, ConsoleSize{200, 80, true}));

// A full-screen program hides the cursor; the focused widget draws none until it shows again.
TEST_F(Screen, HiddenConsoleCursorIsNotDrawn) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(host::pumpUntil([&] { return promptShown(); }, 5000));
    tideglass::win32::UniqueKernelHandle out(openConsoleOutput());
    ASSERT_TRUE(out);
    SetConsoleCursorPosition(out.get(), COORD{30, 20});  // a blank cell of the first screen
    CONSOLE_CURSOR_INFO cursor{25, TRUE};
    widget.send(WM_ACTIVATE, WA_CLICKACTIVE, 0);
    auto cursorDrawn = [](const Picture& p) { return p.opaque(30, 20); };
    auto noCursor = [](const Picture& p) { return !p.inked(30, 20) && !p.opaque(30, 20); };
    ASSERT_TRUE(waitForPicture(cursorDrawn));

    cursor.bVisible = FALSE;
    ASSERT_TRUE(SetConsoleCursorInfo(out.get(), &cursor));
    EXPECT_TRUE(waitForPicture(noCursor));
    cursor.bVisible = TRUE;
    ASSERT_TRUE(SetConsoleCursorInfo(out.get(), &cursor));
    EXPECT_TRUE(waitForPicture(cursorDrawn));
}

// A program makes the console's window larger than the grid (200 x 80, as far as the screen
// allows); output and a long command line then take the prompt's cursor below and right of the
// grid's first screen: the widget shows the part that holds the cursor, and Ctrl+Shift+C copies
// exactly that part's text.
TEST_F(Screen, LargerWindowKeepsTheCursorInViewAndCopyGivesWhatIsShown) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(host::pumpUntil([&] { return promptShown(); }, 5000));
    tideglass::win32::UniqueKernelHandle out(openConsoleOutput());
    ASSERT_TRUE(out);
    const COORD largest = GetLargestConsoleWindowSize(out.get());
    const SHORT width = std::min<SHORT>(200, largest.X), height = std::min<SHORT>(80, largest.Y);
    ASSERT_GT(width, kColumns + 40);
    ASSERT_GT(height, kRows + 2);
    const SMALL_RECT tiny{0, 0, 2, 2};
    SetConsoleWindowInfo(out.get(), TRUE, &tiny);
    ASSERT_TRUE(SetConsoleScreenBufferSize(out.get(), COORD{200, 300}));
    const SMALL_RECT window{0, 0, SHORT(width - 1), SHORT(height - 1)};
    ASSERT_TRUE(SetConsoleWindowInfo(out.get(), TRUE, &window));

    widget.typeText("for /L %i in (1,1,70) do @echo line %i");
    widget.pressKey("Enter");
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ASSERT_TRUE(host::pumpUntil(
        [&] {
            GetConsoleScreenBufferInfo(out.get(), &info);
            return info.dwCursorPosition.Y - info.srWindow.Top > kRows && promptShown();
        },
        10000))
        << [&] {
               std::string all;
               for (const auto& row : e2e::consoleRows())
                   if (row.find_first_not_of(' ') != std::string::npos)
                       all += row.substr(0, 100) + "\n";
               return all;
           }();
    const std::string tail = "echo " + std::string(90, 'x') + "END";
    widget.typeText(tail);
    ASSERT_TRUE(host::pumpUntil(
        [&] {
            GetConsoleScreenBufferInfo(out.get(), &info);
            return info.dwCursorPosition.X > kColumns + 20;
        },
        10000));
    // Just far enough right and down to take the cursor in.
    const COORD cursor = info.dwCursorPosition;
    const SHORT left = SHORT(cursor.X - kColumns + 1), top = SHORT(cursor.Y - kRows + 1);
    EXPECT_TRUE(waitForPicture([&](const Picture& p) {
        return p.inked(kColumns - 2, kRows - 1) && p.inked(kColumns - 3, kRows - 1);
    })) << "the end of the line typed, left of the cursor in the grid's corner";
    std::wstring expected;
    for (const std::wstring& row : e2e::consoleRowsAt(left, top, kColumns, kRows))
        expected += row.substr(0, row.find_last_not_of(L' ') + 1) + L"\r\n";
    expected.resize(expected.size() - 2);
    std::wstring copied;
    EXPECT_TRUE(host::pumpUntil(
        [&] {
            widget.pressKey("Ctrl+Shift+C");
            copied = e2e::clipboardText(widget.window());
            return copied == expected;
        },
        5000));
    EXPECT_NE(copied.find(L"xxxEND"), std::wstring::npos);
    EXPECT_EQ(std::count(copied.begin(), copied.end(), L'\n'), kRows - 1);
}

// Margins at the ends of the 32-bit range in a host's INI file: the widget still gets a size and
// an overlay (drawn with the default margins) and no box, and the values stay stored.
TEST_F(Screen, MarginsThatCannotFrameTheTextStillGiveAWidget) {
    const std::string ini = e2e::tempFile("tideglass-margins.ini");
    WritePrivateProfileStringA("Desklet", "left-margin", "2147483647", ini.c_str());
    WritePrivateProfileStringA("Desklet", "right-margin", "-2147483648", ini.c_str());
    ASSERT_NE(widget.create(ini.c_str(), "Desklet"), nullptr);
    host::HostCall size;
    ASSERT_TRUE(widget.recorder().last("DeskletSetSize", size));
    EXPECT_GT(size.first, 2 * kMargin);
    EXPECT_GT(size.second, 2 * kMargin);
    EXPECT_TRUE(waitForPicture([&](const Picture& p) {
        return int(p.width) == size.first && p.inked(0, 0);  // the banner, from the left
    }));
    EXPECT_TRUE(widget.boxes().boxes().empty());
    widget.save(ini, "Desklet");
    EXPECT_EQ(e2e::readIniValue(ini, "Desklet", "left-margin"), "2147483647");
}

}  // namespace
