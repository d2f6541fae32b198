// Process port: what starting, watching and ending the child program needs.
#pragma once

#include <cstdint>
#include <string>

#include "ports/handles.h"

namespace tideglass {

// The child process record: process and thread handles and ids, as process creation fills them.
struct ProcessRecord {
    NativeHandle process = nullptr;
    NativeHandle thread = nullptr;
    uint32_t processId = 0;
    uint32_t threadId = 0;
};

enum class WaitResult { Ended, Running, Failed };

class Processes {
public:
    Processes() = default;
    Processes(const Processes&) = delete;
    Processes& operator=(const Processes&) = delete;
    virtual ~Processes() = default;

    // Expands environment references; false when the result does not fit in `limit` characters.
    virtual bool expand(const std::string& text, std::size_t limit, std::string& out) = 0;
    // A group for children and every process they start in turn: closing its handle ends all
    // of them but those that left it on purpose. Null where the system cannot make one.
    virtual NativeHandle createGroup() = 0;
    // Creates the child in the caller's console, inheriting none of the caller's handles, and
    // puts it into `group` (if not null) before it runs; where the system cannot, it runs
    // outside. Returns 0 or the system error code of the failure.
    virtual uint32_t create(const std::string& commandLine, const std::string& directory,
                            NativeHandle group, ProcessRecord& out) = 0;
    virtual WaitResult poll(NativeHandle process) = 0;  // a wait with a time-out of 0
    virtual void terminate(NativeHandle process, uint32_t exitCode) = 0;
    virtual void closeHandle(NativeHandle handle) = 0;
    // The system's message text for an error code, as the system gives it; empty if none.
    virtual std::string errorText(uint32_t code) = 0;
};

}  // namespace tideglass
