// Several widgets in one host process: the first has the process's console, the others run
// theirs in console agents. Each shows its own console, takes its own keys and signals, and
// goes without disturbing the others; nothing of an agent outlives its widget or its host.
#include <windows.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/widget_host.h"

namespace {

bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
    return host::pumpUntil(done, timeoutMs);
}

int countNamed(const std::map<DWORD, std::string>& processes, const char* name) {
    int n = 0;
    for (const auto& [pid, image] : processes)
        n += _stricmp(image.c_str(), name) == 0 ? 1 : 0;
    return n;
}

// How many processes of this image this process started, directly or not.
int ownProcesses(const char* name) {
    return countNamed(e2e::descendants(GetCurrentProcessId()), name);
}

// The colour of the middle of the widget's last overlay, 0 before it has one.
uint32_t middlePixel(HWND widget) {
    const std::vector<host::HostCall> calls = host::HostRecorder::instance().calls();
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->name == "DeskletSetImageOverlay" && it->window == widget) {
            auto* image = reinterpret_cast<Gdiplus::Image*>(it->first);
            auto* bitmap = static_cast<Gdiplus::Bitmap*>(image);
            Gdiplus::Color color;
            bitmap->GetPixel(int(image->GetWidth() / 2), int(image->GetHeight() / 2), &color);
            return color.GetValue() & 0xFFFFFF;
        }
    }
    return 0;
}

// Which of red, green and blue a pixel shows, as the console's colour bits (4, 2, 1).
int colourBits(uint32_t rgb) {
    return ((rgb >> 16 & 0xFF) > 0x40 ? 4 : 0) | ((rgb >> 8 & 0xFF) > 0x40 ? 2 : 0) |
           ((rgb & 0xFF) > 0x40 ? 1 : 0);
}

class Widgets : public testing::Test {
protected:
    // A widget on a fast timer that draws the console's background colours.
    void* create(e2e::WidgetHost& widget, const std::string& section,
                 const std::map<std::string, std::string>& more = {}) {
        const std::string ini = e2e::tempFile("agents-" + section + ".ini");
        DeleteFileA(ini.c_str());
        WritePrivateProfileStringA(section.c_str(), "ignore-bg-colors", "0", ini.c_str());
        WritePrivateProfileStringA(section.c_str(), "poll-interval", "30", ini.c_str());
        for (const auto& [key, value] : more)
            WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), ini.c_str());
        return widget.create(ini.c_str(), section.c_str());
    }
    // What the widget shows, through its copy key, once it holds `text`.
    bool copiedHolds(e2e::WidgetHost& widget, const std::wstring& text) {
        std::wstring copied;
        const bool found = waitUntil([&] {
            widget.pressKey("Ctrl+Shift+C");
            copied = e2e::clipboardText(widget.window());
            return copied.find(text) != std::wstring::npos;
        });
        if (!found)
            std::cout << "copied: " << std::string(copied.begin(), copied.end()) << "\n";
        return found;
    }
    // Types a line into the widget's interpreter.
    void run(e2e::WidgetHost& widget, const std::string& line) {
        widget.typeText(line);
        widget.typeKey(VK_RETURN);
    }
    // Fills the widget's console with a background colour (console colour bits 0-7).
    void paint(e2e::WidgetHost& widget, int colour) {
        const char digits[] = "01234567";
        run(widget, std::string("color ") + digits[colour] + "F");
        run(widget, "cls");
    }
    bool shows(e2e::WidgetHost& widget, int colour) {
        return waitUntil([&] { return colourBits(middlePixel(widget.window())) == colour; });
    }
};

TEST_F(Widgets, ThreeInOneProcessEachRunTheirOwnConsole) {
    e2e::WidgetHost first, second, third;
    ASSERT_NE(create(first, "First"), nullptr);
    ASSERT_NE(create(second, "Second"), nullptr);
    ASSERT_NE(create(third, "Third"), nullptr);
    EXPECT_TRUE(first.boxes().boxes().empty());
    EXPECT_TRUE(waitUntil([] {
        return ownProcesses("rundll32.exe") == 2 && ownProcesses("cmd.exe") == 3;
    })) << "one agent for each widget after the first, one interpreter for each widget";

    // Each console shows what was typed into its own widget.
    paint(first, 1);
    paint(second, 2);
    paint(third, 4);
    EXPECT_TRUE(shows(first, 1));
    EXPECT_TRUE(shows(second, 2));
    EXPECT_TRUE(shows(third, 4));
    // Paste goes into the agent's console, and copy gives the agent's text.
    ASSERT_TRUE(e2e::setClipboardText(second.window(), L"color 5F\r\ncls\r\necho agent's own\r\n"));
    EXPECT_TRUE(second.pressKey("Shift+Insert"));
    EXPECT_TRUE(shows(second, 5));
    std::wstring copied;
    EXPECT_TRUE(waitUntil([&] {
        second.pressKey("Ctrl+Shift+C");
        copied = e2e::clipboardText(second.window());
        return copied.find(L"\r\nagent's own\r\n") != std::wstring::npos;
    })) << "copied: "
        << std::string(copied.begin(), copied.end());
    EXPECT_TRUE(shows(first, 1));
    EXPECT_TRUE(shows(third, 4));

    // Ctrl+C in one widget interrupts only its own program.
    for (e2e::WidgetHost* widget : {&first, &second, &third})
        run(*widget, "ping -n 60 127.0.0.1");
    ASSERT_TRUE(waitUntil([] { return ownProcesses("ping.exe") == 3; }));
    EXPECT_TRUE(second.pressKey("Ctrl+C"));
    EXPECT_TRUE(waitUntil([] { return ownProcesses("ping.exe") == 2; }));
    host::pumpFor(500);
    EXPECT_EQ(ownProcesses("ping.exe"), 2);
    // The others' are ended from outside: Wine's interpreter would end with a Ctrl+C too.
    for (const auto& [pid, image] : e2e::descendants(GetCurrentProcessId())) {
        if (_stricmp(image.c_str(), "ping.exe") != 0)
            continue;
        if (HANDLE ping = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
            TerminateProcess(ping, 1);
            CloseHandle(ping);
        }
    }
    ASSERT_TRUE(waitUntil([] { return ownProcesses("ping.exe") == 0; }));

    // The middle one goes with its agent and programs; the others keep working.
    second.destroy();
    EXPECT_TRUE(waitUntil([] { return ownProcesses("rundll32.exe") == 1; }));
    paint(third, 6);
    paint(first, 3);
    EXPECT_TRUE(shows(third, 6));
    EXPECT_TRUE(shows(first, 3));
    EXPECT_TRUE(first.boxes().boxes().empty());
}

// A widget whose agent is killed gets a new agent at its next tick, without a box: a console
// of the widget's size (narrower than a new console's window here) whose window the wheel
// scrolls.
TEST_F(Widgets, AgentThatDiesIsReplacedByANewConsoleOfTheWidgetsSize) {
    e2e::WidgetHost first, second;
    // Every host's watcher closes the boxes it sees: only the first's may, or it could miss one.
    second.boxes().setCloseDelay(60000);
    ASSERT_NE(create(first, "First"), nullptr);
    ASSERT_NE(create(second, "Small", {{"columns", "40"}, {"rows", "10"}}), nullptr);
    std::vector<DWORD> agents;
    ASSERT_TRUE(
        waitUntil([&] { return (agents = e2e::childProcesses("rundll32.exe")).size() == 1; }));
    HANDLE agent = OpenProcess(PROCESS_TERMINATE, FALSE, agents.front());
    ASSERT_NE(agent, nullptr);
    TerminateProcess(agent, 1);
    CloseHandle(agent);
    ASSERT_TRUE(waitUntil([&] {
        const std::vector<DWORD> now = e2e::childProcesses("rundll32.exe");
        return now.size() == 1 && now.front() != agents.front();
    })) << "a new agent";

    // Fifty characters wrap at the fortieth column.
    run(second, "echo " + std::string(50, 'x'));
    EXPECT_TRUE(copiedHolds(
        second, L"\r\n" + std::wstring(40, L'x') + L"\r\n" + std::wstring(10, L'x') + L"\r\n"));
    run(second, "cls");
    run(second, "for /L %i in (1,1,40) do @echo line%i");
    ASSERT_TRUE(copiedHolds(second, L"\r\nline40\r\n"));
    for (int turn = 0; turn < 14; ++turn)
        second.send(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_TRUE(copiedHolds(second, L"\r\nline1\r\n")) << "the wheel scrolls the new console";
    EXPECT_TRUE(first.boxes().boxes().empty());
}

// Ctrl+C and keys for a widget whose agent hangs: the host's thread goes on at once, the other
// widgets keep working, and the agent, not ended for being slow, takes them when it goes on.
TEST_F(Widgets, AHungAgentHoldsUpNeitherTheHostNorTheOtherWidgets) {
    e2e::WidgetHost first, second, third;
    ASSERT_NE(create(first, "First"), nullptr);
    ASSERT_NE(create(second, "Second"), nullptr);
    std::vector<DWORD> agents;
    ASSERT_TRUE(
        waitUntil([&] { return (agents = e2e::childProcesses("rundll32.exe")).size() == 1; }));
    ASSERT_NE(create(third, "Third"), nullptr);
    const DWORD hung = agents.front();
    ASSERT_TRUE(e2e::suspendProcess(hung, true));

    EXPECT_TRUE(second.pressKey("Ctrl+C"));
    run(second, "echo typed while hung");
    paint(third, 6);
    paint(first, 3);
    EXPECT_TRUE(shows(third, 6));
    EXPECT_TRUE(shows(first, 3));
    EXPECT_TRUE(e2e::processRunning(hung)) << "a slow agent is not ended";

    ASSERT_TRUE(e2e::suspendProcess(hung, false));
    bool painted = false;
    for (int attempt = 0; attempt < 3 && !painted; ++attempt) {
        paint(second, 5);
        painted = shows(second, 5);
    }
    EXPECT_TRUE(painted);
    EXPECT_TRUE(first.boxes().boxes().empty());
}

// A long paste into a program reading lines in an agent's console (this test program in reader
// mode) arrives whole and in order, and keys typed during it come after it.
TEST_F(Widgets, HundredKilobytesPastedIntoAnAgentArriveWholeWithTypedKeysAfter) {
    e2e::WidgetHost first, second;
    ASSERT_NE(create(first, "First"), nullptr);
    const std::string output = e2e::tempFile("agents-pasted.txt");
    DeleteFileA(output.c_str());
    const std::string reader =
        host::executableFolder() + "e2e_agents.exe --console-reader " + output;
    ASSERT_NE(create(second, "Reader", {{"child-app-cmdline", reader}}), nullptr);
    ASSERT_TRUE(waitUntil([] { return ownProcesses("e2e_agents.exe") == 1; }));

    std::wstring text, expected;
    for (int line = 0; text.size() < 100 * 1024; ++line) {
        std::wstring row = L"line " + std::to_wstring(line) + L": ";
        while (row.size() < 96)
            row += wchar_t(L'a' + (row.size() + line) % 26);
        text += row + L"\n";
        expected += row + L"\r\n";
    }
    ASSERT_TRUE(e2e::setClipboardText(second.window(), text));
    ASSERT_TRUE(second.pressKey("Ctrl+Shift+V"));
    run(second, "typed");
    run(second, "END");
    ASSERT_TRUE(waitUntil(
        [&] { return GetFileAttributesA(output.c_str()) != INVALID_FILE_ATTRIBUTES; }, 120000));
    HANDLE file = CreateFileA(output.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    std::wstring read(size_t(GetFileSize(file, nullptr) / sizeof(wchar_t)), L'\0');
    DWORD bytes = 0;
    ReadFile(file, &read[0], DWORD(read.size() * sizeof(wchar_t)), &bytes, nullptr);
    CloseHandle(file);
    expected += L"typed\r\n";
    EXPECT_EQ(read.size(), expected.size());
    EXPECT_TRUE(read == expected)
        << "first difference at "
        << std::mismatch(read.begin(), read.end(), expected.begin(), expected.end()).first -
               read.begin();
}

// Run by the next test as a host process of its own, which it then ends.
TEST_F(Widgets, DISABLED_HostProcessWithTwoWidgets) {
    e2e::WidgetHost first, second;
    ASSERT_NE(create(first, "First"), nullptr);
    ASSERT_NE(create(second, "Second"), nullptr);
    host::pumpFor(120000);
}

TEST_F(Widgets, EndingTheHostProcessEndsItsAgentAndEveryProgram) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string commandLine = std::string("\"") + exe +
                              "\" --gtest_also_run_disabled_tests "
                              "--gtest_filter=Widgets.DISABLED_HostProcessWithTwoWidgets";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &info));
    CloseHandle(info.hThread);
    std::map<DWORD, std::string> tree;
    ASSERT_TRUE(waitUntil([&] {
        tree = e2e::descendants(info.dwProcessId);
        return countNamed(tree, "rundll32.exe") == 1 && countNamed(tree, "cmd.exe") == 2;
    })) << "the host process's widgets are running";

    TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);

    EXPECT_TRUE(waitUntil([&] {
        for (const auto& [pid, image] : tree)
            if (e2e::processRunning(pid))
                return false;
        return true;
    })) << "the agent, and every program of either widget";
}

// A widget whose agent cannot start (its DLL has gone from where the host loaded it) is
// reported and removed as a widget without a console always was; the first keeps working.
TEST_F(Widgets, AgentThatCannotStartIsReportedAndTheWidgetRemoved) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder(exe);
    folder.resize(folder.find_last_of('\\') + 1);
    const std::string copy = e2e::tempFile("tideglass-vanishing.dll");
    ASSERT_TRUE(CopyFileA((folder + "tideglass.dll").c_str(), copy.c_str(), FALSE));

    e2e::WidgetHost first;
    ASSERT_NE(create(first, "First"), nullptr);
    {
        host::PluginLibrary plugin(copy);
        ASSERT_TRUE(plugin.loaded()) << plugin.problem();
        const std::string moved = copy + ".moved";
        DeleteFileA(moved.c_str());
        ASSERT_TRUE(MoveFileA(copy.c_str(), moved.c_str()));
        HWND second = CreateWindowExA(0, "STATIC", "second", WS_POPUP, 0, 0, 10, 10, nullptr,
                                      nullptr, nullptr, nullptr);
        EXPECT_EQ(plugin.entry().OnCreate(second, plugin.module(), nullptr, nullptr), nullptr);
        ASSERT_TRUE(first.boxes().waitFor(1, 20000));
        EXPECT_EQ(first.boxes().boxes()[0].text.rfind(
                      "An exception occured: could not allocate a new console", 0),
                  0u)
            << first.boxes().boxes()[0].text;
        host::HostCall removed;
        ASSERT_TRUE(first.recorder().last("DeskletRemove", removed));
        EXPECT_EQ(removed.window, second);
        DestroyWindow(second);
        MoveFileA(moved.c_str(), copy.c_str());
    }
    paint(first, 2);
    EXPECT_TRUE(shows(first, 2));
    EXPECT_EQ(ownProcesses("rundll32.exe"), 0);
}

}  // namespace
