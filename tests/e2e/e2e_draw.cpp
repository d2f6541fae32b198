// The overlay drawn with the real console, GDI and GDI+ compared pixel for pixel: cells drawn in
// runs against each cell drawn by itself, and repaints of the changed rows against full repaints
// after random edits of the console.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

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

// Each cell by itself, one text call per cell with its colour calls, as the renderer drew before
// it drew in runs; this is the picture the renderer must still make.
class CellByCellDrawer {
public:
    CellByCellDrawer(const RendererConfig& config, Graphics& graphics) : c_(config) {
        c_.backgroundColor = withVisibleAlpha(c_.backgroundColor);
        font_ = c_.font.hasFaceName() ? graphics.createFont(c_.font) : graphics.stockOemFixedFont();
        std::unique_ptr<Canvas> scratch =
            graphics.createCanvas(kScratchCanvasSize, kScratchCanvasSize);
        std::unique_ptr<TextContext> text = scratch->openText();
        text->selectFont(*font_);
        const TextExtent extent = text->measure(std::u16string(size_t(c_.columns), u'X'));
        text.reset();
        layout_ = computeLayout(c_, c_.rows, extent.width, extent.height);
        canvas_ = graphics.createCanvas(layout_.bitmapWidth, layout_.bitmapHeight);
    }

    // The console window as it is now, drawn in full.
    std::vector<uint32_t> draw(HANDLE output, bool focused) {
        std::vector<CHAR_INFO> cells(size_t(c_.columns) * c_.rows);
        CONSOLE_SCREEN_BUFFER_INFO info;
        GetConsoleScreenBufferInfo(output, &info);
        SMALL_RECT window = info.srWindow;
        ReadConsoleOutputA(output, cells.data(), COORD{SHORT(c_.columns), SHORT(c_.rows)},
                           COORD{0, 0}, &window);
        const int cursorColumn = info.dwCursorPosition.X - info.srWindow.Left;
        const int cursorRow = info.dwCursorPosition.Y - info.srWindow.Top;

        canvas_->clear(clearColorArgb(c_.backgroundColor));
        std::unique_ptr<TextContext> text = canvas_->openText();
        text->selectFont(*font_);
        text->setTextAlign(0);
        text->setBackgroundMode(BackgroundMode::Transparent);
        const ColorPair base = baseColors(c_);
        text->setTextColor(base.text);
        text->setBackgroundColor(base.background);
        const float width = cellWidth(layout_.textWidth, c_.columns);
        const float height = cellHeight(layout_.textHeight, c_.rows);
        for (int r = 0; r < c_.rows; ++r) {
            for (int col = 0; col < c_.columns; ++col) {
                const CHAR_INFO& cell = cells[size_t(r) * c_.columns + col];
                const bool cursorCell = focused && r == cursorRow && col == cursorColumn;
                const CellPaint paint = paintCell(c_, cell.Attributes, cursorCell);
                if (paint.setsTextColor)
                    text->setTextColor(paint.textColor);
                if (paint.background == CellBackground::Transparent) {
                    text->setBackgroundMode(BackgroundMode::Transparent);
                } else if (paint.background == CellBackground::Opaque) {
                    text->setBackgroundMode(BackgroundMode::Opaque);
                    text->setBackgroundColor(paint.backgroundColor);
                }
                text->textOut(cellOffset(layout_.originX, col, width),
                              cellOffset(layout_.originY, r, height), &cell.Char.AsciiChar, 1);
                if (cursorCell)
                    text->setBackgroundMode(BackgroundMode::Transparent);
            }
        }
        text.reset();
        return readPixels(bitmapOf(*canvas_));
    }

private:
    RendererConfig c_;
    std::unique_ptr<Font> font_;
    Layout layout_;
    std::unique_ptr<Canvas> canvas_;
};

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
    WriteConsoleOutputA(output, cells.data(), COORD{width, height}, COORD{0, 0}, &area);
}

// Words of every attribute (the bits above the low byte too), printable and high bytes among
// them and glyphs that may reach past their cell; a long run in row 3, grey on black in row 12.
void fillVariedScreen(HANDLE output) {
    std::vector<CHAR_INFO> cells(size_t(kColumns) * kRows);
    std::mt19937 random(7);
    WORD attribute = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (random() % 4 == 0)
            attribute = WORD((attribute + 37) & 0xFF) | (random() % 8 == 0 ? 0x8000 : 0);
        const char* kSample = "Wm@%#MQ Tideglass ~|_ ";
        const uint32_t pick = random() % 10;
        cells[i].Char.AsciiChar = pick < 6   ? kSample[random() % std::strlen(kSample)]
                                  : pick < 8 ? char(0x80 + random() % 0x80)
                                             : char('!' + random() % 90);
        cells[i].Attributes = attribute;
    }
    for (int col = 2; col <= 20; ++col)
        cells[3 * kColumns + col].Attributes = 0x1E;
    for (int col = 30; col <= 50; ++col)
        cells[12 * kColumns + col].Attributes = 0x07;
    writeCells(output, 0, 0, cells, kColumns);
}

enum class FontKind { Stock, Monospace, Italic, Proportional, UnevenCells };

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

class RunsMatchCells : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunsMatchCells, PixelForPixel) {
    const RunCase& p = GetParam();
    HANDLE output = environment->output;
    const RendererConfig config =
        configFor(p.ignoreFg, p.ignoreBg, p.ignoreStyle, p.invert, p.blackIsTransparent, p.font);
    ProbeGraphics graphics;
    // Half a pixel more per cell: cell widths alternate between two sizes.
    graphics.probe.extraWidth = p.font == FontKind::UnevenCells ? kColumns / 2 : 0;
    win32::Win32ScreenBuffer screen;
    Renderer renderer(config, graphics, screen);  // sets the console's code page first
    CellByCellDrawer reference(config, graphics);
    clearConsole(output);
    fillVariedScreen(output);

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
    for (const Cursor& cursor : cursors) {
        SCOPED_TRACE(cursor.where);
        setCursor(output, cursor.x, cursor.y);
        renderer.snapshot(output);
        renderer.draw(!cursor.focused);
        graphics.probe.textCalls = 0;
        renderer.draw(cursor.focused);  // the focus changed: a full repaint
        const int runCalls = graphics.probe.textCalls;
        const std::vector<uint32_t> cellByCell = reference.draw(output, cursor.focused);
        const std::vector<uint32_t> runs = readPixels(bitmapOf(renderer.canvas()));
        EXPECT_EQ(difference(runs, cellByCell, renderer.canvas().width()), "");
        EXPECT_LT(runCalls, kColumns * kRows);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, RunsMatchCells,
    ::testing::Values(
        RunCase{"Default", false, false, false, false, false, FontKind::Stock},
        RunCase{"Inverted", false, false, false, true, false, FontKind::Stock},
        RunCase{"BlackIsTransparent", false, false, false, false, true, FontKind::Stock},
        RunCase{"InvertedBlackIsTransparent", false, false, false, true, true, FontKind::Stock},
        RunCase{"IgnoreForeground", true, false, false, false, true, FontKind::Stock},
        RunCase{"IgnoreBackground", false, true, false, false, true, FontKind::Stock},
        RunCase{"IgnoreColoursNotStyle", true, true, false, false, true, FontKind::Stock},
        RunCase{"IgnoreStyleAlone", false, false, true, true, false, FontKind::Stock},
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
        c.Char.AsciiChar = char('!' + random() % 94);
        c.Attributes = WORD(random() % 256);
        return c;
    };
    switch (random() % 8) {
        case 0:
        case 1: {
            std::vector<CHAR_INFO> text(size_t(1 + random() % 12));
            for (CHAR_INFO& c : text)
                c = cell();
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
            ScrollConsoleScreenBufferA(output, &rows, nullptr, COORD{0, 0}, &fill);
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
    graphics.probe.extraWidth = p.font == FontKind::UnevenCells ? kColumns / 2 : 0;
    win32::Win32ScreenBuffer screen;
    Renderer changedRows(config, graphics, screen);
    Renderer full(config, graphics, screen);
    clearConsole(output);
    fillVariedScreen(output);
    setCursor(output, 5, 5);

    std::mt19937 random(11);
    bool focused = true;
    changedRows.snapshot(output);
    changedRows.draw(focused);
    for (int step = 0; step < 60; ++step) {
        const bool focusChanges = randomEdit(output, random);
        focused = focused != focusChanges;
        // As the update cycle does: draw after a change or a change of focus.
        if (changedRows.snapshot(output) || focusChanges)
            changedRows.draw(focused);
        full.snapshot(output);
        full.draw(!focused);
        full.draw(focused);
        ASSERT_EQ(difference(readPixels(bitmapOf(changedRows.canvas())),
                             readPixels(bitmapOf(full.canvas())), full.canvas().width()),
                  "")
            << "after edit " << step;
    }
    EXPECT_GT(graphics.probe.bandClears, 15);  // most edits repainted only their rows
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChangedRows,
    ::testing::Values(EditCase{"RowRun", true, false, true, FontKind::Stock},
                      EditCase{"PerCell", false, false, true, FontKind::Stock},
                      EditCase{"PerCellInvertedOpaque", false, true, false, FontKind::Stock},
                      EditCase{"BoldItalicFont", false, false, true, FontKind::Italic},
                      EditCase{"UnevenCells", false, false, false, FontKind::UnevenCells}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tideglass::e2e
