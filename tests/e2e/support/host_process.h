// tideglass-host.exe started as a program of its own (its output into a file), and its widget
// windows looked at from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

class HostProcess {
public:
    static constexpr DWORD kTimeoutMs = 20000;
    static constexpr WPARAM kExit = 104;

    explicit HostProcess(const std::string& arguments);
    // Asks a host still running to exit, and ends it when it does not.
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    bool started() const { return started_; }
    DWORD id() const { return process_.dwProcessId; }
    // The widget windows that the plug-in has sized and the host shows (not on their way out).
    std::vector<HWND> widgets() const;
    // The last widget window the host shows, once there is one (null when the time is up).
    HWND findWidget(DWORD timeoutMs = kTimeoutMs) const;
    // Waits until the host shows `count` widgets; false when the time is up.
    bool waitForWidgets(std::size_t count, DWORD timeoutMs = kTimeoutMs) const;
    // Waits for the process to end; its exit code, or STILL_ACTIVE when the time is up.
    DWORD wait(DWORD timeoutMs = kTimeoutMs) const;
    std::string output() const;

private:
    std::string output_;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

std::string fileText(const std::string& path);

}  // namespace e2e
