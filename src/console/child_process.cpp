#include "console/child_process.h"

#include <stdexcept>
#include <utility>

namespace tideglass {

namespace {

// Cutting an expansion would start a different program, or the right one in the wrong folder,
// so a text that does not fit is refused as a failed start.
std::string expandOrThrow(Processes& processes, const std::string& text, const char* what) {
    std::string expanded;
    if (!processes.expand(text, kExpansionLimit, expanded)) {
        throw std::runtime_error(std::string("the ") + what +
                                 " does not fit in 32766 characters once its environment "
                                 "variables are expanded");
    }
    return expanded;
}

}  // namespace

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : processes_(other.processes_),
      group_(other.group_),
      record_(std::exchange(other.record_, ProcessRecord{})) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        terminate();
        processes_ = other.processes_;
        group_ = other.group_;
        record_ = std::exchange(other.record_, ProcessRecord{});
    }
    return *this;
}

void ChildProcess::launch(const std::string& commandLine, const std::string& directory) {
    terminate();
    const std::string expandedCommandLine = expandOrThrow(*processes_, commandLine, "command line");
    const std::string expandedDirectory = expandOrThrow(*processes_, directory, "start directory");
    ProcessRecord started;
    const uint32_t error =
        processes_->create(expandedCommandLine, expandedDirectory, group_, started);
    if (error != 0)
        throw std::runtime_error(processes_->errorText(error));
    record_ = started;
}

void ChildProcess::terminate() noexcept {
    if (!launched())
        return;
    // A failed wait is treated like an ended child: there is nothing left to end safely.
    if (processes_->poll(record_.process) == WaitResult::Running) {
        processes_->terminate(record_.process, 0);
    }
    processes_->closeHandle(record_.thread);
    processes_->closeHandle(record_.process);
    record_ = ProcessRecord{};
}

WaitResult ChildProcess::poll() const {
    if (!launched())
        return WaitResult::Failed;
    return processes_->poll(record_.process);
}

}  // namespace tideglass
