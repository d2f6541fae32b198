#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "console/child_process.h"
#include "fakes/fake_processes.h"

namespace tideglass {
namespace {

class ChildProcessTest : public ::testing::Test {
protected:
    ChildProcessTest() { processes.log = &log; }

    std::vector<std::string> log;
    fakes::FakeProcesses processes;
};

TEST_F(ChildProcessTest, LaunchStartsTheExpandedCommandInTheExpandedDirectory) {
    ChildProcess child(processes);
    child.launch("%COMSPEC% /k", "%HOMEPATH%\\work");
    ASSERT_EQ(processes.creations.size(), 1u);
    EXPECT_EQ(processes.creations[0].commandLine, "C:\\windows\\system32\\cmd.exe /k");
    EXPECT_EQ(processes.creations[0].directory, "\\users\\tester\\work");
    EXPECT_TRUE(child.launched());
    EXPECT_EQ(child.record().process, processes.lastProcess());
    EXPECT_EQ(child.poll(), WaitResult::Running);
}

TEST_F(ChildProcessTest, EmptyDirectoryIsPassedAsEmptyText) {
    ChildProcess child(processes);
    child.launch("prog.exe", "");
    ASSERT_EQ(processes.creations.size(), 1u);
    EXPECT_EQ(processes.creations[0].directory, "");
}

TEST_F(ChildProcessTest, FailedStartThrowsTheSystemTextAndLeavesTheRecordEmpty) {
    processes.failStartWith = 2;
    ChildProcess child(processes);
    try {
        child.launch("missing.exe", "C:\\");
        FAIL() << "launch should have thrown";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "The system cannot find the file specified.\r\n");
    }
    EXPECT_FALSE(child.launched());
    EXPECT_EQ(child.poll(), WaitResult::Failed);
}

// Cutting the text would start something else than the user asked for.
TEST_F(ChildProcessTest, ExpansionThatDoesNotFitIsRefusedWithoutStarting) {
    processes.environment["BIG"] = std::string(kExpansionLimit, 'x');
    for (const auto& [commandLine, directory] : std::vector<std::pair<std::string, std::string>>{
             {"%BIG%", "C:\\"}, {"cmd.exe", "%BIG%"}}) {
        ChildProcess child(processes);
        try {
            child.launch(commandLine, directory);
            FAIL() << "launch of " << commandLine.substr(0, 10) << " should have thrown";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("32766"), std::string::npos) << e.what();
        }
        EXPECT_FALSE(child.launched());
    }
    EXPECT_TRUE(processes.creations.empty());
}

TEST_F(ChildProcessTest, LongestExpansionThatFitsIsStarted) {
    processes.environment["BIG"] = std::string(kExpansionLimit - 1, 'x');
    ChildProcess child(processes);
    child.launch("%BIG%", "");
    ASSERT_EQ(processes.creations.size(), 1u);
    EXPECT_EQ(processes.creations[0].commandLine.size(), kExpansionLimit - 1);
}

TEST_F(ChildProcessTest, TerminateEndsARunningChildThenClosesThreadAndProcess) {
    ChildProcess child(processes);
    child.launch("cmd.exe", "");
    const ProcessRecord record = child.record();
    log.clear();
    child.terminate();
    EXPECT_EQ(log, (std::vector<std::string>{"waitForProcess", "terminateProcess", "closeThread",
                                             "closeProcess"}));
    ASSERT_EQ(processes.terminations.size(), 1u);
    EXPECT_EQ(processes.terminations[0].process, record.process);
    EXPECT_EQ(processes.terminations[0].exitCode, 0u);
    EXPECT_EQ(processes.closed, (std::vector<NativeHandle>{record.thread, record.process}));
    EXPECT_FALSE(child.launched());
    child.terminate();  // a second call finds nothing to end
    EXPECT_EQ(processes.closed.size(), 2u);
}

TEST_F(ChildProcessTest, TerminateOnAnEndedOrUnwaitableChildOnlyClosesHandles) {
    for (bool pollFails : {false, true}) {
        fakes::FakeProcesses local;
        ChildProcess child(local);
        child.launch("cmd.exe", "");
        if (pollFails) {
            local.pollFails = true;
        } else {
            local.end(child.record().process);
        }
        child.terminate();
        EXPECT_TRUE(local.terminations.empty()) << "pollFails " << pollFails;
        EXPECT_EQ(local.closed.size(), 2u) << "pollFails " << pollFails;
    }
}

TEST_F(ChildProcessTest, DestructionEndsTheChildAndMovingHandsItOver) {
    NativeHandle process = nullptr;
    {
        ChildProcess first(processes);
        first.launch("cmd.exe", "");
        process = first.record().process;
        ChildProcess second(std::move(first));
        EXPECT_FALSE(first.launched());
        first.terminate();
        EXPECT_TRUE(processes.terminations.empty());
        EXPECT_EQ(second.record().process, process);
    }
    ASSERT_EQ(processes.terminations.size(), 1u);
    EXPECT_EQ(processes.terminations[0].process, process);
    EXPECT_FALSE(processes.isOpen(process));
}

}  // namespace
}  // namespace tideglass
