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
    // Which pixels of the cell are off the background, row by row.
    std::vector<bool> ink(int column, int row) const {
        std::vector<bool> mask;
        count(column, row, 0, [&mask](uint32_t p) {
            mask.push_back(p != kBackground);
            return false;
        });
        return mask;
    }
};

// The ink of one character as the widget draws it with its default settings (the stock font,
// text colour 0xE0E0E0 on the default background, clipped to its row), in a cell of the given
// size: the glyph drawn by the same font, for comparison with the overlay's cells.
std::vector<bool> glyphInk(wchar_t character, int cellWidth, int cellHeight) {
    Gdiplus::Bitmap bitmap(3 * cellWidth, cellHeight, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&bitmap);
        graphics.Clear(Gdiplus::Color(kBackground));
        HDC dc = graphics.GetHDC();
        HGDIOBJ old = SelectObject(dc, GetStockObject(OEM_FIXED_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0xE0, 0xE0, 0xE0));
        const RECT band{0, 0, 3 * cellWidth, cellHeight};
        ExtTextOutW(dc, cellWidth, 0, ETO_CLIPPED, &band, &character, 1, nullptr);
        SelectObject(dc, old);
        graphics.ReleaseHDC(dc);
    }
    const std::vector<uint32_t> pixels = tideglass::e2e::readPixels(bitmap);
    std::vector<bool> mask;
    for (int y = 0; y < cellHeight; ++y) {
        for (int x = cellWidth; x < 2 * cellWidth; ++x)
            mask.push_back(pixels[size_t(y) * 3 * cellWidth + x] != kBackground);
    }
    return mask;
}

HANDLE openConsoleOutput() {
    return CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

class Screen : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(widget.loaded());
        widget.recorder().onOverlay = [this](HWND, Gdiplus::Image* image) {
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

// A program writes text beyond ASCII with the wide console calls; the widget shows each cell as
// the font draws that character: box lines as lines, accents as accents, blocks as blocks. A
// wide character is one glyph over its two cells, the text after it two cells on.
TEST_F(Screen, CharactersBeyondAsciiShowAsTheFontDrawsThem) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(host::pumpUntil([&] { return promptShown(); }, 5000));
    tideglass::win32::UniqueKernelHandle out(openConsoleOutput());
    ASSERT_TRUE(out);
    const std::wstring line =
        L"h\u00E9llo \u2500\u2502\u250C\u2510 \u65E5\u672C "
        L"\u2554\u2550\u2557 \u2588\u2593\u2592\u2591 \u20AC \u00A3 \u00FC";
    constexpr SHORT kRow = 15;
    SetConsoleCursorPosition(out.get(), COORD{0, kRow});
    DWORD written = 0;
    ASSERT_TRUE(WriteConsoleW(out.get(), line.data(), DWORD(line.size()), &written, nullptr));
    // Wine's console gives every character one cell; a wide one is written as its two halves.
    CHAR_INFO wide[3] = {};
    wide[0].Char.UnicodeChar = wide[1].Char.UnicodeChar = L'\u2588';
    wide[0].Attributes = 0x07 | COMMON_LVB_LEADING_BYTE;
    wide[1].Attributes = 0x07 | COMMON_LVB_TRAILING_BYTE;
    wide[2].Char.UnicodeChar = L'\u2588';
    wide[2].Attributes = 0x07;
    SMALL_RECT at{0, kRow + 1, 2, kRow + 1};
    ASSERT_TRUE(WriteConsoleOutputW(out.get(), wide, COORD{3, 1}, COORD{0, 0}, &at));
    SetConsoleCursorPosition(out.get(), COORD{0, kRow + 3});

    ASSERT_TRUE(waitForPicture([](const Picture& p) { return p.inked(2, kRow + 1); }));
    const Picture& picture = pictures.back();
    const int cellWidth = int(picture.width - 2 * kMargin) / kColumns;
    const int cellHeight = int(picture.height - 2 * kMargin) / kRows;
    // Each cell holds at least its glyph's ink; where no neighbour inks it, exactly that.
    for (size_t i = 0; i < line.size(); ++i) {
        const std::vector<bool> want = glyphInk(line[i], cellWidth, cellHeight);
        const std::vector<bool> got = picture.ink(int(i), kRow);
        const bool alone =
            (i == 0 || line[i - 1] == L' ') && (i + 1 == line.size() || line[i + 1] == L' ');
        bool holdsGlyph = true;
        for (size_t k = 0; k < want.size(); ++k)
            holdsGlyph = holdsGlyph && (!want[k] || got[k]);
        EXPECT_TRUE(alone ? got == want : holdsGlyph)
            << "U+" << std::hex << unsigned(line[i]) << " in column " << std::dec << i;
    }
    // Lines as lines: a row of the cell inked all across for U+2500, a column all down for U+2502.
    auto allAcross = [&](int column) {
        const std::vector<bool> got = picture.ink(column, kRow);
        for (int y = 0; y < cellHeight; ++y) {
            if (std::all_of(got.begin() + y * cellWidth, got.begin() + (y + 1) * cellWidth,
                            [](bool b) { return b; }))
                return true;
        }
        return false;
    };
    EXPECT_TRUE(allAcross(6));
    EXPECT_FALSE(allAcross(0));                                              // an 'h'
    EXPECT_NE(picture.ink(1, kRow), glyphInk(L'e', cellWidth, cellHeight));  // the accent shows
    // The wide block: one glyph in its first cell, none in its second, the next block after it.
    const std::vector<bool> block = glyphInk(L'\u2588', cellWidth, cellHeight);
    EXPECT_EQ(picture.ink(0, kRow + 1), block);
    EXPECT_FALSE(picture.inked(1, kRow + 1));
    EXPECT_EQ(picture.ink(2, kRow + 1), block);
}

// A program switches the console to UTF-8 (as `chcp 65001` does) and writes UTF-8 text beyond
// ASCII: the widget goes on following the console.
TEST_F(Screen, WidgetFollowsAConsoleInUtf8) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(host::pumpUntil([&] { return promptShown(); }, 5000));
    tideglass::win32::UniqueKernelHandle out(openConsoleOutput());
    ASSERT_TRUE(out);
    const UINT codePage = GetConsoleOutputCP();
    ASSERT_TRUE(SetConsoleOutputCP(CP_UTF8));
    DWORD written = 0;
    SetConsoleCursorPosition(out.get(), COORD{0, 15});
    const char text[] = "h\xC3\xA9llo \xE2\x94\x80\xE2\x94\x82 \xE2\x82\xAC";
    ASSERT_TRUE(WriteFile(out.get(), text, DWORD(sizeof text - 1), &written, nullptr));
    EXPECT_TRUE(waitForPicture([](const Picture& p) { return p.inked(9, 15); }));
    // More text with the characters beyond ASCII still in view.
    SetConsoleCursorPosition(out.get(), COORD{0, 16});
    ASSERT_TRUE(WriteFile(out.get(), "next", 4, &written, nullptr));
    EXPECT_TRUE(waitForPicture([](const Picture& p) { return p.inked(3, 16); }));
    SetConsoleOutputCP(codePage);
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
