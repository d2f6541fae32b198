#include "fakes/fake_processes.h"

namespace tideglass::fakes {

void FakeProcesses::record(const std::string& name) {
    if (log)
        log->push_back(name);
}

bool FakeProcesses::expand(const std::string& text, std::size_t limit, std::string& out) {
    record("expand");
    std::string result;
    size_t i = 0;
    while (i < text.size()) {
        const size_t first = text.find('%', i);
        const size_t second = first == std::string::npos ? first : text.find('%', first + 1);
        if (second == std::string::npos) {
            result += text.substr(i);
            break;
        }
        result += text.substr(i, first - i);
        const std::string name = text.substr(first + 1, second - first - 1);
        const auto found = environment.find(name);
        // Unknown names stay as written, as the system leaves them.
        result +=
            found != environment.end() ? found->second : text.substr(first, second - first + 1);
        i = second + 1;
    }
    // `limit` counts the terminating zero, as the system's buffer size does.
    if (result.size() + 1 > limit)
        return false;
    out = result;
    return true;
}

NativeHandle FakeProcesses::createGroup() {
    record("createGroup");
    const auto group = reinterpret_cast<NativeHandle>(nextHandle);
    nextHandle += 0x10;
    groups.insert(group);
    open.insert(group);
    return group;
}

uint32_t FakeProcesses::create(const std::string& commandLine, const std::string& directory,
                               NativeHandle, ProcessRecord& out) {
    record("createProcess");
    if (failStartWith != 0) {
        ++failedStarts;
        return failStartWith;
    }
    ProcessRecord started;
    started.process = reinterpret_cast<NativeHandle>(nextHandle);
    started.thread = reinterpret_cast<NativeHandle>(nextHandle + 1);
    started.processId = static_cast<uint32_t>(nextHandle);
    started.threadId = static_cast<uint32_t>(nextHandle + 1);
    nextHandle += 0x10;
    if (!endsAtOnce)
        running.insert(started.process);
    open.insert(started.process);
    open.insert(started.thread);
    threads.insert(started.thread);
    creations.push_back({commandLine, directory, started});
    out = started;
    return 0;
}

WaitResult FakeProcesses::poll(NativeHandle process) {
    record("waitForProcess");
    polled.push_back(process);
    if (pollFails || !isOpen(process))
        return WaitResult::Failed;
    return isRunning(process) ? WaitResult::Running : WaitResult::Ended;
}

void FakeProcesses::terminate(NativeHandle process, uint32_t exitCode) {
    record("terminateProcess");
    terminations.push_back({process, exitCode});
    running.erase(process);
}

void FakeProcesses::closeHandle(NativeHandle handle) {
    record(threads.count(handle)  ? "closeThread"
           : groups.count(handle) ? "closeGroup"
                                  : "closeProcess");
    closed.push_back(handle);
    open.erase(handle);
}

std::string FakeProcesses::errorText(uint32_t code) {
    const auto found = errorTexts.find(code);
    return found != errorTexts.end() ? found->second : std::string();
}

void FakeProcesses::end(NativeHandle process) {
    running.erase(process);
}

NativeHandle FakeProcesses::lastProcess() const {
    return creations.empty() ? nullptr : creations.back().record.process;
}

}  // namespace tideglass::fakes
