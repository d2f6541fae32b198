// The process port over the kernel's process functions: expanding, creating, polling and ending
// the child program, and the system's texts for its error codes.
#pragma once

#include "console/processes.h"

namespace tideglass::win32 {

class Win32Processes final : public Processes {
public:
    bool expand(const std::string& text, std::size_t limit, std::string& out) override;
    NativeHandle createGroup() override;
    uint32_t create(const std::string& commandLine, const std::string& directory,
                    NativeHandle group, ProcessRecord& out) override;
    WaitResult poll(NativeHandle process) override;
    void terminate(NativeHandle process, uint32_t exitCode) override;
    void closeHandle(NativeHandle handle) override;
    std::string errorText(uint32_t code) override;
};

}  // namespace tideglass::win32
