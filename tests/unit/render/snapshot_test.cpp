#include <gtest/gtest.h>

#include <string>

#include "render_fixture.h"

namespace tideglass::testing {
namespace {

class SnapshotTest : public RendererTest {
protected:
    // The characters of row r as the last draw output them (row-run mode).
    std::string row(int r) { return drawn(false).at(size_t(r)).bytes; }
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
    screen.write(0, 0, "Microsoft Windows");
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_FALSE(renderer->snapshot(output));
    EXPECT_EQ(row(0).substr(0, 17), "Microsoft Windows");
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
        screen.write(0, 0, "x");
        ASSERT_TRUE(renderer->snapshot(output));
        screen.attributeAt(4, 4) = 0x4F;
        EXPECT_EQ(renderer->snapshot(output), !ignoreStyle);
    }
}

TEST_F(SnapshotTest, ScrolledWindowShowingTheSamePictureIsNoChange) {
    build();
    screen.write(0, 0, "same line");
    screen.write(0, 30, "same line");
    screen.screen.cursorY = 3;
    ASSERT_TRUE(renderer->snapshot(output));
    screen.screen.windowTop = 30;
    screen.screen.cursorY = 33;
    EXPECT_FALSE(renderer->snapshot(output));
    screen.write(0, 31, "new");  // now the window at row 30 does differ
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_EQ(row(1).substr(0, 3), "new");
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
    screen.write(0, 0, "x");
    screen.failInfo = true;
    EXPECT_FALSE(renderer->snapshot(output));
    EXPECT_EQ(screen.characterReads, 0);
    renderer->draw(true);
    EXPECT_TRUE(overlay().texts.empty());
    screen.failInfo = false;
    EXPECT_TRUE(renderer->snapshot(output));
}

TEST_F(SnapshotTest, FailedCharacterReadTakesNoPartInTheComparison) {
    build();
    screen.write(0, 0, "AAAA");
    ASSERT_TRUE(renderer->snapshot(output));
    screen.write(0, 0, "BBBB");
    ASSERT_TRUE(renderer->snapshot(output));  // the incoming grid now holds "AAAA"
    screen.write(0, 0, "CCCC");
    screen.characterLimit = 0;
    EXPECT_FALSE(renderer->snapshot(output));
    // A change taken for the cursor keeps the last known characters, not an older reading.
    screen.screen.cursorX = 9;
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_EQ(row(0).substr(0, 4), "BBBB");
}

TEST_F(SnapshotTest, ShortReadComparesOnlyTheCellsRead) {
    config.ignoreStyle = false;
    build();
    screen.characterLimit = 10;
    screen.attributeLimit = 0;
    screen.write(20, 0, "beyond");
    screen.attributeAt(0, 0) = 0x4F;
    EXPECT_FALSE(renderer->snapshot(output));
    screen.write(0, 0, "within");
    EXPECT_TRUE(renderer->snapshot(output));
}

TEST_F(SnapshotTest, FailedCharacterReadStillSeesAttributeChanges) {
    config.ignoreStyle = false;
    build();
    screen.characterLimit = 0;
    screen.attributeAt(79, 24) = 0x1F;  // the last cell
    EXPECT_TRUE(renderer->snapshot(output));
    EXPECT_FALSE(renderer->snapshot(output));
}

}  // namespace
}  // namespace tideglass::testing
