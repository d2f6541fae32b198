// The overlay drawn with the real console, GDI and GDI+ compared pixel for pixel: cells drawn in
// runs against each cell drawn by itself, and repaints of the changed rows against full repaints
// after random edits of the console; with the stock font as either of two substitutes.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "e2e/support/cell_by_cell_drawer.h"
#include "e2e/support/probe_graphics.h"
#include "e2e/support/render_support.h"
#include "platform/win32/gdi_graphics.h"
#include "platform/win32/win32_console.h"
#include "render/colors.h"
#include "render/renderer.h"

namespace tideglass::e2e {
namespace {

using probe::ProbeGraphics;

constexpr int16_t kColumns = 80;
constexpr int16_t kRows = 25;

TestConsole* environment = static_cast<TestConsole*>(
    ::testing::AddGlobalTestEnvironment(new TestConsole(kColumns, kRows)));

Gdiplus::Bitmap& bitmapOf(Canvas& canvas) {
    return *static_cast<Gdiplus::Bitmap*>(static_cast<Gdiplus::Image*>(canvas.hostImage()));
}

// Where two pictures differ, for the failure message; empty when they are the same.
std::string difference(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want,
                       uint32_t width) {
    if (got.size() != want.size())
        return "pictures of " + std::to_string(got.size()) + " and " + std::to_string(want.size()) +
               " pixels";
    size_t count = 0;
    size_t first = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i] != want[i] && count++ == 0)
            first = i;
    }
    if (count == 0)
        return {};
    char text[160];
    std::snprintf(text, sizeof text, "%zu pixels differ, the first at (%zu, %zu): %08X, not %08X",
                  count, first % width, first / width, unsigned(got[first]), unsigned(want[first]));
    return text;
}

void writeCells(HANDLE output, int16_t x, int16_t y, const std::vector<CHAR_INFO>& cells,
                int16_t width) {
    const int16_t height = int16_t(cells.size() / size_t(width));
    SMALL_RECT area{x, y, int16_t(x + width - 1), int16_t(y + height - 1)};
    WriteConsoleOutputW(output, cells.data(), COORD{width, height}, COORD{0, 0}, &area);
}

// Characters beyond ASCII: accents, box drawing, blocks and shades, currency, and the four that
// Liberation Mono inks a pixel outside their outline boxes (U+00B6, U+00BB, U+00BC, U+00BD).
const std::wstring kBeyondAscii =
    L"\u00E9\u00FC\u00C5\u2500\u2502\u250C\u2510\u2554\u2550\u2557\u2588\u2593\u2592\u2591"
    L"\u20AC\u00A3\u00B6\u00BB\u00BC\u00BD";

// Text for a cell: mostly ASCII, beyond it on a Unicode screen.
WCHAR randomCharacter(std::mt19937& random, bool unicode) {
    const char* kSample = "Wm@%#MQ Tideglass ~|_ ";
    const uint32_t pick = random() % 10;
    if (unicode && pick >= 7)
        return kBeyondAscii[random() % kBeyondAscii.size()];
    return pick < 5 ? WCHAR(kSample[random() % std::strlen(kSample)]) : WCHAR('!' + random() % 94);
}

// Makes the cell and the next the two halves of a wide character.
void makeWide(CHAR_INFO* cells, WCHAR character) {
    cells[0].Char.UnicodeChar = cells[1].Char.UnicodeChar = character;
    cells[1].Attributes = (cells[0].Attributes & 0xFF) | COMMON_LVB_TRAILING_BYTE;
    cells[0].Attributes = (cells[0].Attributes & 0xFF) | COMMON_LVB_LEADING_BYTE;
}

// Words of every attribute (the bits above the low byte too) and glyphs that may reach past
// their cell; a long run in row 3, grey on black in row 12. On a Unicode screen, characters
// beyond ASCII, wide ones among them, and row 5 opaque with the glyphs that ink outside their
// outline boxes between letters.
void fillVariedScreen(HANDLE output, bool unicode) {
    std::vector<CHAR_INFO> cells(size_t(kColumns) * kRows);
    std::mt19937 random(7);
    WORD attribute = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (random() % 4 == 0)
            attribute = WORD((attribute + 37) & 0xFF) | (random() % 8 == 0 ? 0x8000 : 0);
        cells[i].Char.UnicodeChar = randomCharacter(random, unicode);
        cells[i].Attributes = attribute;
    }
    for (int col = 2; col <= 20; ++col)
        cells[3 * kColumns + col].Attributes = 0x1E;
    for (int col = 30; col <= 50; ++col)
        cells[12 * kColumns + col].Attributes = 0x07;
    if (unicode) {
        const std::wstring row5 = L"a\u00B6b\u00BBc\u00BCd\u00BDe\u00B6\u00BB\u00BC\u00BD";
        for (size_t i = 0; i < row5.size(); ++i) {
            cells[5 * kColumns + 10 + i].Char.UnicodeChar = row5[i];
            cells[5 * kColumns + 10 + i].Attributes = 0x1E;
        }
        for (size_t i = 7; i + 1 < cells.size(); i += 53)
            makeWide(&cells[i], i % 2 ? L'\u65E5' : L'\u2588');
    }
    writeCells(output, 0, 0, cells, kColumns);
}

// Stock: the system's substitute for the stock font (Liberation Mono here); StockOther: the
// stock font as the other substitute a machine may have.
enum class FontKind { Stock, StockOther, Monospace, Italic, Proportional, UnevenCells };

// The face the stock font takes for FontKind::StockOther: a DejaVu font where the system picks
// Liberation Mono, and Liberation Mono where it picks another.
std::string otherStockFace() {
    const std::string stock = probe::faceOf(static_cast<HFONT>(GetStockObject(OEM_FIXED_FONT)));
    return stock == "Liberation Mono" ? "DejaVu Sans Mono" : "Liberation Mono";
}

struct RunCase {
    const char* name;
    bool ignoreFg, ignoreBg, ignoreStyle, invert, blackIsTransparent;
    FontKind font;
};

RendererConfig configFor(bool ignoreFg, bool ignoreBg, bool ignoreStyle, bool invert,
                         bool blackIsTransparent, FontKind font) {
    RendererConfig c;
    c.columns = kColumns;
    c.rows = kRows;
    c.textColor = 0xFFE0E0E0;
    c.backgroundColor = 0x80000000;
    c.leftMargin = c.rightMargin = c.topMargin = c.bottomMargin = 5;
    c.ignoreFgColors = ignoreFg;
    c.ignoreBgColors = ignoreBg;
    c.ignoreStyle = ignoreStyle;
    c.invertColors = invert;
    c.blackIsTransparent = blackIsTransparent;
    if (font == FontKind::Monospace || font == FontKind::Italic || font == FontKind::Proportional) {
        std::strcpy(c.font.faceName,
                    font == FontKind::Proportional ? "DejaVu Sans" : "DejaVu Sans Mono");
        c.font.height = -15;
        c.font.weight = font == FontKind::Italic ? 700 : 400;
        c.font.italic = font == FontKind::Italic;
        c.font.charSet = ANSI_CHARSET;
    }
    return c;
}

// The graphics a case draws with: the stock font as the case's substitute, cells of fractional
// width for UnevenCells.
void prepare(ProbeGraphics& graphics, FontKind font) {
    graphics.stockFace = font == FontKind::StockOther ? otherStockFace() : "";
    // Half a pixel more per cell: cell widths alternate between two sizes.
    graphics.probe.extraWidth = font == FontKind::UnevenCells ? kColumns / 2 : 0;
}

// The two substitutes really differ, so a fault that shows with one font only cannot hide.
TEST(StockFont, TestsDrawWithTwoDifferentSubstitutes) {
    const std::string stock = probe::faceOf(static_cast<HFONT>(GetStockObject(OEM_FIXED_FONT)));
    const std::string other = otherStockFace();
    const LOGFONTA record = probe::stockFontAs(other.c_str());
    HFONT font = CreateFontIndirectA(&record);
    EXPECT_EQ(probe::faceOf(font), other) << "is the font installed (scripts/setup.sh)?";
    EXPECT_NE(stock, other);
    DeleteObject(font);
}

// A cell marked as the second half of a wide character with no first half before it shows the
// character the console holds, and right-to-left text keeps each character in its cell, as the
// console shows it: the picture is each cell's glyph drawn alone.
TEST(CellsInPlace, LoneSecondHalvesAndRightToLeftTextDrawTheirOwnCharacters) {
    HANDLE output = environment->output;
    clearConsole(output);
    const std::wstring text = L"[12 \u05D0\u05D1\u05D2 34] AB \u05E9\u05DC\u05D5\u05DD!";
    std::vector<CHAR_INFO> cells(kColumns);
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i].Char.UnicodeChar = i < text.size() ? text[i] : L' ';
        cells[i].Attributes = 0x07;
    }
    cells[13].Attributes |= COMMON_LVB_TRAILING_BYTE;
    cells[14].Attributes |= COMMON_LVB_LEADING_BYTE | COMMON_LVB_TRAILING_BYTE;
    writeCells(output, 0, 2, cells, kColumns);
    setCursor(output, 0, 10);
    for (bool rowRun : {false, true}) {
        const RendererConfig config =
            configFor(rowRun, rowRun, rowRun, false, true, FontKind::Stock);
        ProbeGraphics graphics;
        win32::Win32ScreenBuffer screen;
        Renderer renderer(config, graphics, screen);
        CellByCellDrawer reference(config, graphics.stockFace, 0);
        renderer.snapshot(output);
        renderer.draw(false);
        EXPECT_EQ(difference(readPixels(bitmapOf(renderer.canvas())),
                             reference.draw(output, false, false), renderer.canvas().width()),
                  "")
            << (rowRun ? "row runs" : "cells");
    }
}

class RunsMatchCells : public ::testing::TestWithParam<RunCase> {};

// With ASCII the picture is the one the renderer made before; beyond it, each character drawn
// by itself at its cells.
TEST_P(RunsMatchCells, PixelForPixel) {
    const RunCase& p = GetParam();
    HANDLE output = environment->output;
    const RendererConfig config =
        configFor(p.ignoreFg, p.ignoreBg, p.ignoreStyle, p.invert, p.blackIsTransparent, p.font);
    ProbeGraphics graphics;
    prepare(graphics, p.font);
    win32::Win32ScreenBuffer screen;
    Renderer renderer(config, graphics, screen);  // sets the console's code page first
    CellByCellDrawer reference(config, graphics.stockFace, graphics.probe.extraWidth);

    struct Cursor {
        const char* where;
        int16_t x, y;
        bool focused;
    };
    const Cursor cursors[] = {{"inside a run", 10, 3, true},
                              {"at a row's start", 0, 7, true},
                              {"at a row's end", kColumns - 1, 9, true},
                              {"on a grey-on-black cell", 40, 12, true},
                              {"unfocused", 10, 3, false}};
    for (bool unicode : {false, true}) {
        clearConsole(output);
        fillVariedScreen(output, unicode);
        for (const Cursor& cursor : cursors) {
            SCOPED_TRACE(std::string(cursor.where) + (unicode ? ", Unicode" : ", ASCII"));
            setCursor(output, cursor.x, cursor.y);
            renderer.snapshot(output);
            renderer.draw(!cursor.focused);
            graphics.probe.textCalls = 0;
            renderer.draw(cursor.focused);  // the focus changed: a full repaint
            const int runCalls = graphics.probe.textCalls;
            const std::vector<uint32_t> cellByCell =
                reference.draw(output, cursor.focused, !unicode);
            const std::vector<uint32_t> runs = readPixels(bitmapOf(renderer.canvas()));
            EXPECT_EQ(difference(runs, cellByCell, renderer.canvas().width()), "");
            EXPECT_LT(runCalls, kColumns * kRows);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunsMatchCells,
    ::testing::Values(
        RunCase{"Default", false, false, false, false, false, FontKind::Stock},
        RunCase{"DefaultOtherStockFont", false, false, false, false, false, FontKind::StockOther},
        RunCase{"Inverted", false, false, false, true, false, FontKind::Stock},
        RunCase{"BlackIsTransparent", false, false, false, false, true, FontKind::Stock},
        RunCase{"InvertedBlackIsTransparent", false, false, false, true, true, FontKind::Stock},
        RunCase{"InvertedOtherStockFont", false, false, false, true, true, FontKind::StockOther},
        RunCase{"IgnoreForeground", true, false, false, false, true, FontKind::Stock},
        RunCase{"IgnoreBackground", false, true, false, false, true, FontKind::Stock},
        RunCase{"IgnoreColoursNotStyle", true, true, false, false, true, FontKind::Stock},
        RunCase{"IgnoreStyleAlone", false, false, true, true, false, FontKind::Stock},
        RunCase{"RowRun", true, true, true, false, true, FontKind::Stock},
        RunCase{"RowRunOtherStockFont", true, true, true, false, true, FontKind::StockOther},
        RunCase{"RowRunInverted", true, true, true, true, false, FontKind::Stock},
        RunCase{"MonospaceFont", false, false, false, false, true, FontKind::Monospace},
        RunCase{"BoldItalicFont", false, false, false, false, false, FontKind::Italic},
        RunCase{"ProportionalFont", false, false, false, false, false, FontKind::Proportional},
        RunCase{"UnevenCells", false, false, false, false, false, FontKind::UnevenCells},
        RunCase{"UnevenCellsInverted", false, false, false, true, true, FontKind::UnevenCells}),
    [](const auto& info) { return std::string(info.param.name); });

// One random change to the console: text, a typed character, a block, a cursor move (now and
// then out of the window), a scroll of the whole window; or a change of focus, or nothing.
// Returns true when the focus is to change.
bool randomEdit(HANDLE output, std::mt19937& random) {
    const auto below = [&](uint32_t n) { return int16_t(random() % n); };
    const auto cell = [&] {
        CHAR_INFO c;
        c.Char.UnicodeChar = randomCharacter(random, true);
        c.Attributes = WORD(random() % 256);
        return c;
    };
    switch (random() % 8) {
        case 0:
        case 1: {
            std::vector<CHAR_INFO> text(size_t(1 + random() % 12));
            for (CHAR_INFO& c : text)
                c = cell();
            if (text.size() > 2 && random() % 2)
                makeWide(&text[1], L'\u65E5');
            const int16_t x = below(uint32_t(kColumns - int(text.size()) + 1));
            writeCells(output, x, below(kRows), text, int16_t(text.size()));
            break;
        }
        case 2: {
            const char typed = char('a' + random() % 26);
            DWORD written = 0;
            WriteConsoleA(output, &typed, 1, &written, nullptr);
            break;
        }
        case 3: {
            const int16_t width = int16_t(1 + random() % 20);
            const int16_t height = int16_t(1 + random() % 6);
            std::vector<CHAR_INFO> block(size_t(width) * height);
            for (CHAR_INFO& c : block)
                c = cell();
            writeCells(output, below(uint32_t(kColumns - width + 1)),
                       below(uint32_t(kRows - height + 1)), block, width);
            break;
        }
        case 4:
            setCursor(output, below(kColumns), random() % 6 == 0 ? kRows + 1 : below(kRows));
            break;
        case 5: {
            const SMALL_RECT rows{0, 1, kColumns - 1, kRows - 1};
            CHAR_INFO fill = cell();
            ScrollConsoleScreenBufferW(output, &rows, nullptr, COORD{0, 0}, &fill);
            break;
        }
        case 6:
            return true;
        default:
            break;
    }
    return false;
}

struct EditCase {
    const char* name;
    bool rowRun, invert, blackIsTransparent;
    FontKind font;
};

class ChangedRows : public ::testing::TestWithParam<EditCase> {};

TEST_P(ChangedRows, MatchAFullRepaintAfterEveryEdit) {
    const EditCase& p = GetParam();
    HANDLE output = environment->output;
    const RendererConfig config =
        configFor(p.rowRun, p.rowRun, p.rowRun, p.invert, p.blackIsTransparent, p.font);
    ProbeGraphics graphics;
    prepare(graphics, p.font);
    win32::Win32ScreenBuffer screen;
    Renderer changedRows(config, graphics, screen);
    Renderer full(config, graphics, screen);
    clearConsole(output);
    setCursor(output, 5, 5);

    bool focused = true;
    changedRows.snapshot(output);
    changedRows.draw(focused);
    // As the update cycle does: draw after a change or a change of focus.
    auto compare = [&](bool focusChanges) {
        focused = focused != focusChanges;
        if (changedRows.snapshot(output) || focusChanges)
            changedRows.draw(focused);
        full.snapshot(output);
        full.draw(!focused);
        full.draw(focused);
        return difference(readPixels(bitmapOf(changedRows.canvas())),
                          readPixels(bitmapOf(full.canvas())), full.canvas().width());
    };
    // First, on a blank screen, each glyph beyond ASCII between two letters that change in turn:
    // a glyph that inks into its neighbour (some do beyond their outline boxes) must not be cut
    // by the neighbour's repaint.
    for (WCHAR glyph : kBeyondAscii) {
        for (const wchar_t* text : {L"a?b", L"c?b", L"c?d"}) {
            std::vector<CHAR_INFO> cells(3);
            for (size_t i = 0; i < 3; ++i) {
                cells[i].Char.UnicodeChar = text[i] == L'?' ? glyph : text[i];
                cells[i].Attributes = 0x07;
            }
            writeCells(output, 40, 20, cells, 3);
            ASSERT_EQ(compare(false), "")
                << "U+" << std::hex << unsigned(glyph) << ", " << std::string(text, text + 3);
        }
    }
    fillVariedScreen(output, true);
    ASSERT_EQ(compare(false), "");
    std::mt19937 random(11);
    for (int step = 0; step < 60; ++step)
        ASSERT_EQ(compare(randomEdit(output, random)), "") << "after edit " << step;
    EXPECT_GT(graphics.probe.bandClears, 15);  // most edits repainted only their rows
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChangedRows,
    ::testing::Values(EditCase{"RowRun", true, false, true, FontKind::Stock},
                      EditCase{"RowRunOtherStockFont", true, false, true, FontKind::StockOther},
                      EditCase{"PerCell", false, false, true, FontKind::Stock},
                      EditCase{"PerCellOtherStockFont", false, false, true, FontKind::StockOther},
                      EditCase{"PerCellInvertedOpaque", false, true, false, FontKind::Stock},
                      EditCase{"BoldItalicFont", false, false, true, FontKind::Italic},
                      EditCase{"UnevenCells", false, false, false, FontKind::UnevenCells}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tideglass::e2e
