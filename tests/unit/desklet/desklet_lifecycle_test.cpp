#include <stdexcept>

#include "desklet_fixture.h"

namespace tideglass::desklet_test {
namespace {

const char kConsoleText[] =
    "could not allocate a new console, probably because the current process already have one. "
    "Windows doesn't allow more than one console to be allocated per process, so you can't use "
    "this desklets along with other instances of the same desklet or with other desklets which "
    "allocate a console.";

const std::set<std::string> kConstructionCalls{"allocConsole",
                                               "getConsoleWindow",
                                               "hideConsoleWindow",
                                               "installControlHandler",
                                               "getStdInput",
                                               "getStdOutput",
                                               "createLock",
                                               "createProcess",
                                               "getLargestWindowSize",
                                               "setWindowInfo",
                                               "setBufferSize",
                                               "lock",
                                               "unlock",
                                               "setImageOverlay",
                                               "setSize",
                                               "setTimer"};

class ConstructionOrder : public DeskletTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ConstructionOrder, ConsoleThenLockThenChildSizeRendererAndTimer) {
    auto desklet = GetParam() ? createLoading("C:\\host.ini", "Desklet1") : create();
    EXPECT_EQ(logOf(kConstructionCalls), (std::vector<std::string>{"allocConsole",
                                                                   "getConsoleWindow",
                                                                   "hideConsoleWindow",
                                                                   "installControlHandler",
                                                                   "getStdInput",
                                                                   "getStdOutput",
                                                                   "createLock",
                                                                   "lock",
                                                                   "createProcess",
                                                                   "getLargestWindowSize",
                                                                   "setWindowInfo",
                                                                   "setBufferSize",
                                                                   "setWindowInfo",
                                                                   "unlock",
                                                                   "lock",
                                                                   "unlock",
                                                                   "lock",
                                                                   "setImageOverlay",
                                                                   "setSize",
                                                                   "unlock",
                                                                   "lock",
                                                                   "unlock",
                                                                   "setTimer"}));
    EXPECT_EQ(console.hidden, std::vector<WindowHandle>{console.consoleWindow});
    EXPECT_EQ(locks.spinCounts, std::vector<uint32_t>{5000});
    EXPECT_EQ(desklet->consoleWindowHandle(), console.consoleWindow);
    EXPECT_EQ(desklet->consoleOutputHandle(), console.output);
    EXPECT_TRUE(desklet->hasChild());
    EXPECT_TRUE(desklet->hasRenderer());
    EXPECT_FALSE(desklet->isFocused());
    EXPECT_FALSE(desklet->isChildFailed());
    EXPECT_EQ(desklet->moduleInstance(), instance);
    EXPECT_EQ(desklet->widgetWindow(), widget);
    // Default settings: 80 x 25 cells of 8 x 12 pixels with margins of 8.
    const auto* size = host.last("setSize");
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->window, widget);
    EXPECT_EQ(size->width, 656);
    EXPECT_EQ(size->height, 316);
    ASSERT_EQ(ui.timers.size(), 1u);
    EXPECT_EQ(ui.timers[0].window, widget);
    EXPECT_EQ(ui.timers[0].id, 1u);
    EXPECT_EQ(ui.timers[0].periodMs, 250u);
    EXPECT_TRUE(ui.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(BothConstructors, ConstructionOrder, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Loading" : "Default"; });

TEST_F(DeskletTest, DestructionReleasesInOrderAndEndsTheRunningChild) {
    auto desklet = create();
    const auto lockRecord = locks.last;
    log.clear();
    desklet.reset();
    // The group goes after the child: whatever the child started is ended with it.
    EXPECT_EQ(
        logOf({"killTimer", "lock", "destroyCanvas", "unlock", "deleteLock", "terminateProcess",
               "closeThread", "closeProcess", "closeGroup", "closeConsoleOutput",
               "closeConsoleInput", "freeConsole", "removeControlHandler"}),
        (std::vector<std::string>{"killTimer", "lock", "destroyCanvas", "unlock", "deleteLock",
                                  "terminateProcess", "closeThread", "closeProcess", "closeGroup",
                                  "closeConsoleOutput", "closeConsoleInput", "freeConsole",
                                  "removeControlHandler"}));
    EXPECT_EQ(console.installedHandlers, 0) << "the handler points into a DLL the host may unload";
    ASSERT_EQ(ui.killedTimers.size(), 1u);
    EXPECT_EQ(ui.killedTimers[0], std::make_pair(widget, uintptr_t{1}));
    EXPECT_FALSE(lockRecord->deletedWhileHeld);
    EXPECT_EQ(graphics.liveCanvases, 0);
    EXPECT_FALSE(console.allocated);
}

TEST_F(DeskletTest,
       SecondConsoleWithoutAnAgentIsRefusedWithTheConsoleTextBeforeAnythingIsAcquired) {
    ASSERT_EQ(std::string(kConsoleText).size(), 288u);
    console.allocateFails = true;
    try {
        create();
        FAIL() << "construction should have thrown";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind(kConsoleText, 0), 0u) << e.what();
    }
    EXPECT_EQ(agents.starts, 1);
    EXPECT_EQ(agents.widgetWindow, widget) << "the agent wakes the widget's own window";
    EXPECT_EQ(log, std::vector<std::string>{"allocConsole"});
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(DeskletTest, FirstWidgetKeepsWorkingWhenASecondIsRefused) {
    auto first = create();
    EXPECT_THROW(create(), std::runtime_error);
    EXPECT_TRUE(console.allocated);
    EXPECT_EQ(console.installedHandlers, 1) << "the refused widget installs and removes nothing";
    const auto ticksBefore = screen.windowReads;
    first->processMessage(0x113, 1, 0);
    EXPECT_EQ(screen.windowReads, ticksBefore + 1);
}

// Leaving the console allocated would make every later widget in this host fail.
TEST_F(DeskletTest, LockFailureAfterAllocationGivesTheConsoleBack) {
    locks.createFails = true;
    EXPECT_THROW(create(), std::runtime_error);
    EXPECT_EQ(logOf({"closeConsoleOutput", "closeConsoleInput", "freeConsole"}),
              (std::vector<std::string>{"closeConsoleOutput", "closeConsoleInput", "freeConsole"}));
    EXPECT_FALSE(console.allocated);
    EXPECT_EQ(console.installedHandlers, 0);
    locks.createFails = false;
    EXPECT_NO_THROW(create());
    EXPECT_EQ(console.installedHandlers, 0);
}

TEST_F(DeskletTest, LateConstructionFailureReleasesChildRendererLockAndConsole) {
    ui.setTimerThrows = true;
    EXPECT_THROW(create(), std::runtime_error);
    ASSERT_TRUE(locks.last);
    EXPECT_TRUE(locks.last->deleted);
    EXPECT_FALSE(locks.last->deletedWhileHeld);
    EXPECT_EQ(processes.terminations.size(), 1u);
    EXPECT_EQ(graphics.liveCanvases, 0);
    EXPECT_FALSE(console.allocated);
    ui.setTimerThrows = false;
    auto again = create();
    EXPECT_TRUE(again->hasRenderer());
}

TEST_F(DeskletTest, ChildThatCannotStartDoesNotFailConstruction) {
    processes.failStartWith = 2;
    auto desklet = create();
    EXPECT_TRUE(desklet->isChildFailed());
    EXPECT_FALSE(desklet->hasChild());
    EXPECT_TRUE(desklet->hasRenderer());
    EXPECT_EQ(boxesWithText("Could not run the child application: The system cannot find the "
                            "file specified.\r\n"),
              1);
    EXPECT_EQ(ui.timers.size(), 1u);
}

TEST_F(DeskletTest, DestroyingAfterTheChildEndedTerminatesNothing) {
    auto desklet = create();
    processes.end(processes.lastProcess());
    desklet.reset();
    EXPECT_TRUE(processes.terminations.empty());
    EXPECT_EQ(processes.closed.size(), 3u);  // thread, process, then the group
    EXPECT_FALSE(console.allocated);
}

TEST_F(DeskletTest, DestroyingWithoutRendererSucceeds) {
    graphics.canvasThrowsStandard = true;
    auto desklet = create();
    EXPECT_FALSE(desklet->hasRenderer());
    desklet.reset();
    EXPECT_FALSE(console.allocated);
    EXPECT_TRUE(locks.last->deleted);
}

}  // namespace
}  // namespace tideglass::desklet_test
