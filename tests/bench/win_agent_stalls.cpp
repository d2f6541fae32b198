// What an agent widget makes the host's thread wait for, with the real DLL, console and
// interpreter under Wine, beside a widget with the process's own console:
//   a 100 KB paste into a program reading lines in an agent's console, until it has read it all;
//   the longest call into a widget whose agent is suspended (keys, Ctrl+C, ticks, the restart
//   after its program ended, and destroying it);
//   destroying three agent widgets one after the other, as Exit does.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/gdiplus_session.h"
#include "support/widget_host.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT kWmTimer = 0x0113;

double millisOf(const std::function<void()>& call) {
    const auto start = Clock::now();
    call();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::set<DWORD> agents() {
    const std::vector<DWORD> found = e2e::childProcesses("rundll32.exe");
    return std::set<DWORD>(found.begin(), found.end());
}

// The interpreters the given agent started.
std::vector<DWORD> childrenOf(DWORD parent) {
    std::vector<DWORD> found;
    for (const auto& [pid, image] : e2e::descendants(parent))
        if (_stricmp(image.c_str(), "cmd.exe") == 0)
            found.push_back(pid);
    return found;
}

bool readerRunning() {
    for (const auto& [pid, image] : e2e::descendants(GetCurrentProcessId()))
        if (_stricmp(image.c_str(), "e2e_agents.exe") == 0)
            return true;
    return false;
}

void endProcess(DWORD pid) {
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
}

std::string iniWith(const std::string& section, const std::string& key, const std::string& value) {
    const std::string ini = e2e::tempFile("bench-stalls-" + section + ".ini");
    DeleteFileA(ini.c_str());
    WritePrivateProfileStringA(section.c_str(), "poll-interval", "30", ini.c_str());
    if (!key.empty())
        WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), ini.c_str());
    return ini;
}

}  // namespace

int main() {
    SetCurrentDirectoryA("C:\\");
    host::GdiplusSession gdiplus;
    e2e::WidgetHost first;
    const std::string firstIni = iniWith("First", "", "");
    if (!first.create(firstIni.c_str(), "First")) {
        std::printf("could not create the first widget\n");
        return 1;
    }

    {
        const std::string output = e2e::tempFile("bench-stalls-pasted.txt");
        DeleteFileA(output.c_str());
        const std::string ini =
            iniWith("Reader", "child-app-cmdline",
                    host::executableFolder() + "e2e_agents.exe --console-reader " + output);
        e2e::WidgetHost reader;
        std::wstring text;
        for (int line = 0; text.size() < 100 * 1024; ++line)
            text += L"line " + std::to_wstring(line) + L": " + std::wstring(88, L'p') + L"\n";
        if (!reader.create(ini.c_str(), "Reader") ||
            !host::pumpUntil([] { return readerRunning(); }, 10000) ||
            !e2e::setClipboardText(reader.window(), text + L"END\n")) {
            std::printf("could not set up the paste\n");
            return 1;
        }
        host::pumpFor(1000);
        const auto start = Clock::now();
        reader.pressKey("Ctrl+Shift+V");
        const bool read = host::pumpUntil(
            [&] { return GetFileAttributesA(output.c_str()) != INVALID_FILE_ATTRIBUTES; }, 120000);
        std::printf("100 KB paste into an agent widget:        %8.0f ms%s\n",
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count(),
                    read ? "" : " (not all read)");
    }

    {
        const std::set<DWORD> before = agents();
        const std::string ini = iniWith("Hung", "", "");
        e2e::WidgetHost hung;
        DWORD agent = 0;
        hung.create(ini.c_str(), "Hung");
        host::pumpUntil(
            [&] {
                for (DWORD pid : agents())
                    if (!before.count(pid))
                        agent = pid;
                return agent != 0 && !childrenOf(agent).empty();
            },
            10000);
        if (agent == 0 || !e2e::suspendProcess(agent, true)) {
            std::printf("could not suspend the agent\n");
            return 1;
        }
        double longest = 0;
        auto time = [&](const std::function<void()>& call) {
            longest = std::max(longest, millisOf(call));
        };
        time([&] { hung.pressKey("Ctrl+C"); });
        time([&] { hung.typeText("echo typed while hung"); });
        for (int i = 0; i < 10; ++i)
            time([&] { hung.send(kWmTimer, 1, 0); });
        std::printf("longest call, agent suspended:            %8.0f ms\n", longest);
        for (DWORD shell : childrenOf(agent))
            endProcess(shell);
        double restart = 0;
        for (int i = 0; i < 10; ++i)
            restart = std::max(restart, millisOf([&] { hung.send(kWmTimer, 1, 0); }));
        std::printf("longest tick, its program ended meanwhile: %8.0f ms\n", restart);
        e2e::suspendProcess(agent, false);
        std::printf("destroying it:                            %8.0f ms\n",
                    millisOf([&] { hung.destroy(); }));
    }

    {
        e2e::WidgetHost widgets[3];
        const std::string ini = iniWith("Three", "", "");
        for (e2e::WidgetHost& widget : widgets)
            widget.create(ini.c_str(), "Three");
        host::pumpUntil([] { return agents().size() == 3; }, 20000);
        host::pumpFor(1000);
        std::printf("destroying three agent widgets:           %8.0f ms\n", millisOf([&] {
                        for (e2e::WidgetHost& widget : widgets)
                            widget.destroy();
                    }));
    }
    return 0;
}
