#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "render_fixture.h"

namespace tideglass::testing {
namespace {

using fakes::FakeTextOut;

bool logHas(const std::vector<std::string>& log, const std::string& entry) {
    return std::find(log.begin(), log.end(), entry) != log.end();
}
size_t logIndex(const std::vector<std::string>& log, const std::string& entry) {
    return size_t(std::find(log.begin(), log.end(), entry) - log.begin());
}

// ---- Set-up ----------------------------------------------------------------------------------

TEST_F(RendererTest, BitmapIsMarginsPlusMeasuredText) {
    graphics->extentPerChar[u'X'] = {8, 12};
    build();
    ASSERT_EQ(graphics->canvases.size(), 2u);
    EXPECT_EQ(graphics->canvases[0]->width, 128);  // the scratch canvas measures the font
    EXPECT_EQ(graphics->canvases[0]->measured,
              std::vector<std::u16string>{std::u16string(80, u'X')});
    EXPECT_TRUE(graphics->canvases[0]->released);
    EXPECT_EQ(renderer->canvas().width(), 656u);
    EXPECT_EQ(renderer->canvas().height(), 316u);
}

TEST_F(RendererTest, ColumnsAndRowsBelowOneAreDrawnAsOne) {
    config.columns = 0;
    config.rows = -4;
    build();
    EXPECT_EQ(graphics->canvases[0]->measured[0], u"X");
    EXPECT_EQ(overlay().width, 8 + 8 + 8);
    EXPECT_EQ(overlay().height, 8 + 8 + 12);
    screen.write(0, 0, u"Q");
    ASSERT_TRUE(renderer->snapshot(output));
    const auto texts = drawn(false);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"Q");
}

struct CodePageCase {
    const char* face;
    uint8_t charSet;
    std::vector<uint32_t> codePages;
    bool stock;
};

class CodePageByFont : public RendererTest, public ::testing::WithParamInterface<CodePageCase> {};

TEST_P(CodePageByFont, ConsoleDeliversTheFontsCodePage) {
    const CodePageCase& p = GetParam();
    std::strncpy(config.font.faceName, p.face, sizeof config.font.faceName - 1);
    config.font.charSet = p.charSet;
    build();
    EXPECT_EQ(screen.codePages, p.codePages);
    EXPECT_EQ(graphics->stockFontsTaken, p.stock ? 1 : 0);
    EXPECT_EQ(graphics->fontsCreated.size(), p.stock ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CodePageByFont,
    ::testing::Values(CodePageCase{"", 0, {ScriptedScreen::kOem}, true},
                      CodePageCase{"", 255, {ScriptedScreen::kOem}, true},
                      CodePageCase{"Terminal", 255, {ScriptedScreen::kOem}, false},
                      CodePageCase{"Lucida Console", 0, {ScriptedScreen::kAnsi}, false},
                      CodePageCase{"Courier New", 204, {ScriptedScreen::kAnsi}, false}));

// A font that can never give an overlay of the allowed size is not made at all; one whose cells
// measure nothing or too much is dropped. Both are drawn as the stock font, in its code page.
struct FontFallbackCase {
    int32_t height;
    int32_t width;
    TextExtent measured;  // of each character in the chosen font
    size_t created;
    bool stock;
};

class FontFallback : public RendererTest, public ::testing::WithParamInterface<FontFallbackCase> {};

TEST_P(FontFallback, UnusableFontIsDrawnAsTheStockFont) {
    const FontFallbackCase& p = GetParam();
    std::strcpy(config.font.faceName, "Courier New");
    config.font.height = p.height;
    config.font.width = p.width;
    graphics->extentPerFont["Courier New"] = p.measured;
    build();
    EXPECT_EQ(graphics->fontsCreated.size(), p.created);
    EXPECT_EQ(graphics->stockFontsTaken, p.stock ? 1 : 0);
    EXPECT_EQ(screen.codePages.back(), p.stock ? ScriptedScreen::kOem : ScriptedScreen::kAnsi);
    const int32_t cellWidth = p.stock ? 8 : p.measured.width;
    EXPECT_EQ(overlay().width, 16 + 80 * cellWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FontFallback,
    ::testing::Values(FontFallbackCase{-12, 0, {9, 14}, 1, false},
                      FontFallbackCase{-1000, 0, {600, 1150}, 0, true},
                      FontFallbackCase{-655, 0, {400, 655}, 0, true},  // 25 rows pass 16384
                      FontFallbackCase{-12, INT32_MIN, {9, 14}, 0, true},
                      FontFallbackCase{-12, 205, {205, 14}, 0, true},  // 80 columns pass it
                      FontFallbackCase{-600, 0, {360, 700}, 1, true},  // measures too high
                      FontFallbackCase{-12, 0, {0, 14}, 1, true},
                      FontFallbackCase{-12, 0, {9, -1000}, 1, true}),
    [](const auto& info) { return "Row" + std::to_string(info.index); });

// The renderer in use goes on reading the console; a replacement that fails must not change it.
TEST_F(RendererTest, RendererThatCannotBeBuiltLeavesTheCodePageAlone) {
    std::strcpy(config.font.faceName, "Courier New");
    graphics->failCanvas = true;
    EXPECT_THROW(build(), std::runtime_error);
    EXPECT_TRUE(screen.codePages.empty());
}

TEST_F(RendererTest, FontThatCannotBeCreatedLeavesTheContextsFont) {
    std::strcpy(config.font.faceName, "Missing");
    graphics->failFont = true;
    build();
    screen.write(0, 0, u"x");
    ASSERT_TRUE(renderer->snapshot(output));
    const auto texts = drawn(false);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].font, "");
}

TEST_F(RendererTest, OverlayThatCannotBeCreatedThrowsAndReleasesTheFont) {
    std::strcpy(config.font.faceName, "Lucida Console");
    graphics->failCanvasFromIndex = 1;  // the scratch canvas works, the overlay does not
    EXPECT_THROW(build(), std::runtime_error);
    EXPECT_TRUE(logHas(graphics->log, "release font Lucida Console"));
    EXPECT_TRUE(graphics->canvases[0]->released);
    EXPECT_TRUE(graphics->canvases[1]->released);
}

TEST_F(RendererTest, SizesThatCannotBeBuiltThrowWithoutLeaking) {
    std::strcpy(config.font.faceName, "Lucida Console");
    graphics->defaultExtent = {8, 100000000};  // 25 rows of it do not fit in 32 bits
    EXPECT_THROW(build(), std::runtime_error);
    EXPECT_TRUE(logHas(graphics->log, "release font Lucida Console"));
    config = defaultConfig();
    graphics->defaultExtent = {8, 12};
    config.columns = 65536;
    config.rows = 65536;
    EXPECT_THROW(build(), std::length_error);
}

TEST_F(RendererTest, UnmeasurableFontLeavesOnlyTheMargins) {
    graphics->failTextContext = true;
    build();
    EXPECT_EQ(overlay().width, 16);
    EXPECT_EQ(overlay().height, 16);
    screen.write(0, 0, u"x");
    ASSERT_TRUE(renderer->snapshot(output));
    renderer->draw(true);  // no device context: the clear is all there is
    EXPECT_EQ(overlay().clears.size(), 1u);
    EXPECT_TRUE(overlay().texts.empty());
}

TEST_F(RendererTest, DestroyReleasesFontBeforeCanvas) {
    build();
    graphics->log.clear();
    renderer.reset();
    ASSERT_EQ(graphics->log.size(), 2u);
    EXPECT_LT(logIndex(graphics->log, "release font stock"),
              logIndex(graphics->log, "release canvas 656x316"));
}

// ---- Draw ------------------------------------------------------------------------------------

TEST_F(RendererTest, BlankRendererOnlyClears) {
    build();
    renderer->draw(true);
    EXPECT_EQ(overlay().clears, std::vector<uint32_t>{0x80000000});
    EXPECT_TRUE(overlay().texts.empty());
    EXPECT_EQ(overlay().textContextsOpened, 0);
}

TEST_F(RendererTest, ClearColorIsArgbWithVisibleAlphaAndNeverInverted) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0x00000000, 0x01000000}, {0x40FF8000, 0x400080FF}, {0xFF0000FF, 0xFFFF0000}};
    for (const auto& [background, argb] : cases) {
        for (bool invert : {false, true}) {
            config.backgroundColor = background;
            config.invertColors = invert;
            build();
            renderer->draw(false);
            EXPECT_EQ(overlay().clears.back(), argb) << std::hex << background;
        }
    }
}

// The widget's own line over the console's last row, a character to a cell, until it is cleared;
// a new line or none repaints the whole canvas.
TEST_F(RendererTest, NoticeIsDrawnOverTheLastRowUntilCleared) {
    build();
    screen.write(0, 0, u"C:\\>");
    ASSERT_TRUE(renderer->snapshot(output));
    drawn(false);
    EXPECT_TRUE(renderer->setNotice(u"Next start in 4 s"));
    EXPECT_FALSE(renderer->setNotice(u"Next start in 4 s"));
    auto texts = drawn(false);
    ASSERT_EQ(texts.size(), 26u) << "every row, then the notice";
    EXPECT_EQ(texts.back().text, u"Next start in 4 s");
    EXPECT_EQ(texts.back().y, 8 + 12 * 24);
    EXPECT_EQ(texts.back().advances, std::vector<int32_t>(17, 8));
    EXPECT_EQ(texts.back().mode, BackgroundMode::Opaque);
    EXPECT_TRUE(renderer->setNotice(u""));
    texts = drawn(false);
    ASSERT_EQ(texts.size(), 25u);
    EXPECT_EQ(texts.back().text, std::u16string(80, u' '));
}

TEST_F(RendererTest, RowRunDrawsWholeRowsAndTheDefaultCursor) {
    build();
    screen.write(0, 0, u"C:\\>dir");
    screen.screen.cursorX = 7;
    ASSERT_TRUE(renderer->snapshot(output));
    const auto texts = drawn(true);
    ASSERT_EQ(texts.size(), 26u);
    for (int r = 0; r < 25; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(texts[r].x, 8);
        EXPECT_EQ(texts[r].y, 8 + 12 * r);
        EXPECT_EQ(texts[r].text.size(), 80u);
        EXPECT_EQ(texts[r].textColor, 0xE0E0E0u);
        EXPECT_EQ(texts[r].mode, BackgroundMode::Transparent);
        EXPECT_EQ(texts[r].font, "stock");
        EXPECT_EQ(texts[r].align, 0u);
    }
    EXPECT_EQ(texts[0].text.substr(0, 8), u"C:\\>dir ");
    const FakeTextOut& cursor = texts[25];
    EXPECT_EQ(cursor.x, 8 + 7 * 8);
    EXPECT_EQ(cursor.y, 8);
    EXPECT_EQ(cursor.text, u" ");
    EXPECT_EQ(cursor.textColor, 0x1F1F1Fu);
    EXPECT_EQ(cursor.backgroundColor, 0xFFFFFFu);
    EXPECT_EQ(cursor.mode, BackgroundMode::Opaque);
}

struct CursorCase {
    const char* name;
    bool focused;
    int16_t x, y;
};

class NoCursor : public RendererTest, public ::testing::WithParamInterface<CursorCase> {};

TEST_P(NoCursor, InEitherMode) {
    for (bool rowRun : {true, false}) {
        config.ignoreStyle = rowRun;
        build();
        screen.screen.cursorX = GetParam().x;
        screen.screen.cursorY = GetParam().y;
        screen.write(0, 0, u"x");
        renderer->snapshot(output);
        const auto texts = drawnCells(GetParam().focused);
        ASSERT_EQ(texts.size(), rowRun ? 25u : 2000u);
        for (const FakeTextOut& t : texts) {
            EXPECT_EQ(t.mode, BackgroundMode::Transparent) << "at " << t.x << "," << t.y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, NoCursor,
                         ::testing::Values(CursorCase{"NotFocused", false, 3, 3},
                                           CursorCase{"BelowWindow", true, 3, 25},
                                           CursorCase{"RightOfWindow", true, 80, 0},
                                           CursorCase{"LeftOfWindow", true, -1, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RendererTest, PerCellOnlyCursorCellIsOpaqueWhenColorsAreIgnored) {
    config.ignoreStyle = false;
    build();
    screen.attributeAt(5, 2) = 0x1E;
    screen.screen.cursorX = 5;
    screen.screen.cursorY = 2;
    ASSERT_TRUE(renderer->snapshot(output));
    const auto texts = drawnCells(true);
    ASSERT_EQ(texts.size(), 2000u);
    for (size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i].text.size(), 1u);
        EXPECT_EQ(texts[i].textColor, 0xE0E0E0u);
        EXPECT_EQ(texts[i].x, 8 + 8 * int(i % 80));
        EXPECT_EQ(texts[i].y, 8 + 12 * int(i / 80));
        if (i == 2 * 80 + 5) {
            EXPECT_EQ(texts[i].mode, BackgroundMode::Opaque);
            EXPECT_EQ(texts[i].backgroundColor, 0x00FFFFu);  // from ~0x1E
        } else {
            EXPECT_EQ(texts[i].mode, BackgroundMode::Transparent);
        }
    }
}

TEST_F(RendererTest, PerCellTakesColorsFromAttributes) {
    config.ignoreFgColors = config.ignoreBgColors = config.ignoreStyle = false;
    build();
    screen.attributeAt(0, 0) = 0x1E;    // yellow on blue
    screen.attributeAt(1, 0) = 0x07;    // grey on black: transparent
    screen.attributeAt(2, 0) = 0x8007;  // underscore bit: drawn as 0x07
    screen.attributeAt(3, 0) = 0x80;    // background intensity alone is black
    screen.write(0, 0, u"abcd");
    screen.screen.cursorX = 1;
    ASSERT_TRUE(renderer->snapshot(output));
    auto texts = drawnCells(false);
    EXPECT_EQ(texts[0].textColor, 0x00FFFFu);
    EXPECT_EQ(texts[0].mode, BackgroundMode::Opaque);
    EXPECT_EQ(texts[0].backgroundColor, 0xB00000u);
    for (int i : {1, 2, 3}) {
        EXPECT_EQ(texts[i].textColor, i == 3 ? 0u : 0xB0B0B0u) << i;
        EXPECT_EQ(texts[i].mode, BackgroundMode::Transparent) << i;
    }
    // Focused: the cursor cell (1, 0) is reversed and opaque; the next cell is transparent again.
    texts = drawnCells(true);
    EXPECT_EQ(texts[1].textColor, 0x000000u);
    EXPECT_EQ(texts[1].backgroundColor, 0xFFFFFFu);
    EXPECT_EQ(texts[1].mode, BackgroundMode::Opaque);
    EXPECT_EQ(texts[2].mode, BackgroundMode::Transparent);
}

// A wide character is one glyph over its two cells, in either mode; each character is measured
// once, whatever the number of draws.
TEST_F(RendererTest, WideCharacterTakesBothCellsAsOneGlyph) {
    for (bool rowRun : {true, false}) {
        SCOPED_TRACE(rowRun);
        config.ignoreStyle = rowRun;
        build();
        graphics->measuredGlyphs.clear();
        screen.write(0, 0,
                     u"a\u65E5\xFFFF"
                     u"b");
        screen.attributeAt(1, 0) = 0x0107;  // leading and trailing halves
        screen.attributeAt(2, 0) = 0x0207;
        ASSERT_TRUE(renderer->snapshot(output));
        const auto texts = drawn(false);
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0].text.substr(0, 4), u"a\u65E5b ");
        EXPECT_EQ(std::vector<int32_t>(texts[0].advances.begin(), texts[0].advances.begin() + 3),
                  std::vector<int32_t>({8, 16, 8}));
        EXPECT_EQ(texts[0].text.size(), 79u);
        drawn(true);
        std::u16string measured = graphics->measuredGlyphs;
        std::sort(measured.begin(), measured.end());
        EXPECT_EQ(measured, u" ab\u65E5");
    }
}

// On an opaque background a run goes on past a cell only when the cell's box is the cell and
// its ink stays in it; every run is clipped to its row's band.
TEST_F(RendererTest, OpaqueRunEndsAtACellWhoseDrawingLeavesIt) {
    config.ignoreFgColors = config.ignoreBgColors = config.ignoreStyle = false;
    graphics->glyphs[u'W'] = {8, 0, 9};  // ink one pixel into the next cell
    graphics->glyphs[u'i'] = {6, 1, 4};  // a box narrower than the cell
    for (int16_t x = 0; x < 6; ++x)
        screen.attributeAt(x, 1) = 0x1F;
    build();
    screen.write(0, 1, u"aWbicd");
    screen.screen.cursorY = 5;
    ASSERT_TRUE(renderer->snapshot(output));
    const auto texts = drawn(false);
    ASSERT_GE(texts.size(), 5u);
    std::vector<std::u16string> runs;
    for (const FakeTextOut& t : texts) {
        EXPECT_EQ(std::vector<int32_t>({t.clip.left, t.clip.top, t.clip.right, t.clip.bottom}),
                  std::vector<int32_t>({0, t.y, 656, t.y + 12}));
        if (t.y == 8 + 12)
            runs.push_back(t.text);
    }
    EXPECT_EQ(runs, std::vector<std::u16string>({u"aW", u"bi", u"cd", std::u16string(74, u' ')}));
    EXPECT_TRUE(texts[2].advances.empty());  // "bi" by the font's own advances: i's box its own
}

// After a draw, a change of a few rows repaints just their changed cells, or their whole bands
// when a glyph in the row reaches into the next cell; the focus or most of the rows bring back
// the full repaint.
struct RepaintCase {
    const char* name;
    bool rowRun;
    int changedRows;  // rows 0, 2, 4, ... get new text
    bool focusChanges;
    bool wideGlyph;  // the changed rows hold a glyph that reaches into the next cell
    bool full;
};

class Repaint : public RendererTest, public ::testing::WithParamInterface<RepaintCase> {};

TEST_P(Repaint, OnlyTheChangedRowsUnlessMuchChanged) {
    const RepaintCase& p = GetParam();
    config.ignoreStyle = p.rowRun;
    graphics->glyphs[u'~'] = {8, 0, 9};
    build();
    screen.write(0, 0, u"first");
    for (int i = 0; i < p.changedRows && p.wideGlyph; ++i)
        screen.write(40, int16_t(2 * i), u"~");
    ASSERT_TRUE(renderer->snapshot(output));
    renderer->draw(true);
    overlay().clears.clear();
    for (int i = 0; i < p.changedRows; ++i)
        screen.write(0, int16_t(2 * i), u"changed");
    ASSERT_TRUE(renderer->snapshot(output));
    const auto texts = drawn(!p.focusChanges);
    if (p.full) {
        EXPECT_EQ(overlay().clears, std::vector<uint32_t>{0x80000000});
        EXPECT_TRUE(overlay().rectClears.empty());
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                                [](const FakeTextOut& t) { return t.y == 8 + 24 * 12; }));
        return;
    }
    EXPECT_TRUE(overlay().clears.empty());
    ASSERT_EQ(overlay().rectClears.size(), size_t(p.changedRows));
    for (int i = 0; i < p.changedRows; ++i) {
        // "first" became "changed": columns 0 to 6 and the one after (a wide character's other
        // half may lie there), or the whole band.
        const fakes::FakeRectClear& area = overlay().rectClears[size_t(i)];
        EXPECT_EQ(area.x, p.wideGlyph ? 0 : 8);
        EXPECT_EQ(area.y, 8 + 24 * i);
        EXPECT_EQ(area.width, p.wideGlyph ? 656 : 8 * 8);
        EXPECT_EQ(area.height, 12);
        EXPECT_EQ(area.argb, 0x80000000u);
        const fakes::FakeRectClear& opened = overlay().areas.at(size_t(i));
        EXPECT_EQ(std::vector<int32_t>({opened.x, opened.y, opened.width, opened.height}),
                  std::vector<int32_t>({area.x, area.y, area.width, area.height}));
    }
    for (const FakeTextOut& t : texts) {
        EXPECT_EQ((t.y - 8) % 24, 0) << "a row that did not change was drawn at y " << t.y;
        if (!p.wideGlyph) {
            EXPECT_LT(t.x, 8 + 8 * 8) << "an unchanged cell was drawn at x " << t.x;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Repaint,
    ::testing::Values(RepaintCase{"OneRowRowRun", true, 1, false, false, false},
                      RepaintCase{"OneRowPerCell", false, 1, false, false, false},
                      RepaintCase{"HalfTheRows", false, 12, false, false, false},
                      RepaintCase{"GlyphIntoTheNextCell", false, 2, false, true, false},
                      RepaintCase{"GlyphIntoTheNextCellRowRun", true, 1, false, true, false},
                      RepaintCase{"MostRows", true, 13, false, false, true},
                      RepaintCase{"FocusChange", true, 1, true, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tideglass::testing
