#include "desklet/messages.h"
#include "desklet_fixture.h"
#include "settings/keys.h"

namespace tideglass::desklet_test {
namespace {

const char kNotFoundBox[] =
    "Could not run the child application: The system cannot find the file specified.\r\n";

size_t overlays(const fakes::FakeHost& host) {
    size_t n = 0;
    for (const auto& call : host.calls)
        n += call.name == "setImageOverlay";
    return n;
}

struct MessageRow {
    const char* name;
    uint32_t message;
    uintptr_t wParam;
    bool posted;
    bool typed;  // written into the console's input buffer as a key event
    bool updates;
};

void PrintTo(const MessageRow& row, std::ostream* os) {
    *os << row.name;
}

class MessageTable : public DeskletTest, public ::testing::WithParamInterface<MessageRow> {};

TEST_P(MessageTable, ForwardsAndUpdatesAsTheMessageRequires) {
    const MessageRow& row = GetParam();
    auto desklet = create();
    const size_t pollsBefore = processes.polled.size();
    log.clear();
    const intptr_t lParam = 0x001E0001;
    desklet->processMessage(row.message, row.wParam, lParam);

    const fakes::RecordedMessage expected{console.consoleWindow, row.message, row.wParam, lParam};
    EXPECT_EQ(ui.posted.size(), row.posted ? 1u : 0u);
    if (row.posted && !ui.posted.empty()) {
        EXPECT_TRUE(ui.posted[0] == expected);
    }
    EXPECT_EQ(input.written.size(), row.typed ? 1u : 0u);
    if (row.typed && !input.written.empty()) {
        EXPECT_EQ(input.written[0].virtualKeyCode, row.wParam);
        EXPECT_EQ(input.handlesSeen.back(), console.input);
    }
    EXPECT_EQ(processes.polled.size() > pollsBefore, row.updates);
    EXPECT_EQ(locks.last->depth, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, MessageTable,
    ::testing::Values(MessageRow{"Activate", kWmActivate, kWaActive, false, false, false},
                      MessageRow{"KeyDown", kWmKeyDown, 0x41, false, true, true},
                      MessageRow{"KeyUp", kWmKeyUp, 0x41, false, true, false},
                      MessageRow{"MouseWheel", kWmMouseWheel, 0x00780000, true, false, true},
                      MessageRow{"SysKeyDown", kWmSysKeyDown, 0x12, false, true, true},
                      MessageRow{"SysKeyUp", kWmSysKeyUp, 0x12, false, true, false},
                      MessageRow{"PollTimer", kWmTimer, kPollTimerId, false, false, true},
                      MessageRow{"OtherTimer", kWmTimer, 2, false, false, false},
                      MessageRow{"Char", 0x0102, 0x41, false, false, false},
                      MessageRow{"Paint", 0x000F, 0, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct ActivationRow {
    const char* name;
    uintptr_t wParam;
    bool focused;
};

void PrintTo(const ActivationRow& row, std::ostream* os) {
    *os << row.name;
}

class Activation : public DeskletTest, public ::testing::WithParamInterface<ActivationRow> {};

TEST_P(Activation, RecordsFocusFromTheLowWordAndRedrawsAtOnce) {
    auto desklet = create();
    const size_t before = overlays(host);
    desklet->processMessage(kWmActivate, GetParam().wParam, 0);
    EXPECT_EQ(desklet->isFocused(), GetParam().focused);
    EXPECT_EQ(overlays(host), before + 1);
    EXPECT_EQ(host.last("setImageOverlay")->window, widget);
    EXPECT_EQ(locks.last->depth, 0);
}

INSTANTIATE_TEST_SUITE_P(States, Activation,
                         ::testing::Values(ActivationRow{"Active", 1, true},
                                           ActivationRow{"ClickActive", 2, true},
                                           ActivationRow{"Inactive", 0, false},
                                           ActivationRow{"InactiveMinimised", 0x00010000, false},
                                           ActivationRow{"ActiveMinimised", 0x00010001, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeskletTest, ActivationWithoutRendererOnlyRecordsFocusAndTicksStillRestart) {
    graphics.canvasThrowsStandard = true;
    auto desklet = create();
    ASSERT_FALSE(desklet->hasRenderer());
    const size_t before = overlays(host);
    desklet->processMessage(kWmActivate, kWaClickActive, 0);
    EXPECT_TRUE(desklet->isFocused());
    EXPECT_EQ(overlays(host), before);
    processes.end(processes.lastProcess());
    ui.advanceMs(60000);
    desklet->processMessage(kWmTimer, kPollTimerId, 0);
    EXPECT_EQ(processes.creations.size(), 2u);
}

TEST_F(DeskletTest, TickRedrawsOnlyWhenTheConsoleChanged) {
    auto desklet = create();
    const size_t before = overlays(host);
    desklet->processMessage(kWmTimer, kPollTimerId, 0);
    EXPECT_EQ(overlays(host), before) << "a blank console with the cursor home is no change";
    screen.write(0, 0, "C:\\>");
    screen.screen.cursorX = 3;
    desklet->processMessage(kWmTimer, kPollTimerId, 0);
    EXPECT_EQ(overlays(host), before + 1);
    desklet->processMessage(kWmTimer, kPollTimerId, 0);
    EXPECT_EQ(overlays(host), before + 1);
    EXPECT_EQ(screen.handlesSeen.back(), console.output);
}

TEST_F(DeskletTest, RunningChildIsLeftAloneByTicks) {
    auto desklet = create();
    for (int i = 0; i < 3; ++i)
        desklet->processMessage(kWmTimer, kPollTimerId, 0);
    EXPECT_EQ(processes.creations.size(), 1u);
    EXPECT_TRUE(processes.terminations.empty());
}

TEST_F(DeskletTest, EndedOrUnwaitableChildIsStartedAgainAtTheNextTick) {
    for (bool pollFails : {false, true}) {
        fakes::FakeProcesses local;
        Platform p{console, screen, local,    ui,        host, profile, graphics,
                   locks,   input,  keyboard, clipboard, text, agents};
        auto desklet = std::make_unique<Desklet>(p, instance, widget);
        const ProcessRecord old = local.creations[0].record;
        ui.advanceMs(60000);  // a child that ran a while is started again at once
        if (pollFails) {
            local.pollFails = true;
        } else {
            local.end(old.process);
        }
        desklet->processMessage(kWmTimer, kPollTimerId, 0);
        EXPECT_EQ(local.creations.size(), 2u) << "pollFails " << pollFails;
        EXPECT_TRUE(local.terminations.empty()) << "pollFails " << pollFails;
        EXPECT_FALSE(local.isOpen(old.process));
        EXPECT_FALSE(local.isOpen(old.thread));
        EXPECT_FALSE(desklet->isChildFailed());
        EXPECT_TRUE(ui.boxes.empty());
    }
}

// Ticks every poll period for 20 s of the clock; returns the clock at each start after the first.
std::vector<uint64_t> startsOverTwentySeconds(Desklet& desklet, fakes::FakeProcesses& processes,
                                              fakes::FakeUserInterface& ui) {
    std::vector<uint64_t> starts;
    const uint64_t end = ui.nowMs() + 20000;
    for (; ui.nowMs() < end; ui.advanceMs(250)) {
        const size_t before = processes.creations.size() + size_t(processes.failedStarts);
        desklet.processMessage(kWmTimer, kPollTimerId, 0);
        if (processes.creations.size() + size_t(processes.failedStarts) != before)
            starts.push_back(ui.nowMs());
    }
    return starts;
}

// The pause doubles from the poll period, so the starts stay few and ever further apart.
void expectGrowingPauses(const std::vector<uint64_t>& starts) {
    EXPECT_GE(starts.size(), 4u);
    EXPECT_LE(starts.size(), 8u);
    for (size_t i = 2; i < starts.size(); ++i)
        EXPECT_GE(starts[i] - starts[i - 1], 2 * (starts[i - 1] - starts[i - 2]) - 250) << i;
}

TEST_F(DeskletTest, ChildThatEndsAtOnceIsStartedAgainAfterGrowingPauses) {
    processes.endsAtOnce = true;
    auto desklet = create();
    desklet->processMessage(kWmTimer, kPollTimerId, 0);
    const size_t shown = overlays(host);
    expectGrowingPauses(startsOverTwentySeconds(*desklet, processes, ui));
    EXPECT_TRUE(ui.boxes.empty());
    // The console never changed: the widget was drawn again for its line about the next start.
    EXPECT_GT(overlays(host), shown + 10);
    EXPECT_FALSE(desklet->isChildFailed());
}

TEST_F(DeskletTest, FailedStartShowsOneBoxAndIsRetriedAfterGrowingPauses) {
    processes.failStartWith = 2;
    auto desklet = create();
    expectGrowingPauses(startsOverTwentySeconds(*desklet, processes, ui));
    desklet->processMessage(kWmKeyDown, 0x41, 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Tideglass Desklet");
    EXPECT_EQ(ui.boxes[0].text, kNotFoundBox);
    // A transient failure mends itself at the next try, without a word.
    processes.failStartWith = 0;
    ui.advanceMs(30000);
    desklet->processMessage(kWmTimer, kPollTimerId, 0);
    EXPECT_FALSE(desklet->isChildFailed());
    EXPECT_TRUE(desklet->hasChild());
    EXPECT_EQ(ui.boxes.size(), 1u);
}

// The box's modal loop delivers another tick while the first one holds the lock.
TEST_F(DeskletTest, TickDeliveredWhileTheFailureBoxIsOpenNeitherRetriesNorShowsASecondBox) {
    auto desklet = create();
    const NativeHandle old = processes.lastProcess();
    processes.end(old);
    processes.failStartWith = 2;
    bool flagSetWhenBoxShown = false;
    int nested = 0;
    ui.whileBoxOpen = [&] {
        flagSetWhenBoxShown = desklet->isChildFailed();
        ++nested;
        desklet->processMessage(kWmTimer, kPollTimerId, 0);
    };
    ui.advanceMs(60000);
    desklet->processMessage(kWmTimer, kPollTimerId, 0);
    EXPECT_EQ(nested, 1);
    EXPECT_TRUE(flagSetWhenBoxShown);
    EXPECT_EQ(processes.failedStarts, 1);
    EXPECT_EQ(boxesWithText(kNotFoundBox), 1);
    EXPECT_GE(locks.last->reentries, 1);
    EXPECT_EQ(locks.last->depth, 0);
    // The ended record stays the desklet's until a start succeeds.
    EXPECT_TRUE(desklet->hasChild());
    EXPECT_TRUE(processes.isOpen(old));
}

TEST_F(DeskletTest, ConfigurationRestartRetriesAfterAFailureAndClearsTheFlag) {
    processes.failStartWith = 2;
    auto desklet = create();
    ASSERT_TRUE(desklet->isChildFailed());
    processes.failStartWith = 0;
    Settings copy = desklet->currentSettings();
    copy.text(keys::kChildAppCmdline) = "cmd.exe /k";
    desklet->applyConfiguration(copy, kChildApplicationChange);
    EXPECT_FALSE(desklet->isChildFailed());
    EXPECT_TRUE(desklet->hasChild());
    ASSERT_EQ(processes.creations.size(), 1u);
    EXPECT_EQ(processes.creations[0].commandLine, "cmd.exe /k");
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(DeskletTest, RestartWhileRunningStartsTheNewChildBeforeEndingTheOld) {
    auto desklet = create();
    const ProcessRecord old = processes.creations[0].record;
    log.clear();
    desklet->applyChanges(kChildApplicationChange);
    EXPECT_EQ(logOf({"createProcess", "terminateProcess", "closeThread", "closeProcess"}),
              (std::vector<std::string>{"createProcess", "terminateProcess", "closeThread",
                                        "closeProcess"}));
    ASSERT_EQ(processes.terminations.size(), 1u);
    EXPECT_EQ(processes.terminations[0].process, old.process);
    EXPECT_EQ(processes.terminations[0].exitCode, 0u);
    EXPECT_TRUE(processes.isRunning(processes.lastProcess()));
}

TEST_F(DeskletTest, FailedRestartKeepsTheRunningChild) {
    auto desklet = create();
    const NativeHandle old = processes.lastProcess();
    processes.failStartWith = 5;
    processes.errorTexts[5] = "Access is denied.\r\n";
    desklet->applyChanges(kChildApplicationChange);
    EXPECT_TRUE(desklet->isChildFailed());
    EXPECT_TRUE(processes.isRunning(old));
    EXPECT_TRUE(processes.terminations.empty());
    EXPECT_EQ(boxesWithText("Could not run the child application: Access is denied.\r\n"), 1);
    desklet.reset();
    EXPECT_EQ(processes.terminations.size(), 1u);  // still owned, so ended with the widget
}

}  // namespace
}  // namespace tideglass::desklet_test
