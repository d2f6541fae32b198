#include <gtest/gtest.h>

#include "render/view_origin.h"

namespace tideglass {
namespace {

struct OriginRow {
    const char* name;
    CellRect window;
    CellPoint cursor;
    CellPoint previous;
    CellPoint expected;
};

void PrintTo(const OriginRow& row, std::ostream* os) {
    *os << row.name;
}

class ViewOrigin : public ::testing::TestWithParam<OriginRow> {};

// The grid is 80 x 25 throughout.
TEST_P(ViewOrigin, ShowsThePartOfTheWindowThatHoldsTheCursor) {
    const OriginRow& row = GetParam();
    const CellPoint origin = viewOrigin(row.window, 80, 25, row.cursor, row.previous);
    EXPECT_EQ(origin.x, row.expected.x);
    EXPECT_EQ(origin.y, row.expected.y);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ViewOrigin,
    ::testing::Values(
        OriginRow{"FittingWindowFromItsCorner", {0, 30, 79, 54}, {5, 50}, {0, 0}, {0, 30}},
        OriginRow{"SmallerWindowFromItsCorner", {0, 0, 39, 9}, {30, 9}, {7, 7}, {0, 0}},
        OriginRow{"CursorInsideStays", {0, 0, 199, 79}, {10, 20}, {0, 0}, {0, 0}},
        OriginRow{"CursorBelowScrollsJustEnough", {0, 0, 199, 79}, {10, 79}, {0, 0}, {0, 55}},
        OriginRow{"CursorRightScrollsJustEnough", {0, 0, 199, 79}, {150, 3}, {0, 0}, {71, 0}},
        OriginRow{"CursorAboveAndLeft", {0, 0, 199, 79}, {83, 4}, {100, 50}, {83, 4}},
        OriginRow{
            "CursorNearTheLeftEdgeShowsTheEdge", {0, 0, 199, 79}, {14, 60}, {78, 36}, {0, 36}},
        OriginRow{"RowsStayWhileTheyHoldTheCursor", {0, 0, 199, 79}, {5, 40}, {0, 36}, {0, 36}},
        OriginRow{
            "PreviousBeyondTheWindowIsPulledIn", {0, 0, 199, 79}, {190, 70}, {150, 60}, {120, 55}},
        OriginRow{"CursorOutsideTheWindow", {0, 100, 199, 179}, {10, 300}, {0, 100}, {0, 155}},
        OriginRow{"ScrolledWindowStartsAtItsTop", {0, 100, 199, 179}, {0, 101}, {0, 0}, {0, 100}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tideglass
