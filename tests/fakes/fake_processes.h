// Scriptable processes for the core's tests: environment expansion from a small table, starts
// that fail with a chosen code, children that end at once or when told, and a record of every
// creation, wait, termination and handle close.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "console/processes.h"

namespace tideglass::fakes {

class FakeProcesses : public Processes {
public:
    struct Creation {
        std::string commandLine;
        std::string directory;
        ProcessRecord record;
    };
    struct Termination {
        NativeHandle process;
        uint32_t exitCode;
    };

    bool expand(const std::string& text, std::size_t limit, std::string& out) override;
    NativeHandle createGroup() override;
    uint32_t create(const std::string& commandLine, const std::string& directory,
                    NativeHandle group, ProcessRecord& out) override;
    WaitResult poll(NativeHandle process) override;
    void terminate(NativeHandle process, uint32_t exitCode) override;
    void closeHandle(NativeHandle handle) override;
    std::string errorText(uint32_t code) override;

    // Marks a started child as ended, as if it had exited by itself.
    void end(NativeHandle process);
    bool isRunning(NativeHandle process) const { return running.count(process) != 0; }
    bool isOpen(NativeHandle handle) const { return open.count(handle) != 0; }
    NativeHandle lastProcess() const;

    std::map<std::string, std::string> environment{{"COMSPEC", "C:\\windows\\system32\\cmd.exe"},
                                                   {"HOMEPATH", "\\users\\tester"}};
    uint32_t failStartWith = 0;  // a system error code; 0 lets starts succeed
    bool endsAtOnce = false;     // started children are already ended at the first wait
    bool pollFails = false;      // every wait fails
    std::map<uint32_t, std::string> errorTexts{
        {2, "The system cannot find the file specified.\r\n"}};

    std::vector<Creation> creations;
    std::vector<Termination> terminations;
    std::vector<NativeHandle> closed;
    std::vector<NativeHandle> polled;
    int failedStarts = 0;
    std::vector<std::string>* log = nullptr;

private:
    void record(const std::string& name);

    std::set<NativeHandle> running;
    std::set<NativeHandle> open;
    std::set<NativeHandle> threads;
    std::set<NativeHandle> groups;
    uintptr_t nextHandle = 0x1000;
};

}  // namespace tideglass::fakes
