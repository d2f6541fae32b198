#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

#include "render/colors.h"

namespace tideglass {
namespace {

struct AttributeCase {
    uint16_t attribute;
    bool invert;
    uint32_t text;
    uint32_t background;
};

class AttributeColors : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(AttributeColors, FormChannelsFromTheLowByte) {
    const AttributeCase& c = GetParam();
    const uint8_t bits = effectiveAttribute(c.attribute, c.invert);
    EXPECT_EQ(foregroundColor(bits), c.text)
        << std::hex << "attribute 0x" << c.attribute << " invert " << c.invert;
    EXPECT_EQ(backgroundColor(bits), c.background)
        << std::hex << "attribute 0x" << c.attribute << " invert " << c.invert;
}

INSTANTIATE_TEST_SUITE_P(
    Table, AttributeColors,
    ::testing::Values(AttributeCase{0x07, false, 0xB0B0B0, 0x000000},
                      AttributeCase{0x07, true, 0x000000, 0xFFFFFF},   // ~0x07 = 0xF8
                      AttributeCase{0x80, false, 0x000000, 0x000000},  // intensity alone: black
                      AttributeCase{0x80, true, 0xFFFFFF, 0xB0B0B0},
                      AttributeCase{0x08, false, 0x000000, 0x000000},
                      AttributeCase{0x0F, false, 0xFFFFFF, 0x000000},
                      AttributeCase{0x01, false, 0xB00000, 0x000000},  // blue is the high byte
                      AttributeCase{0x02, false, 0x00B000, 0x000000},
                      AttributeCase{0x04, false, 0x0000B0, 0x000000},
                      AttributeCase{0x09, false, 0xFF0000, 0x000000},
                      AttributeCase{0x0C, false, 0x0000FF, 0x000000},
                      AttributeCase{0x10, false, 0x000000, 0xB00000},
                      AttributeCase{0x20, false, 0x000000, 0x00B000},
                      AttributeCase{0x40, false, 0x000000, 0x0000B0},
                      AttributeCase{0xC0, false, 0x000000, 0x0000FF},
                      AttributeCase{0xF0, false, 0x000000, 0xFFFFFF},
                      // underscore, reverse video, grid lines: never drawn
                      AttributeCase{0x8007, false, 0xB0B0B0, 0x000000},
                      AttributeCase{0x4F07, true, 0x000000, 0xFFFFFF},
                      AttributeCase{0xFF00, false, 0x000000, 0x000000}));

TEST(ClearColor, MovesChannelsToArgbOrderAndKeepsAlpha) {
    EXPECT_EQ(clearColorArgb(0x40FF8000), 0x400080FFu);
    EXPECT_EQ(clearColorArgb(0x80000000), 0x80000000u);
    EXPECT_EQ(clearColorArgb(0xFF0000FF), 0xFFFF0000u);
}

TEST(ClearColor, AlphaZeroBecomesOne) {
    EXPECT_EQ(withVisibleAlpha(0x00000000), 0x01000000u);
    EXPECT_EQ(withVisibleAlpha(0x00FFFFFF), 0x01FFFFFFu);
    EXPECT_EQ(withVisibleAlpha(0x01000000), 0x01000000u);
    EXPECT_EQ(withVisibleAlpha(0xFF123456), 0xFF123456u);
}

TEST(BaseColors, DefaultsAndTheirOpposites) {
    RendererConfig c;
    c.textColor = 0xFFE0E0E0;
    c.backgroundColor = 0x80000000;
    EXPECT_EQ(baseColors(c).text, 0xE0E0E0u);
    EXPECT_EQ(baseColors(c).background, 0x000000u);
    // The default cursor: a 0x1F1F1F character on a white cell.
    EXPECT_EQ(rowRunCursorColors(c).text, 0x1F1F1Fu);
    EXPECT_EQ(rowRunCursorColors(c).background, 0xFFFFFFu);
    c.invertColors = true;
    EXPECT_EQ(baseColors(c).text, 0x1F1F1Fu);
    EXPECT_EQ(baseColors(c).background, 0xFFFFFFu);
    EXPECT_EQ(rowRunCursorColors(c).text, 0xE0E0E0u);
    EXPECT_EQ(rowRunCursorColors(c).background, 0x000000u);
}

// ---- The ignore-switch table: attribute 0x1E is yellow text (0x00FFFF) on blue (0xB00000);
// inverted (0xE1) it is blue text (0xB00000) on yellow (0x00FFFF). -------------------------

constexpr uint16_t kYellowOnBlue = 0x1E;
constexpr int kKeep = -1;  // the cell leaves the text colour alone

struct ModeCase {
    const char* name;
    bool ignoreFg, ignoreBg, ignoreStyle;
    bool rowRun;
    int cellText;
    CellBackground cellBackground;
    uint32_t cellBackgroundColor;
    int cursorText;
    uint32_t cursorBackgroundColor;  // the cursor cell is always opaque
};

class IgnoreSwitchTable : public ::testing::TestWithParam<ModeCase> {};

TEST_P(IgnoreSwitchTable, DecidesModeCellAndCursorColors) {
    const ModeCase& m = GetParam();
    RendererConfig c;
    c.ignoreFgColors = m.ignoreFg;
    c.ignoreBgColors = m.ignoreBg;
    c.ignoreStyle = m.ignoreStyle;
    EXPECT_EQ(rowRunMode(c), m.rowRun);
    if (m.rowRun)
        return;

    const CellPaint cell = paintCell(c, kYellowOnBlue, false);
    EXPECT_EQ(cell.setsTextColor, m.cellText != kKeep);
    if (m.cellText != kKeep) {
        EXPECT_EQ(cell.textColor, uint32_t(m.cellText));
    }
    EXPECT_EQ(cell.background, m.cellBackground);
    if (m.cellBackground == CellBackground::Opaque) {
        EXPECT_EQ(cell.backgroundColor, m.cellBackgroundColor);
    }

    const CellPaint cursor = paintCell(c, kYellowOnBlue, true);
    EXPECT_EQ(cursor.setsTextColor, m.cursorText != kKeep);
    if (m.cursorText != kKeep) {
        EXPECT_EQ(cursor.textColor, uint32_t(m.cursorText));
    }
    EXPECT_EQ(cursor.background, CellBackground::Opaque);
    EXPECT_EQ(cursor.backgroundColor, m.cursorBackgroundColor);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IgnoreSwitchTable,
    ::testing::Values(ModeCase{"AllOn", true, true, true, true, 0, {}, 0, 0, 0},
                      ModeCase{"FgBg", true, true, false, false, kKeep, CellBackground::Untouched,
                               0, kKeep, 0x00FFFF},
                      ModeCase{"FgStyle", true, false, true, false, kKeep, CellBackground::Opaque,
                               0xB00000, kKeep, 0x00FFFF},
                      ModeCase{"Fg", true, false, false, false, kKeep, CellBackground::Opaque,
                               0xB00000, kKeep, 0x00FFFF},
                      ModeCase{"BgStyle", false, true, true, false, 0x00FFFF,
                               CellBackground::Untouched, 0, 0xB00000, 0x00FFFF},
                      ModeCase{"Bg", false, true, false, false, 0x00FFFF, CellBackground::Untouched,
                               0, 0xB00000, 0x00FFFF},
                      ModeCase{"Style", false, false, true, false, 0x00FFFF, CellBackground::Opaque,
                               0xB00000, 0xB00000, 0x00FFFF},
                      ModeCase{"None", false, false, false, false, 0x00FFFF, CellBackground::Opaque,
                               0xB00000, 0xB00000, 0x00FFFF}),
    [](const ::testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

struct BlackCase {
    uint16_t attribute;
    bool invert;
    bool blackIsTransparent;
    bool cursor;
    CellBackground background;
    uint32_t color;
};

class BlackIsTransparent : public ::testing::TestWithParam<BlackCase> {};

TEST_P(BlackIsTransparent, DropsOnlyBlackNonCursorBackgrounds) {
    const BlackCase& b = GetParam();
    RendererConfig c;
    c.invertColors = b.invert;
    c.blackIsTransparent = b.blackIsTransparent;
    const CellPaint paint = paintCell(c, b.attribute, b.cursor);
    EXPECT_EQ(paint.background, b.background) << std::hex << "attribute 0x" << b.attribute;
    if (b.background == CellBackground::Opaque) {
        EXPECT_EQ(paint.backgroundColor, b.color);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BlackIsTransparent,
    ::testing::Values(BlackCase{0x07, false, true, false, CellBackground::Transparent, 0},
                      BlackCase{0x07, false, false, false, CellBackground::Opaque, 0x000000},
                      BlackCase{0x80, false, true, false, CellBackground::Transparent, 0},
                      BlackCase{0x80, true, true, false, CellBackground::Opaque, 0xB0B0B0},
                      BlackCase{0x07, true, true, false, CellBackground::Transparent, 0},
                      BlackCase{0x70, true, true, false, CellBackground::Opaque, 0x000000},
                      BlackCase{0x07, false, true, true, CellBackground::Opaque, 0xFFFFFF},
                      BlackCase{0x07, true, true, true, CellBackground::Opaque, 0x000000}));

// ---- Layout ----------------------------------------------------------------------------------

TEST(Layout, ExampleGridOfEightByTwelveCells) {
    RendererConfig c;
    c.leftMargin = c.rightMargin = c.topMargin = c.bottomMargin = 8;
    const Layout l = computeLayout(c, 25, 640, 12);
    EXPECT_EQ(l.originX, 8);
    EXPECT_EQ(l.originY, 8);
    EXPECT_EQ(l.textWidth, 640);
    EXPECT_EQ(l.textHeight, 300);
    EXPECT_EQ(l.bitmapWidth, 656);
    EXPECT_EQ(l.bitmapHeight, 316);
    EXPECT_FLOAT_EQ(cellWidth(640, 80), 8.0f);
    EXPECT_FLOAT_EQ(cellHeight(300, 25), 12.0f);
    EXPECT_EQ(cellOffset(8, 79, 8.0f), 640);
}

TEST(Layout, CellPositionsTruncateFloatProducts) {
    const float w = cellWidth(100, 3);  // 33.333...
    EXPECT_EQ(cellOffset(0, 1, w), 33);
    EXPECT_EQ(cellOffset(0, 2, w), 66);
    EXPECT_EQ(cellOffset(-5, 1, 2.5f), -3);
    EXPECT_EQ(cellOffset(INT_MAX - 1, 1, 100.0f), INT_MAX);  // held, not wrapped
}

TEST(Layout, ClampsGridAndCountsCells) {
    const GridSize zero = clampGrid(0, 25);
    EXPECT_EQ(zero.columns, 1);
    EXPECT_EQ(zero.cellCount, 25u);
    const GridSize negative = clampGrid(-3, INT_MIN);
    EXPECT_EQ(negative.columns, 1);
    EXPECT_EQ(negative.rows, 1);
    EXPECT_EQ(clampGrid(160, 62).cellCount, 9920u);
}

TEST(Layout, GridsThatCannotExistThrowInsteadOfWrapping) {
    EXPECT_THROW(clampGrid(INT_MAX, INT_MAX), std::length_error);
    EXPECT_THROW(clampGrid(65536, 65536), std::length_error);  // exactly 2^32 cells
}

// Margins that cannot frame the text fall back to the default all round; margins that can,
// negative ones included, are kept.
struct MarginCase {
    int32_t before, after;
    int32_t origin, side;  // for a text extent of 640
};

class MarginsThatDoNotFit : public ::testing::TestWithParam<MarginCase> {};

TEST_P(MarginsThatDoNotFit, FallBackToTheDefaultAllRound) {
    const MarginCase& p = GetParam();
    const bool fallsBack = p.side == 656;
    RendererConfig c;
    c.leftMargin = p.before;
    c.rightMargin = p.after;
    const Layout horizontal = computeLayout(c, 1, 640, 12);
    EXPECT_EQ(horizontal.originX, p.origin);
    EXPECT_EQ(horizontal.bitmapWidth, p.side);
    EXPECT_EQ(horizontal.bitmapHeight, fallsBack ? 28 : 12);
    c.leftMargin = c.rightMargin = 3;
    c.topMargin = p.before;
    c.bottomMargin = p.after;
    const Layout vertical = computeLayout(c, 64, 8, 10);  // text height 640
    EXPECT_EQ(vertical.originY, p.origin);
    EXPECT_EQ(vertical.bitmapHeight, p.side);
    EXPECT_EQ(vertical.bitmapWidth, fallsBack ? 24 : 3 + 3 + 8);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MarginsThatDoNotFit,
    ::testing::Values(MarginCase{-2, 10, -2, 648}, MarginCase{-400, -240, 8, 656},  // width 0
                      MarginCase{INT_MAX, INT_MIN, 8, 656}, MarginCase{INT_MIN, INT_MAX, 8, 656},
                      MarginCase{INT_MAX, INT_MAX, 8, 656},
                      MarginCase{INT_MAX - 10, -(INT_MAX - 20), 8, 656},
                      MarginCase{-700, 900, 8, 656},   // text off the left
                      MarginCase{8, 15736, 8, 16384},  // the largest side
                      MarginCase{8, 15737, 8, 656}, MarginCase{200000, 200000, 8, 656}));

// Sides within bounds but too many pixels together: the default margins all round, unless the
// screens are larger than the bound.
TEST(Layout, MarginsMakingTooLargeAnAreaFallBackAllRound) {
    RendererConfig c;
    c.leftMargin = c.rightMargin = c.topMargin = c.bottomMargin = 7800;
    const Layout small = computeLayout(c, 25, 640, 12, overlayAreaBound(1280 * 1024));
    EXPECT_EQ(small.bitmapWidth, 656);
    EXPECT_EQ(small.bitmapHeight, 316);
    const Layout wide = computeLayout(c, 25, 640, 12, overlayAreaBound(int64_t(16240) * 15900));
    EXPECT_EQ(wide.bitmapWidth, 16240);
    EXPECT_EQ(wide.bitmapHeight, 15900);
}

// A font is drawn as the default font when its glyphs would be rotated, its cells unreadable or
// its text area too large.
TEST(Layout, FontsThatCannotMakeAReadableAffordableWidgetAreRefused) {
    FontBlock upright;
    upright.height = -16;
    EXPECT_TRUE(fontRequestFits(upright, 80, 25));
    FontBlock rotated = upright;
    rotated.escapement = 900;
    EXPECT_FALSE(fontRequestFits(rotated, 80, 25));
    rotated = upright;
    rotated.orientation = 900;
    EXPECT_FALSE(fontRequestFits(rotated, 80, 25));
    FontBlock wide = upright;
    wide.width = 300;  // 9000 x 400: sides fit, 3.6 M pixels too
    EXPECT_TRUE(fontRequestFits(wide, 30, 25));
    wide.height = 560;  // 9000 x 14000
    EXPECT_FALSE(fontRequestFits(wide, 30, 25));

    EXPECT_TRUE(measuredTextFits(640, 12, 80, 25));
    EXPECT_TRUE(measuredTextFits(320, 6, 80, 25));    // 4 x 6 cells, the least
    EXPECT_FALSE(measuredTextFits(319, 12, 80, 25));  // narrower
    EXPECT_FALSE(measuredTextFits(640, 5, 80, 25));   // lower
    EXPECT_FALSE(measuredTextFits(9000, 560, 30, 25));
}

TEST(Layout, TextTooLargeForABitmapThrowsNamingTheText) {
    RendererConfig c;
    try {
        computeLayout(c, 30000, 640, 100000);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("text area of 640 x 3000000000 pixels"),
                  std::string::npos)
            << e.what();
    }
}

}  // namespace
}  // namespace tideglass
