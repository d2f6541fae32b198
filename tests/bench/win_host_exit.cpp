// How long Tideglass Host keeps a person waiting with three widgets, the real host and DLL under
// Wine: from the start until each widget shows its console (text drawn in its window), and from
// Exit until the widgets' windows are gone from the screen and until the process has ended.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/message_boxes.h"
#include "support/plugin_library.h"
#include "support/widget_host.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr WPARAM kExit = 104;
constexpr WPARAM kNewWidget = 107;
constexpr DWORD kTimeoutMs = 60000;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::vector<HWND> shownWidgets(DWORD process) {
    std::vector<HWND> found;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "TideglassHostWidget", nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        RECT rect{};
        if (owner == process && IsWindowVisible(window) && GetWindowRect(window, &rect) &&
            rect.right - rect.left > 1)
            found.push_back(window);
    }
    return found;
}

// The windows that still show something (a window whose region is empty shows nothing).
std::size_t onScreen(const std::vector<HWND>& windows) {
    std::size_t count = 0;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (HWND window : windows)
        count += GetWindowRgn(window, region) == NULLREGION ? 0 : 1;
    DeleteObject(region);
    return count;
}

// Text drawn: some pixel of the window's top rows differs from its corner (the background).
bool showsText(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    HDC screen = GetDC(nullptr);
    const COLORREF background = GetPixel(screen, rect.left, rect.top);
    bool text = false;
    for (LONG y = rect.top + 4; y < rect.top + 40 && y < rect.bottom && !text; y += 2)
        for (LONG x = rect.left + 4; x < rect.right && x < rect.left + 200 && !text; ++x)
            text = GetPixel(screen, x, y) != background;
    ReleaseDC(nullptr, screen);
    return text;
}

struct Host {
    PROCESS_INFORMATION process{};
    explicit Host(const std::string& arguments) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string commandLine =
            "\"" + host::executableFolder() + "tideglass-host.exe\" " + arguments;
        CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process);
    }
    ~Host() {
        if (WaitForSingleObject(process.hProcess, kTimeoutMs) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
};

void measureExit(Host& host, const char* what) {
    const std::vector<HWND> widgets = shownWidgets(host.process.dwProcessId);
    const Clock::time_point start = Clock::now();
    PostMessageA(widgets.front(), WM_COMMAND, kExit, 0);
    host::pumpUntil([&] { return onScreen(shownWidgets(host.process.dwProcessId)) == 0; },
                    kTimeoutMs);
    const double hidden = msSince(start);
    host::pumpUntil([&] { return WaitForSingleObject(host.process.hProcess, 0) == 0; }, kTimeoutMs);
    std::printf(
        "[ figures  ] %s: Exit with %zu widgets: windows gone after %.0f ms, process "
        "ended after %.0f ms\n",
        what, widgets.size(), hidden, msSince(start));
}

}  // namespace

int main() {
    const std::string ini = e2e::tempFile("bench-host-exit.ini");
    const std::string arguments = "--ini \"" + ini + "\" --section B";
    {
        Host host(arguments);
        const DWORD id = host.process.dwProcessId;
        host::pumpUntil([&] { return shownWidgets(id).size() == 1; }, kTimeoutMs);
        for (size_t count = 2; count <= 3; ++count) {
            PostMessageA(shownWidgets(id).front(), WM_COMMAND, kNewWidget, 0);
            host::pumpUntil([&] { return shownWidgets(id).size() == count; }, kTimeoutMs);
        }
        host::pumpUntil([&] { return showsText(shownWidgets(id).back()); }, kTimeoutMs);
        measureExit(host, "added with New widget");
    }
    for (int run = 1; run <= 2; ++run) {
        const Clock::time_point start = Clock::now();
        Host host(arguments);
        const DWORD id = host.process.dwProcessId;
        std::vector<double> shown;
        std::vector<HWND> done;
        host::pumpUntil(
            [&] {
                for (HWND window : shownWidgets(id)) {
                    bool seen = false;
                    for (HWND d : done)
                        seen = seen || d == window;
                    if (!seen && showsText(window)) {
                        done.push_back(window);
                        shown.push_back(msSince(start));
                    }
                }
                return done.size() == 3;
            },
            kTimeoutMs);
        std::printf("[ figures  ] restart %d: consoles shown after", run);
        for (double ms : shown)
            std::printf(" %.0f ms", ms);
        std::printf("\n");
        measureExit(host, "restored");
    }
    return 0;
}
