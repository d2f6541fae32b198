#include "desklet/poll_rate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tideglass {
namespace {

// One thing the widget saw: an input, or a read at a time (ms) that did or did not find a change.
struct Seen {
    enum Kind { Input, Read } kind;
    uint32_t atMs;
    bool changed = false;
    uint32_t stepUs = 1000;
    uint32_t drawingUs = 1000;
};

Seen input(uint32_t at) {
    return {Seen::Input, at};
}
Seen change(uint32_t at, uint32_t drawingUs = 1000, uint32_t stepUs = 0) {
    return {Seen::Read, at, true, std::max(stepUs, drawingUs), drawingUs};
}
// Reads that find nothing, every `step` ms from `from` up to but not including `to`.
std::vector<Seen> quiet(uint32_t from, uint32_t to, uint32_t step) {
    std::vector<Seen> reads;
    for (uint32_t at = from; at < to; at += step)
        reads.push_back({Seen::Read, at});
    return reads;
}

struct RateRow {
    const char* name;
    uint32_t idleMs;
    std::vector<std::vector<Seen>> seen;
    uint32_t askedAtMs;
    uint32_t periodMs;
};

void PrintTo(const RateRow& row, std::ostream* os) {
    *os << row.name;
}

PollRate replay(const RateRow& row) {
    PollRate rate(row.idleMs);
    for (const auto& group : row.seen)
        for (const Seen& s : group) {
            if (s.kind == Seen::Input)
                rate.input(uint64_t(s.atMs) * 1000);
            else
                rate.read(uint64_t(s.atMs) * 1000, s.changed, s.stepUs, s.drawingUs);
        }
    return rate;
}

class PollRateTable : public ::testing::TestWithParam<RateRow> {};

TEST_P(PollRateTable, TimerRunsAtThePeriodTheWidgetsStateAsksFor) {
    const RateRow& row = GetParam();
    EXPECT_EQ(replay(row).periodMs(uint64_t(row.askedAtMs) * 1000), row.periodMs);
}

const uint32_t kIdle = 250;

const uint32_t kTyping = kTypingPeriodMs, kFrame = kFramePeriodMs;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    States, PollRateTable,
    ::testing::Values(
        RateRow{"NothingHappens", kIdle, {quiet(0, 1000, kIdle)}, 1000, kIdle},
        RateRow{"InputReadsFast", kIdle, {{input(1000)}}, 1000, kTyping},
        RateRow{"FastToTheWindowsEnd", kIdle, {{input(1000)}, quiet(1000, 1249, 10)}, 1249,
                kTyping},
        RateRow{"IdleAgainWhenTheWindowEnds", kIdle, {{input(1000)}, quiet(1000, 1250, 10)}, 1250,
                kIdle},
        RateRow{"EchoSeenThenQuiet", kIdle, {{input(1000), change(1030)}, quiet(1040, 1260, 10)},
                1260, kIdle},
        RateRow{"OneChangeGetsOneFrameToShowItGoesOn", kIdle, {{change(250)}}, 260, kFrame},
        RateRow{"OneChangeAndNothingMore", kIdle, {{change(250)}, quiet(283, 284, 1)}, 300, kIdle},
        RateRow{"StreamKeepsTheFrameRate", kIdle,
                {{change(250), change(283), change(316)}, quiet(349, 448, 33)}, 460, kFrame},
        RateRow{"StreamEndsWhenQuiet", kIdle,
                {{change(250), change(283), change(316)}, quiet(349, 481, 33)}, 490, kIdle},
        RateRow{"InputDuringAStreamReadsFast", kIdle, {{change(250), change(283), input(300)}}, 300,
                kTyping},
        RateRow{"DearDrawingStretchesTheFrames", kIdle,
                {{change(250, 20000), change(330, 20000)}}, 400, 20 * kPeriodPerDrawing},
        RateRow{"SlowReadsStretchTheFrames", kIdle,
                {{change(250, 1000, 30000), change(330, 1000, 30000)}}, 400, 30 * kPeriodPerStep},
        RateRow{"DearDrawingStretchesTypingToo", kIdle, {{change(250, 5000), input(300)}}, 300,
                5 * kPeriodPerDrawing},
        RateRow{"NeverSlowerThanIdle", kIdle, {{change(250, 200000), change(450, 200000)}}, 500,
                kIdle},
        RateRow{"AFastIntervalIsKept", 15, {{change(15), change(30)}}, 40, 15}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(PollRate, ReadsAskedForBetweenTicksAreTakenAtMostOnceAFrame) {
    PollRate rate(kIdle);
    EXPECT_TRUE(rate.readsAtOnce(5000)) << "nothing drawn yet";
    rate.read(1000000, true, 1000, 1000);
    EXPECT_FALSE(rate.readsAtOnce(1000000 + 5000));
    EXPECT_TRUE(rate.readsAtOnce(1000000 + kFramePeriodMs * 1000));
    rate.input(1000000);
    EXPECT_TRUE(rate.readsAtOnce(1000000 + kTypingPeriodMs * 1000)) << "typing reads faster";
}

}  // namespace
}  // namespace tideglass
