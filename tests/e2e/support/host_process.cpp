#include "host_process.h"

#include <fstream>
#include <sstream>

#include "support/message_boxes.h"
#include "support/plugin_library.h"
#include "support/widget_host.h"

namespace e2e {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

HostProcess::HostProcess(const std::string& arguments) {
    static int runs = 0;
    output_ = tempFile("host-process-" + std::to_string(++runs) + ".txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(output_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = out;
    std::string commandLine = "\"" + host::executableFolder() + "tideglass-host.exe\" " + arguments;
    started_ = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &process_) != 0;
    CloseHandle(out);
}

HostProcess::~HostProcess() {
    if (!started_)
        return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        const std::vector<HWND> shown = widgets();
        if (!shown.empty())
            PostMessageA(shown.front(), WM_COMMAND, kExit, 0);
        if (WaitForSingleObject(process_.hProcess, kTimeoutMs) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

std::vector<HWND> HostProcess::widgets() const {
    std::vector<HWND> found;
    HWND window = nullptr;
    // A widget on its way out shows an empty region.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    while ((window = FindWindowExA(nullptr, window, "TideglassHostWidget", nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        RECT rect{};
        if (owner == id() && IsWindowVisible(window) && GetWindowRect(window, &rect) &&
            rect.right - rect.left > 1 && GetWindowRgn(window, region) != NULLREGION)
            found.push_back(window);
    }
    DeleteObject(region);
    return found;
}

HWND HostProcess::findWidget(DWORD timeoutMs) const {
    std::vector<HWND> found;
    host::pumpUntil([&] { return !(found = widgets()).empty(); }, timeoutMs);
    return found.empty() ? nullptr : found.back();
}

bool HostProcess::waitForWidgets(std::size_t count, DWORD timeoutMs) const {
    return host::pumpUntil([&] { return widgets().size() == count; }, timeoutMs);
}

DWORD HostProcess::wait(DWORD timeoutMs) const {
    host::pumpUntil([&] { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; },
                    timeoutMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::string HostProcess::output() const {
    return fileText(output_);
}

}  // namespace e2e
