#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desklet/restart_pacing.h"

namespace tideglass {
namespace {

// One event at a time on the clock, and what the pacing says right after it.
struct PacingStep {
    enum Event { Start, End, Fail, Look } event;
    uint64_t at;
    bool due;              // whether a start may be made at `at`
    uint64_t noticedWait;  // what the widget shows it waits
};

struct PacingCase {
    const char* name;
    uint32_t pollPeriodMs;
    std::vector<PacingStep> steps;
};

void PrintTo(const PacingCase& c, std::ostream* os) {
    *os << c.name;
}

class RestartPacingTest : public ::testing::TestWithParam<PacingCase> {};

TEST_P(RestartPacingTest, FollowsTheRule) {
    RestartPacing pacing;
    const PacingCase& c = GetParam();
    for (size_t i = 0; i < c.steps.size(); ++i) {
        const PacingStep& step = c.steps[i];
        switch (step.event) {
            case PacingStep::Start:
                pacing.started(step.at);
                break;
            case PacingStep::End:
                pacing.ended(step.at, c.pollPeriodMs);
                break;
            case PacingStep::Fail:
                pacing.failed(step.at, c.pollPeriodMs);
                break;
            case PacingStep::Look:
                break;
        }
        EXPECT_EQ(pacing.due(step.at), step.due) << "step " << i;
        EXPECT_EQ(pacing.noticedWait(step.at), step.noticedWait) << "step " << i;
    }
}

using S = PacingStep;
INSTANTIATE_TEST_SUITE_P(
    Cases, RestartPacingTest,
    ::testing::Values(
        PacingCase{
            "RanAWhileRestartsAtOnce", 250, {{S::Start, 0, true, 0}, {S::End, 5000, true, 0}}},
        PacingCase{"QuickEndsDoubleThePause",
                   250,
                   {{S::Start, 0, true, 0},
                    {S::End, 100, false, 0},  // first pause: one poll period, not shown
                    {S::Look, 350, true, 0},
                    {S::Start, 350, true, 0},
                    {S::End, 400, false, 0},  // 500
                    {S::Start, 900, true, 0},
                    {S::End, 950, false, 1000},  // 1000: now shown
                    {S::Look, 951, false, 999},
                    {S::Start, 1950, true, 0},
                    {S::End, 2000, false, 2000}}},
        PacingCase{"PauseStopsAtThirtySeconds",
                   20000,
                   {{S::Fail, 0, false, 20000},
                    {S::Fail, 20000, false, 30000},
                    {S::Fail, 50000, false, 30000},
                    {S::Look, 80000, true, 0}}},
        PacingCase{"AChildThatRanAWhileResetsThePause",
                   1000,
                   {{S::Fail, 0, false, 1000},
                    {S::Fail, 1000, false, 2000},
                    {S::Start, 3000, true, 0},
                    {S::End, 60000, true, 0},
                    {S::Fail, 60000, false, 1000}}},
        PacingCase{"AnEndIsCountedOncePerStart",
                   500,
                   {{S::Start, 0, true, 0},
                    {S::End, 10, false, 0},
                    {S::End, 20, false, 0},
                    {S::Look, 510, true, 0}}},
        PacingCase{"ALateTickDoesNotMakeAQuickEndLookLong",
                   1000,
                   {{S::Start, 0, true, 0}, {S::End, 2900, false, 1000}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RestartNotice, SaysWhatWentWrongAndWhenTheNextStartComes) {
    EXPECT_EQ(restartNotice(false, 0), u"");
    EXPECT_EQ(restartNotice(false, 7001), u"The program ended at once. Next start in 8 s");
    EXPECT_EQ(restartNotice(true, 1000), u"The program could not be started. Next start in 1 s");
}

}  // namespace
}  // namespace tideglass
