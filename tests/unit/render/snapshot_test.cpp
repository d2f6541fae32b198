#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "render_fixture.h"

namespace tideglass::testing {
namespace {

class SnapshotTest : public RendererTest {
protected:
    // The characters of row r as the last draw output them (row-run mode).
    std::u16string row(int r) { return drawn(false).at(size_t(r)).text; }
};

TEST_F(SnapshotTest, BlankConsoleRightAfterSetUpIsNoChange) {
    build();
    EXPECT_FALSE(renderer->snapshot(output));
    renderer->draw(true);
    EXPECT_TRUE(overlay().texts.empty());  // still blank: only the clear
    EXPECT_EQ(screen.attributeReads, 0);   // row-run mode never reads attributes
}

TEST_F(SnapshotTest, TwoSnapshotsWithNothingBetweenReportOneChange) {
    build();
    screen.write(0, 0, u"Microsoft Windows");
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_FALSE(renderer->snapshot(output));
    EXPECT_EQ(row(0).substr(0, 17), u"Microsoft Windows");
}

TEST_F(SnapshotTest, CursorMoveAloneIsAChange) {
    build();
    screen.screen.cursorX = 1;
    EXPECT_TRUE(renderer->snapshot(output));
    screen.screen.cursorX = 2;
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_FALSE(renderer->snapshot(output));
}

TEST_F(SnapshotTest, AttributeOnlyChangeCountsUnlessAllIgnoreSwitchesAreOn) {
    for (bool ignoreStyle : {false, true}) {
        SCOPED_TRACE(ignoreStyle);
        config.ignoreStyle = ignoreStyle;
        screen.attributeAt(4, 4) = 0x07;
        build();
        screen.write(0, 0, u"x");
        ASSERT_TRUE(renderer->snapshot(output));
        screen.attributeAt(4, 4) = 0x4F;
        EXPECT_EQ(renderer->snapshot(output), !ignoreStyle);
    }
}

TEST_F(SnapshotTest, ScrolledWindowShowingTheSamePictureIsNoChange) {
    build();
    screen.write(0, 0, u"same line");
    screen.write(0, 30, u"same line");
    screen.screen.cursorY = 3;
    ASSERT_TRUE(renderer->snapshot(output));
    screen.screen.windowTop = 30;
    screen.screen.cursorY = 33;
    EXPECT_FALSE(renderer->snapshot(output));
    screen.write(0, 31, u"new");  // now the window at row 30 does differ
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_EQ(row(1).substr(0, 3), u"new");
}

TEST_F(SnapshotTest, HidingTheCursorIsAChangeAndHidesItFromTheDrawing) {
    build();
    screen.screen.cursorX = 3;
    ASSERT_TRUE(renderer->snapshot(output));
    EXPECT_EQ(drawn(true).size(), 26u);  // 25 rows and the cursor
    screen.screen.cursorVisible = false;
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_FALSE(renderer->snapshot(output));
    // Only the cursor's row is repainted, now without the opaque cursor cell.
    auto hasCursor = [](const auto& texts) {
        return std::any_of(texts.begin(), texts.end(),
                           [](const auto& t) { return t.mode == BackgroundMode::Opaque; });
    };
    EXPECT_FALSE(hasCursor(drawn(true)));
    screen.screen.cursorVisible = true;
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_TRUE(hasCursor(drawn(true)));
}

TEST_F(SnapshotTest, CursorOutsideTheWindowIsStoredAndComingBackIsAChange) {
    build();
    screen.screen.cursorY = 25;  // just below a 25-row window
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_EQ(drawn(true).size(), 25u);  // no cursor drawn
    EXPECT_FALSE(renderer->snapshot(output));
    screen.screen.cursorY = 24;
    EXPECT_TRUE(renderer->snapshot(output));
    const auto texts = drawn(true);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back().mode, BackgroundMode::Opaque);  // the cursor, in the last row
    EXPECT_EQ(texts.back().y, 8 + 24 * 12);
}

TEST_F(SnapshotTest, CursorRelativeToTheWindowOrigin) {
    build();
    screen.screen.windowLeft = 0;
    screen.screen.windowTop = 100;
    screen.screen.cursorX = 4;
    screen.screen.cursorY = 102;
    ASSERT_TRUE(renderer->snapshot(output));
    const auto texts = drawn(true);
    ASSERT_EQ(texts.size(), 26u);
    EXPECT_EQ(texts[25].x, 8 + 4 * 8);
    EXPECT_EQ(texts[25].y, 8 + 2 * 12);
}

TEST_F(SnapshotTest, FailedInfoSkipsTheTickWithoutReading) {
    build();
    screen.write(0, 0, u"x");
    screen.failInfo = true;
    EXPECT_FALSE(renderer->snapshot(output));
    EXPECT_EQ(screen.windowReads, 0);
    renderer->draw(true);
    EXPECT_TRUE(overlay().texts.empty());
    screen.failInfo = false;
    EXPECT_TRUE(renderer->snapshot(output));
}

TEST_F(SnapshotTest, FailedReadTakesNoPartInTheComparison) {
    build();
    screen.write(0, 0, u"AAAA");
    ASSERT_TRUE(renderer->snapshot(output));
    screen.write(0, 0, u"BBBB");
    ASSERT_TRUE(renderer->snapshot(output));  // the incoming grid now holds "AAAA"
    screen.write(0, 0, u"CCCC");
    screen.rowLimit = 0;
    EXPECT_FALSE(renderer->snapshot(output));
    // A change taken for the cursor keeps the last known characters, not an older reading.
    screen.screen.cursorX = 9;
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_EQ(row(0).substr(0, 4), u"BBBB");
}

TEST_F(SnapshotTest, ShortReadComparesOnlyTheRowsRead) {
    config.ignoreStyle = false;
    build();
    ASSERT_TRUE(renderer->snapshot(output));  // the console's 0x07 blanks
    screen.rowLimit = 1;
    screen.write(20, 1, u"beyond");
    screen.attributeAt(0, 1) = 0x4F;
    EXPECT_FALSE(renderer->snapshot(output));
    screen.write(0, 0, u"within");
    EXPECT_TRUE(renderer->snapshot(output));
}

TEST_F(SnapshotTest, AttributeChangeInTheLastCellIsSeen) {
    config.ignoreStyle = false;
    build();
    ASSERT_TRUE(renderer->snapshot(output));
    screen.attributeAt(79, 24) = 0x1F;
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_FALSE(renderer->snapshot(output));
}

// Which rows a change asks to repaint: those whose cells differ, and the cursor's old and new
// rows when it moves or is hidden or shown.
struct RowsCase {
    const char* name;
    bool perCell;
    void (*edit)(ScriptedScreen&);
    std::vector<int> rows;
};

class ChangedRows : public RendererTest, public ::testing::WithParamInterface<RowsCase> {};

TEST_P(ChangedRows, ChangeFlagsOnlyTheRowsToRepaint) {
    const RowsCase& p = GetParam();
    config.ignoreStyle = !p.perCell;
    build();
    EXPECT_EQ(renderer->changedRows(), std::vector<uint8_t>(25, 1));  // all, until drawn
    screen.write(0, 0, u"start");
    screen.screen.cursorX = 2;
    screen.screen.cursorY = 3;
    ASSERT_TRUE(renderer->snapshot(output));
    renderer->draw(true);
    ASSERT_EQ(renderer->changedRows(), std::vector<uint8_t>(25, 0));

    p.edit(screen);
    EXPECT_EQ(renderer->snapshot(output), !p.rows.empty());
    std::vector<uint8_t> expected(25, 0);
    for (int r : p.rows)
        expected[size_t(r)] = 1;
    EXPECT_EQ(renderer->changedRows(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChangedRows,
    ::testing::Values(
        RowsCase{"Text", false, [](ScriptedScreen& s) { s.write(10, 5, u"x"); }, {5}},
        RowsCase{"FirstAndLastCells",
                 false,
                 [](ScriptedScreen& s) {
                     s.write(0, 0, u"X");
                     s.write(79, 24, u"Y");
                 },
                 {0, 24}},
        RowsCase{
            "CursorToAnotherRow", false, [](ScriptedScreen& s) { s.screen.cursorY = 9; }, {3, 9}},
        RowsCase{"CursorOutOfTheWindowWithText",
                 false,
                 [](ScriptedScreen& s) {
                     s.screen.cursorY = 25;
                     s.write(0, 12, u"z");
                 },
                 {3, 12}},
        RowsCase{
            "CursorHidden", false, [](ScriptedScreen& s) { s.screen.cursorVisible = false; }, {3}},
        RowsCase{
            "AttributePerCell", true, [](ScriptedScreen& s) { s.attributeAt(1, 12) = 0x1F; }, {12}},
        RowsCase{
            "AttributeRowRun", false, [](ScriptedScreen& s) { s.attributeAt(1, 12) = 0x1F; }, {}},
        RowsCase{"WindowScrolledOneRow",
                 false,
                 [](ScriptedScreen& s) {
                     s.screen.windowTop = 1;
                     s.screen.cursorY = 4;
                 },
                 {0}}),
    [](const ::testing::TestParamInfo<RowsCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tideglass::testing
