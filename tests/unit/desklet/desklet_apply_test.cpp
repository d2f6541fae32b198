#include "desklet/messages.h"
#include "desklet/renderer_settings.h"
#include "desklet_fixture.h"
#include "settings/keys.h"
#include "settings/value_text.h"

namespace tideglass::desklet_test {
namespace {

const char kRebuildContext[] = "An exception occured while updating the desklet configuration: ";

struct FlagsRow {
    const char* name;
    ChangeFlags flags;
    bool restarts;
    bool resizesConsole;
    bool rebuilds;
    bool setsTimer;
};

void PrintTo(const FlagsRow& row, std::ostream* os) {
    *os << row.name;
}

class ChangeFlagsTable : public DeskletTest, public ::testing::WithParamInterface<FlagsRow> {};

TEST_P(ChangeFlagsTable, DoesExactlyTheWorkOfEachFlagInOrder) {
    const FlagsRow& row = GetParam();
    auto desklet = create();
    Settings copy = desklet->currentSettings();
    copy.integer(keys::kPollInterval) = 100;
    log.clear();
    desklet->applyConfiguration(copy, row.flags);
    const auto calls =
        logOf({"lock", "unlock", "createProcess", "getLargestWindowSize", "setWindowInfo",
               "setBufferSize", "setImageOverlay", "setSize", "setTimer"});

    EXPECT_EQ(desklet->currentSettings().integers.at(keys::kPollInterval), 100);
    std::vector<std::string> expected{"lock", "unlock"};  // the settings swap
    // Restart and console sizing under one hold of the lock; the settings for the renderer and
    // the timer are read under it; the new renderer is swapped in under it.
    if (row.restarts || row.resizesConsole)
        expected.push_back("lock");
    if (row.restarts)
        expected.push_back("createProcess");
    if (row.resizesConsole) {
        for (const char* call :
             {"getLargestWindowSize", "setWindowInfo", "setBufferSize", "setWindowInfo"}) {
            expected.push_back(call);
        }
    }
    if (row.restarts || row.resizesConsole)
        expected.push_back("unlock");
    if (row.rebuilds) {
        for (const char* call : {"lock", "unlock", "lock", "setImageOverlay", "setSize", "unlock"})
            expected.push_back(call);
    }
    if (row.setsTimer) {
        for (const char* call : {"lock", "unlock", "setTimer"})
            expected.push_back(call);
    }
    EXPECT_EQ(calls, expected);
    if (row.setsTimer) {
        EXPECT_EQ(ui.timers.back().periodMs, 100u);
    }
    EXPECT_EQ(graphics.liveCanvases, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, ChangeFlagsTable,
    ::testing::Values(FlagsRow{"None", 0, false, false, false, false},
                      FlagsRow{"ChildOnly", kChildApplicationChange, true, false, false, false},
                      FlagsRow{"RenderingOnly", kRenderingChange, false, false, true, false},
                      FlagsRow{"PollOnly", kPollIntervalChange, false, false, false, true},
                      FlagsRow{"ConsoleSizeOnly", kConsoleSizeChange, false, true, true, false},
                      FlagsRow{"RenderingAndSize", kRenderingChange | kConsoleSizeChange, false,
                               true, true, false},
                      FlagsRow{"All", kAllChanges, true, true, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// A page on another thread: the settings change at once, the rest waits for the widget's thread,
// and what two applies ask for meanwhile is made together.
TEST_F(DeskletTest, ApplyFromAnotherThreadIsFinishedOnTheWidgetsThread) {
    auto desklet = create();
    Settings copy = desklet->currentSettings();
    copy.integer(keys::kPollInterval) = 40;
    host.calls.clear();
    ui.timers.clear();
    ui.onWidgetThread = false;
    desklet->applyConfiguration(copy, kPollIntervalChange);
    desklet->applyConfiguration(copy, kRenderingChange);
    EXPECT_EQ(desklet->currentSettings().integers.at(keys::kPollInterval), 40);
    EXPECT_TRUE(ui.timers.empty());
    EXPECT_TRUE(host.calls.empty());
    ASSERT_EQ(ui.posted.size(), 1u);
    EXPECT_EQ(ui.posted[0].window, widget);

    ui.onWidgetThread = true;
    desklet->processMessage(ui.posted[0].message, 0, 0);
    ASSERT_EQ(ui.timers.size(), 1u);
    EXPECT_EQ(ui.timers[0].periodMs, 40u);
    EXPECT_EQ(host.names(), (std::vector<std::string>{"setImageOverlay", "setSize"}));
    desklet->processMessage(ui.posted[0].message, 0, 0);
    EXPECT_EQ(ui.timers.size(), 1u) << "nothing is left waiting";
}

// The timer runs between 15 ms and a minute whatever is stored; the setting keeps its value.
TEST_F(DeskletTest, PollIntervalOutsideTheBoundsIsUsedClamped) {
    const std::pair<int32_t, uint32_t> rows[] = {
        {INT32_MIN, 15}, {-1, 15},       {0, 15},        {14, 15},          {15, 15},
        {250, 250},      {60000, 60000}, {60001, 60000}, {INT32_MAX, 60000}};
    auto desklet = create();
    for (const auto& [stored, period] : rows) {
        Settings copy = desklet->currentSettings();
        copy.integer(keys::kPollInterval) = stored;
        desklet->applyConfiguration(copy, kPollIntervalChange);
        EXPECT_EQ(ui.timers.back().periodMs, period) << "stored " << stored;
        EXPECT_EQ(desklet->currentSettings().integers.at(keys::kPollInterval), stored);
    }
}

TEST_F(DeskletTest, ConsoleIsShrunkThenGivenTenScreensOfBufferThenItsWindow) {
    auto desklet = create();
    ASSERT_EQ(screen.windowCalls.size(), 2u);
    EXPECT_EQ(screen.windowCalls[0].right, 2);
    EXPECT_EQ(screen.windowCalls[0].bottom, 2);
    ASSERT_EQ(screen.bufferSizeCalls.size(), 1u);
    EXPECT_EQ(screen.bufferSizeCalls[0].columns, 80);
    EXPECT_EQ(screen.bufferSizeCalls[0].rows, 250);
    EXPECT_EQ(screen.windowCalls[1].left, 0);
    EXPECT_EQ(screen.windowCalls[1].top, 0);
    EXPECT_EQ(screen.windowCalls[1].right, 79);
    EXPECT_EQ(screen.windowCalls[1].bottom, 24);
    for (NativeHandle h : screen.handlesSeen)
        EXPECT_EQ(h, console.output);
}

TEST_F(DeskletTest, SizeBeyondTheLargestWindowIsLoweredAndWrittenBack) {
    screen.largest = CellSize{200, 62};
    auto desklet = create();
    Settings copy = desklet->currentSettings();
    copy.integer(keys::kColumns) = 500;
    copy.integer(keys::kRows) = 62;
    desklet->applyConfiguration(copy, kConsoleSizeChange);
    EXPECT_EQ(desklet->currentSettings().integers.at(keys::kColumns), 200);
    EXPECT_EQ(desklet->currentSettings().integers.at(keys::kRows), 62);
    EXPECT_EQ(screen.bufferSizeCalls.back().columns, 200);
    EXPECT_EQ(screen.bufferSizeCalls.back().rows, 620);
    EXPECT_EQ(screen.windowCalls.back().right, 199);
    EXPECT_EQ(host.last("setSize")->width, 16 + 200 * 8);
    EXPECT_EQ(host.last("setSize")->height, 16 + 62 * 12);
}

// A console without a window reports 0 x 0; lowering to that would lose the user's size at the
// next save.
TEST_F(DeskletTest, UnknownLargestWindowLeavesTheSizeAlone) {
    screen.largest = CellSize{0, 0};
    auto desklet = create();
    EXPECT_EQ(desklet->currentSettings().integers.at(keys::kColumns), 80);
    EXPECT_EQ(desklet->currentSettings().integers.at(keys::kRows), 25);
    EXPECT_EQ(screen.bufferSizeCalls.back().columns, 80);
}

TEST_F(DeskletTest, ZeroAndNegativeSizesGoToTheConsoleUnchanged) {
    auto desklet = create();
    Settings copy = desklet->currentSettings();
    copy.integer(keys::kColumns) = 0;
    copy.integer(keys::kRows) = -3;
    desklet->applyConfiguration(copy, kConsoleSizeChange);
    EXPECT_EQ(desklet->currentSettings().integers.at(keys::kColumns), 0);
    EXPECT_EQ(desklet->currentSettings().integers.at(keys::kRows), -3);
    EXPECT_EQ(screen.bufferSizeCalls.back().columns, 0);
    EXPECT_EQ(screen.bufferSizeCalls.back().rows, -30);
    EXPECT_EQ(screen.windowCalls.back().right, -1);
    EXPECT_EQ(screen.windowCalls.back().bottom, -4);
    EXPECT_TRUE(desklet->hasRenderer());
}

TEST_F(DeskletTest, HostGetsTheNewImageBeforeTheOldRendererIsDestroyed) {
    auto desklet = create();
    for (int i = 0; i < 3; ++i)
        desklet->applyChanges(kRenderingChange);
    EXPECT_EQ(graphics.destroyedWhileShown, 0);
    EXPECT_EQ(graphics.liveCanvases, 1);
}

class RebuildFailure : public DeskletTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RebuildFailure, KeepsTheOldRendererAndStillSetsTheTimer) {
    const bool standard = GetParam();
    auto desklet = create();
    const void* image = host.last("setImageOverlay")->pointer;
    const size_t sizes = host.calls.size();
    graphics.canvasThrowsStandard = standard;
    graphics.canvasThrowsOther = !standard;
    desklet->applyChanges(kRenderingChange | kPollIntervalChange);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, std::string(kRebuildContext) +
                                    (standard ? "no memory for the canvas" : "unknown error"));
    EXPECT_TRUE(desklet->hasRenderer());
    EXPECT_EQ(host.calls.size(), sizes) << "no new image and no new size";
    EXPECT_EQ(host.last("setImageOverlay")->pointer, image);
    EXPECT_EQ(ui.timers.size(), 2u);
    EXPECT_EQ(locks.last->depth, 0);
    // The kept renderer still draws.
    desklet->processMessage(kWmActivate, kWaActive, 0);
    EXPECT_EQ(host.last("setImageOverlay")->pointer, image);
}

INSTANTIATE_TEST_SUITE_P(ExceptionKinds, RebuildFailure, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Standard" : "Other"; });

TEST(RendererSettings, FillsEveryFieldAndTurnsIntegersIntoSwitches) {
    Settings s;
    s.integer(keys::kColumns) = 120;
    s.integer(keys::kRows) = 40;
    s.integer(keys::kTextColor) = 0x00112233;
    s.integer(keys::kBackgroundColor) = static_cast<int32_t>(0x40FF8000u);
    s.integer(keys::kLeftMargin) = 1;
    s.integer(keys::kRightMargin) = 2;
    s.integer(keys::kTopMargin) = 3;
    s.integer(keys::kBottomMargin) = 4;
    s.integer(keys::kIgnoreFgColors) = 0;
    s.integer(keys::kIgnoreBgColors) = -1;
    s.integer(keys::kIgnoreStyle) = 7;
    s.integer(keys::kInvertColors) = 1;
    s.integer(keys::kBlackIsTransparent) = 0;
    s.font.height = -12;
    s.font.charSet = kOemCharset;
    const RendererConfig c = rendererConfigFromSettings(s);
    EXPECT_EQ(c.columns, 120);
    EXPECT_EQ(c.rows, 40);
    EXPECT_EQ(c.textColor, 0x00112233u);
    EXPECT_EQ(c.backgroundColor, 0x40FF8000u);
    EXPECT_EQ(c.leftMargin, 1);
    EXPECT_EQ(c.rightMargin, 2);
    EXPECT_EQ(c.topMargin, 3);
    EXPECT_EQ(c.bottomMargin, 4);
    EXPECT_FALSE(c.ignoreFgColors);
    EXPECT_TRUE(c.ignoreBgColors);
    EXPECT_TRUE(c.ignoreStyle);
    EXPECT_TRUE(c.invertColors);
    EXPECT_FALSE(c.blackIsTransparent);
    EXPECT_EQ(c.font.height, -12);
    EXPECT_EQ(c.font.charSet, kOemCharset);
}

TEST_F(DeskletTest, TooLongTextIsRefusedOnApplyWithAClearBox) {
    auto desklet = create();
    const size_t starts = processes.creations.size();
    Settings copy = desklet->currentSettings();
    copy.text(keys::kChildAppCmdline) = std::string(kLongestProfileText + 1, 'c');
    desklet->applyConfiguration(copy, kChildApplicationChange);
    EXPECT_EQ(desklet->currentSettings().text(keys::kChildAppCmdline), "%COMSPEC%");
    EXPECT_EQ(processes.creations.size(), starts) << "nothing changed, nothing restarted";
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "The setting was not changed: The command line is 32767 characters long; it can "
              "be kept up to 32766.");
    copy.text(keys::kChildAppCmdline) = " " + std::string(kLongestProfileText - 2, 'c');
    desklet->applyConfiguration(copy, kChildApplicationChange);
    EXPECT_EQ(ui.boxes.size(), 2u) << "a value that needs quotes has two characters less room";
    copy.text(keys::kChildAppCmdline) = std::string(kLongestProfileText, 'c');
    desklet->applyConfiguration(copy, kChildApplicationChange);
    EXPECT_EQ(desklet->currentSettings().text(keys::kChildAppCmdline).size(), kLongestProfileText);
    for (const auto& box : ui.boxes)
        EXPECT_EQ(box.text.find("The setting was not changed") == 0, &box < &ui.boxes[2]);
}

struct CursorRow {
    int rows;
    int16_t cursorY;
    int16_t top, bottom;  // of the window once the console is resized
};

class ResizeKeepsCursorInView : public DeskletTest,
                                public ::testing::WithParamInterface<CursorRow> {};

// As a terminal keeps the prompt in view: the resized window ends on the cursor's row when the
// cursor lies below it, and within the shrunk buffer.
TEST_P(ResizeKeepsCursorInView, WindowEndsOnTheCursorRow) {
    const CursorRow row = GetParam();
    auto desklet = create();
    screen.screen.cursorY = row.cursorY;
    Settings copy = desklet->currentSettings();
    copy.integer(keys::kRows) = row.rows;
    desklet->applyConfiguration(copy, kConsoleSizeChange);
    EXPECT_EQ(screen.windowCalls.back().top, row.top) << "cursor " << row.cursorY;
    EXPECT_EQ(screen.windowCalls.back().bottom, row.bottom) << "cursor " << row.cursorY;
}

INSTANTIATE_TEST_SUITE_P(Rows, ResizeKeepsCursorInView,
                         ::testing::Values(CursorRow{40, 30, 0, 39}, CursorRow{40, 39, 0, 39},
                                           CursorRow{40, 100, 61, 100}, CursorRow{5, 240, 45, 49}));

}  // namespace
}  // namespace tideglass::desklet_test
