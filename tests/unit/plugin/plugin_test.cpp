// The entry points' portable side: creation and its two kinds of failure, null objects, and the
// order in which the configuration pages reach the host.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <memory>
#include <vector>

#include "desklet/desklet.h"
#include "desklet/live_desklets.h"
#include "desklet/messages.h"
#include "fakes/fake_profile.h"
#include "plugin/plugin.h"
#include "plugin/property_pages.h"
#include "unit/desklet/desklet_fixture.h"

namespace tideglass {
namespace {

using desklet_test::DeskletTest;

const char kConsoleTaken[] =
    "An exception occured: could not allocate a new console, probably because the current "
    "process already have one. Windows doesn't allow more than one console to be allocated per "
    "process, so you can't use this desklets along with other instances of the same desklet or "
    "with other desklets which allocate a console.";

class RecordingPages : public PropertyPages {
public:
    void* create(InstanceHandle instance, PageKind kind, DeskletToken target) override {
        created.push_back({instance, kind, target});
        return reinterpret_cast<void*>(0x1000 + created.size());
    }
    struct Page {
        InstanceHandle instance;
        PageKind kind;
        DeskletToken target;
    };
    std::vector<Page> created;
};

// A window manager whose timer fails with something that is not a standard exception.
class OddlyFailingUserInterface : public fakes::FakeUserInterface {
public:
    void setTimer(WindowHandle, uintptr_t, uint32_t) override { throw 42; }
};

// A window manager whose error box itself fails (its text cannot be built), and whose posting
// and timer can be made to fail too.
class BoxlessUserInterface : public fakes::FakeUserInterface {
public:
    void showError(const std::string&, const std::string&) override { throw std::bad_alloc(); }
    void postMessage(WindowHandle, uint32_t, uintptr_t, intptr_t) override {
        throw std::runtime_error("queue full");
    }
    void setTimer(WindowHandle, uintptr_t, uint32_t) override {
        if (timerFails)
            throw 42;
    }
    bool timerFails = false;
};

using PluginEntry = DeskletTest;

TEST_F(PluginEntry, InformationTextsEndWithTheirZero) {
    char name[32], author[64], description[80];
    std::memset(description, 'x', sizeof description);
    int32_t version = 0;
    getInformation(name, author, &version, description);
    EXPECT_STREQ(name, "Tideglass");
    EXPECT_EQ(version, 110);
    EXPECT_EQ(std::strlen(description), 69u);
    EXPECT_EQ(description[70], 'x');
}

TEST_F(PluginEntry, CreationMarksTheWidgetStaticFirst) {
    std::unique_ptr<Desklet> desklet(createDesklet(platform, widget, instance, nullptr, nullptr));
    ASSERT_NE(desklet, nullptr);
    ASSERT_FALSE(host.calls.empty());
    EXPECT_EQ(host.calls.front().name, "setStatic");
    EXPECT_EQ(host.calls.front().window, widget);
    EXPECT_EQ(host.last("remove"), nullptr);
    EXPECT_TRUE(ui.boxes.empty());
}

// Saved settings are loaded only when the host names both the file and the section.
TEST_F(PluginEntry, SettingsAreLoadedOnlyWithBothIniNames) {
    fakes::FakeProfile saved;
    saved.values[{"Desklet", "columns"}] = "100";
    Platform withProfile{console, screen, processes, ui,        host, saved, graphics,
                         locks,   input,  keyboard,  clipboard, text, agents};
    struct Case {
        const char* file;
        const char* section;
        int32_t columns;
    };
    for (const Case& c : {Case{"file.ini", nullptr, 80}, Case{nullptr, "Desklet", 80},
                          Case{"file.ini", "Desklet", 100}}) {
        saved.calls.clear();
        std::unique_ptr<Desklet> desklet(
            createDesklet(withProfile, widget, instance, c.file, c.section));
        ASSERT_NE(desklet, nullptr);
        EXPECT_EQ(desklet->currentSettings().integers.at("columns"), c.columns)
            << (c.file ? c.file : "(null)") << " / " << (c.section ? c.section : "(null)");
        EXPECT_EQ(saved.calls.empty(), c.columns == 80);
    }
}

TEST_F(PluginEntry, ConsoleTakenAndNoAgentIsReportedAndTheWidgetRemoved) {
    console.allocateFails = true;
    agents.failure = "rundll32 ended at once";
    EXPECT_EQ(createDesklet(platform, widget, instance, "file.ini", "Desklet"), nullptr);
    EXPECT_EQ(agents.starts, 1);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Tideglass Desklet");
    EXPECT_EQ(ui.boxes[0].text, std::string(kConsoleTaken) +
                                    " Starting a console agent for this widget failed too: "
                                    "rundll32 ended at once");
    EXPECT_EQ(host.names(), (std::vector<std::string>{"setStatic", "remove"}));
    EXPECT_EQ(host.last("remove")->window, widget);
}

// A widget whose process has a console runs in an agent's: its child starts there, its console
// is sized and read there, and its keys go there; the process's own console is left alone.
TEST_F(PluginEntry, ConsoleTakenRunsTheWidgetInAConsoleAgent) {
    console.allocateFails = true;
    agents.next = std::make_unique<fakes::FakeAgentConsole>();
    fakes::FakeAgentConsole& agent = *agents.next;
    std::unique_ptr<Desklet> desklet(createDesklet(platform, widget, instance, nullptr, nullptr));
    ASSERT_NE(desklet, nullptr);
    EXPECT_TRUE(desklet->usesConsoleAgent());
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(agent.processList.creations.size(), 1u);
    EXPECT_TRUE(processes.creations.empty());
    EXPECT_EQ(agent.screenBuffer.bufferSizeCalls.size(), 1u);
    EXPECT_TRUE(screen.bufferSizeCalls.empty());
    EXPECT_EQ(desklet->consoleWindowHandle(), agent.consoleHost.consoleWindow);
    desklet->processMessage(kWmKeyDown, 'A', 0x001E0001);
    EXPECT_FALSE(agent.consoleInput.written.empty());
    EXPECT_TRUE(input.written.empty());
    std::vector<std::string> agentLog;
    agent.consoleHost.log = &agentLog;
    desklet.reset();  // and the agent with it
    EXPECT_NE(std::find(agentLog.begin(), agentLog.end(), "freeConsole"), agentLog.end());
    EXPECT_TRUE(console.calls.size() == 1) << "only the process's failed allocation";
}

// An agent that ended took its console along: the restart brings a new one, sized as the first
// was (window shrunk before the buffer) and with its own window; one that cannot come is a start
// that failed.
TEST_F(PluginEntry, DeadAgentIsReplacedByANewConsoleAtTheRestart) {
    console.allocateFails = true;
    agents.next = std::make_unique<fakes::FakeAgentConsole>();
    fakes::FakeAgentConsole& agent = *agents.next;
    std::unique_ptr<Desklet> desklet(createDesklet(platform, widget, instance, nullptr, nullptr));
    ASSERT_NE(desklet, nullptr);
    agent.alive = false;
    agent.consoleHost.consoleWindow = reinterpret_cast<WindowHandle>(0xC1);
    agent.screenBuffer.windowCalls.clear();
    agent.screenBuffer.bufferSizeCalls.clear();
    desklet->restartChild();
    EXPECT_EQ(agent.renewals, 1);
    EXPECT_EQ(desklet->consoleWindowHandle(), agent.consoleHost.consoleWindow);
    ASSERT_EQ(agent.screenBuffer.windowCalls.size(), 2u);
    EXPECT_EQ(agent.screenBuffer.windowCalls[0].right, 2) << "shrunk to 3 x 3 first";
    EXPECT_EQ(agent.screenBuffer.windowCalls[1].right, 79);
    EXPECT_EQ(agent.screenBuffer.bufferSizeCalls.size(), 1u);
    EXPECT_EQ(agent.processList.creations.size(), 2u);
    EXPECT_TRUE(ui.boxes.empty());

    agent.alive = false;
    agent.renewFailure = "rundll32 could not start";
    desklet->restartChild();
    EXPECT_TRUE(desklet->isChildFailed());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Could not run the child application: rundll32 could not start");
}

TEST_F(PluginEntry, LateStandardFailureGivesTheConsoleBack) {
    ui.setTimerThrows = true;
    EXPECT_EQ(createDesklet(platform, widget, instance, nullptr, nullptr), nullptr);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "An exception occured: timer refused");
    EXPECT_FALSE(console.allocated) << "a later widget can allocate the console again";
    EXPECT_EQ(host.names().back(), "remove");
}

TEST_F(PluginEntry, NonStandardFailureHasItsOwnMessage) {
    OddlyFailingUserInterface oddUi;
    Platform odd{console, screen, processes, oddUi,     host, profile, graphics,
                 locks,   input,  keyboard,  clipboard, text, agents};
    EXPECT_EQ(createDesklet(odd, widget, instance, nullptr, nullptr), nullptr);
    ASSERT_EQ(oddUi.boxes.size(), 1u);
    EXPECT_EQ(oddUi.boxes[0].text, "Error: could not initialize the Desklet object");
    EXPECT_EQ(host.names().back(), "remove");
}

TEST_F(PluginEntry, AFailingErrorBoxDoesNotLeaveTheEntryPoints) {
    BoxlessUserInterface boxless;
    Platform failing{console, screen, processes, boxless,   host, profile, graphics,
                     locks,   input,  keyboard,  clipboard, text, agents};
    boxless.timerFails = true;
    EXPECT_EQ(createDesklet(failing, widget, instance, nullptr, nullptr), nullptr);
    EXPECT_EQ(host.names().back(), "remove");
    console.allocateFails = true;
    EXPECT_EQ(createDesklet(failing, widget, instance, nullptr, nullptr), nullptr);
    console.allocateFails = boxless.timerFails = false;
    Desklet* desklet = createDesklet(failing, widget, instance, nullptr, nullptr);
    ASSERT_NE(desklet, nullptr);
    processDeskletMessage(failing, desklet, kWmMouseWheel, 0x00780000, 0);
    destroyDesklet(failing, desklet);
    EXPECT_FALSE(console.allocated);
}

// The host may destroy the widget from inside the failure box of one of the desklet's own
// steps; the step ends on a live desklet, which is freed after it.
struct DestroyInBoxCase {
    const char* name;
    void (*step)(Desklet& desklet);
};

void PrintTo(const DestroyInBoxCase& c, std::ostream* os) {
    *os << c.name;
}

class DestroyFromInsideABox : public DeskletTest,
                              public ::testing::WithParamInterface<DestroyInBoxCase> {};

TEST_P(DestroyFromInsideABox, FreesTheDeskletOnlyAfterTheStep) {
    Desklet* desklet = createDesklet(platform, widget, instance, nullptr, nullptr);
    ASSERT_NE(desklet, nullptr);
    processes.end(processes.lastProcess());
    ui.advanceMs(60000);  // the child ran a while: restarted at once
    processes.failStartWith = 2;
    ui.whileBoxOpen = [&] {
        destroyDesklet(platform, desklet);
        EXPECT_TRUE(console.allocated) << "not while the step still runs";
    };
    GetParam().step(*desklet);
    EXPECT_EQ(ui.boxes.size(), 1u);
    EXPECT_FALSE(console.allocated);
    EXPECT_TRUE(locks.last->deleted);
    EXPECT_FALSE(locks.last->deletedWhileHeld);
    EXPECT_EQ(ui.killedTimers.back(), std::make_pair(widget, uintptr_t{kPollTimerId}));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, DestroyFromInsideABox,
    ::testing::Values(
        DestroyInBoxCase{"Tick", [](Desklet& d) { d.processMessage(kWmTimer, kPollTimerId, 0); }},
        DestroyInBoxCase{"PageApply",
                         [](Desklet& d) {
                             d.applyConfiguration(d.currentSettings(),
                                                  kChildApplicationChange | kAllChanges);
                         }}),
    [](const auto& info) { return std::string(info.param.name); });

// A page on the sheet's thread may be using the desklet when the host destroys it.
TEST_F(PluginEntry, APageInUseKeepsADestroyedDeskletUntilItIsDone) {
    Desklet* desklet = createDesklet(platform, widget, instance, nullptr, nullptr);
    {
        HeldDesklet page(desklet->pageToken());
        ASSERT_TRUE(page);
        destroyDesklet(platform, desklet);
        EXPECT_TRUE(console.allocated);
        EXPECT_FALSE(HeldDesklet(desklet->pageToken())) << "no page finds it any more";
    }
    EXPECT_FALSE(console.allocated);
}

TEST_F(PluginEntry, NullObjectsAreIgnored) {
    RecordingPages pages;
    destroyDesklet(platform, nullptr);
    processDeskletMessage(platform, nullptr, 0x113, 1, 0);
    saveDesklet(platform, nullptr, "file.ini", "Desklet");
    EXPECT_EQ(addPropertySheets(platform, pages, nullptr), 0);
    EXPECT_TRUE(pages.created.empty());
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(PluginEntry, PagesReachTheHostInOrderWithTheDeskletAsParameter) {
    std::unique_ptr<Desklet> desklet(createDesklet(platform, widget, instance, nullptr, nullptr));
    ASSERT_NE(desklet, nullptr);
    RecordingPages pages;
    host.calls.clear();
    host.nextSheetResult = 70;

    EXPECT_EQ(addPropertySheets(platform, pages, desklet.get()), 71) << "the second answer";
    ASSERT_EQ(pages.created.size(), 2u);
    EXPECT_EQ(pages.created[0].kind, PageKind::ConsoleSettings);
    EXPECT_EQ(pages.created[1].kind, PageKind::FontAndColors);
    for (const auto& page : pages.created) {
        EXPECT_EQ(page.instance, instance);
        EXPECT_EQ(page.target, desklet->pageToken());
    }
    ASSERT_EQ(host.calls.size(), 2u);
    EXPECT_EQ(host.calls[0].pointer, reinterpret_cast<void*>(0x1001));
    EXPECT_EQ(host.calls[1].pointer, reinterpret_cast<void*>(0x1002));
    EXPECT_EQ(host.calls[1].window, widget);
}

}  // namespace
}  // namespace tideglass
