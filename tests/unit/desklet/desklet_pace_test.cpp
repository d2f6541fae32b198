#include "desklet/messages.h"
#include "desklet/poll_rate.h"
#include "desklet_fixture.h"

namespace tideglass::desklet_test {
namespace {

size_t overlays(const fakes::FakeHost& host) {
    size_t n = 0;
    for (const auto& call : host.calls)
        n += call.name == "setImageOverlay";
    return n;
}

std::vector<uint32_t> periods(const fakes::FakeUserInterface& ui) {
    std::vector<uint32_t> result;
    for (const auto& timer : ui.timers)
        result.push_back(timer.periodMs);
    return result;
}

TEST_F(DeskletTest, KeySpeedsUpTheOneTimerUntilTheWidgetIsQuietAgain) {
    auto desklet = create();
    for (int i = 0; i < 3; ++i) {
        ui.clockUs += 250000;
        desklet->processMessage(kWmTimer, kPollTimerId, 0);
    }
    EXPECT_EQ(periods(ui), std::vector<uint32_t>{250}) << "idle ticks leave the timer alone";

    desklet->processMessage(kWmKeyDown, 0x41, 0x001E0001);
    for (int i = 0; i < 5; ++i) {
        ui.clockUs += kTypingPeriodMs * 1000;
        desklet->processMessage(kWmTimer, kPollTimerId, 0);
    }
    EXPECT_EQ(periods(ui), (std::vector<uint32_t>{250, kTypingPeriodMs}));
    ui.clockUs += kTypingWindowMs * 1000;
    desklet->processMessage(kWmTimer, kPollTimerId, 0);
    EXPECT_EQ(periods(ui), (std::vector<uint32_t>{250, kTypingPeriodMs, 250}));
    for (const auto& timer : ui.timers)
        EXPECT_EQ(timer.id, kPollTimerId);
    EXPECT_TRUE(ui.killedTimers.empty());
}

TEST_F(DeskletTest, ConsoleChangedMessageReadsAtOnceButNoOftenerThanAFrame) {
    auto desklet = create();
    const size_t before = overlays(host);
    screen.write(0, 0, "a");
    desklet->processMessage(ui.privateMessage(), kWorkConsoleChanged, 0);
    EXPECT_EQ(overlays(host), before + 1);

    screen.write(0, 1, "b");
    ui.clockUs += 1000;
    desklet->processMessage(ui.privateMessage(), kWorkConsoleChanged, 0);
    EXPECT_EQ(overlays(host), before + 1) << "left to the timer, which now runs a frame apart";
    EXPECT_EQ(ui.timers.back().periodMs, kFramePeriodMs);
    ui.clockUs += kFramePeriodMs * 1000;
    desklet->processMessage(ui.privateMessage(), kWorkConsoleChanged, 0);
    EXPECT_EQ(overlays(host), before + 2);
}

}  // namespace
}  // namespace tideglass::desklet_test
