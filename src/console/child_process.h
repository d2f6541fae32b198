// The child program's process record as an owned resource: launched from the settings'
// command line and start directory, ended and closed when the record goes away.
#pragma once

#include <cstddef>
#include <string>

#include "console/processes.h"

namespace tideglass {

// The group that a widget's children and everything they start run in; when it goes, whatever
// still runs in it is ended.
class ChildGroup {
public:
    explicit ChildGroup(Processes& processes)
        : processes_(processes), handle_(processes.createGroup()) {}
    ~ChildGroup() {
        if (handle_)
            processes_.closeHandle(handle_);
    }
    ChildGroup(const ChildGroup&) = delete;
    ChildGroup& operator=(const ChildGroup&) = delete;

    NativeHandle handle() const { return handle_; }  // null when the system has none

private:
    Processes& processes_;
    NativeHandle handle_;
};

// Room for an expanded command line or start directory, the most process creation accepts.
constexpr std::size_t kExpansionLimit = 32766;

class ChildProcess {
public:
    // Children are started in `group` when one is given (see Processes::createGroup).
    explicit ChildProcess(Processes& processes, NativeHandle group = nullptr)
        : processes_(&processes), group_(group) {}
    ~ChildProcess() { terminate(); }

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Expands both texts and starts the program in the caller's console. Throws
    // std::runtime_error with the system's text for the failure; the record then stays empty.
    // A record that already holds a child ends it first.
    void launch(const std::string& commandLine, const std::string& directory);

    // Ends the child if it still runs (exit code 0) and closes the thread, then the process
    // handle. Does nothing on an empty record; never fails.
    void terminate() noexcept;

    // A zero wait on the process: Ended or Failed mean the child has to be started again.
    WaitResult poll() const;

    bool launched() const { return record_.process != nullptr; }
    const ProcessRecord& record() const { return record_; }

private:
    Processes* processes_;
    NativeHandle group_;
    ProcessRecord record_;
};

}  // namespace tideglass
