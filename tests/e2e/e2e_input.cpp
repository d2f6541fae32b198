// Typing into the widget with keys delivered as a host delivers them (modifier keys of their own,
// the thread's keyboard state showing them held), with the real console and command interpreter:
// capitals and symbols arrive exactly, history works, and Ctrl+C interrupts a program while the
// host survives Ctrl+C and Ctrl+Break.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
#include <string>

#include "support/message_boxes.h"
#include "support/widget_host.h"

namespace {

std::string trimmed(const std::string& row) {
    const size_t end = row.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : row.substr(0, end + 1);
}

int rowsEqualTo(const std::string& text) {
    int n = 0;
    for (const auto& row : e2e::consoleRows())
        n += trimmed(row) == text ? 1 : 0;
    return n;
}

int rowsContaining(const std::string& text) {
    int n = 0;
    for (const auto& row : e2e::consoleRows())
        n += row.find(text) != std::string::npos ? 1 : 0;
    return n;
}

// The row the cursor is on: where the command interpreter reads its line.
std::string cursorRow() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    const auto rows = e2e::consoleRows();
    if (!e2e::consoleInfo(info))
        return {};
    const size_t row = static_cast<size_t>(info.dwCursorPosition.Y - info.srWindow.Top);
    return row < rows.size() ? trimmed(rows[row]) : std::string();
}

bool promptWaiting() {
    const std::string row = cursorRow();
    return !row.empty() && row.back() == '>';
}

bool anyProcessNamed(const char* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry)) {
        found = _stricmp(entry.szExeFile, exeName) == 0 && e2e::processRunning(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}

std::string screenText() {
    std::string text;
    for (const auto& row : e2e::consoleRows())
        text += trimmed(row) + "\n";
    return text;
}

class Input : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(widget.loaded());
        ASSERT_NE(widget.create(), nullptr);
        ASSERT_TRUE(waitUntil(promptWaiting)) << "no prompt";
    }
    bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs = 8000) {
        return host::pumpUntil(done, timeoutMs);
    }
    e2e::WidgetHost widget;
};

TEST_F(Input, CapitalsAndSymbolsArriveExactlyAndUpRecallsTheLine) {
    const std::string line = "echo Hello World: A+B=C!";
    widget.typeText(line);
    ASSERT_TRUE(waitUntil([&] { return cursorRow().find(line) != std::string::npos; }))
        << "typed: " << cursorRow();
    widget.pressKey("Enter");
    ASSERT_TRUE(waitUntil([] { return rowsEqualTo("Hello World: A+B=C!") == 1; }));
    ASSERT_TRUE(waitUntil(promptWaiting));

    widget.pressKey("Up");
    ASSERT_TRUE(waitUntil([&] { return cursorRow().find(line) != std::string::npos; }))
        << "recalled: " << cursorRow();
    widget.pressKey("Enter");
    EXPECT_TRUE(waitUntil([] { return rowsEqualTo("Hello World: A+B=C!") == 2; }));
}

TEST_F(Input, ChangingToTheDriveRootWorks) {
    widget.typeText("cd C:\\");
    widget.pressKey("Enter");
    EXPECT_TRUE(waitUntil([] { return cursorRow() == "C:\\>"; })) << cursorRow();
    EXPECT_TRUE(widget.boxes().boxes().empty());
}

TEST_F(Input, CtrlCStopsARunningProgramAndTheHostSurvivesCtrlCAndCtrlBreak) {
    widget.typeText("ping -n 100 127.0.0.1");
    widget.pressKey("Enter");
    ASSERT_TRUE(waitUntil([] { return anyProcessNamed("ping.exe"); })) << "ping did not start";
    // Its output under the command line, so the prompt that follows is a new one.
    ASSERT_TRUE(waitUntil([] { return rowsContaining("127.0.0.1") >= 2; })) << screenText();

    const std::vector<DWORD> shells = e2e::childProcesses();
    ASSERT_EQ(shells.size(), 1u);
    widget.pressKey("Ctrl+C");
    EXPECT_TRUE(waitUntil([] { return !anyProcessNamed("ping.exe"); }, 15000)) << "ping still runs";
    // Wine's cmd ends on Ctrl+C too, but only after it has shown a prompt again; what is typed
    // at that prompt would go with it. The widget starts a new one at its next tick.
    EXPECT_TRUE(waitUntil([&] { return !e2e::processRunning(shells.front()); }, 15000));
    // Then the new one's banner and its own prompt: until then the cursor still waits at the
    // old prompt.
    EXPECT_TRUE(waitUntil(
        [] {
            return e2e::childProcesses().size() == 1 && rowsContaining("Microsoft Windows") >= 2 &&
                   promptWaiting();
        },
        15000))
        << "no prompt after Ctrl+C: " << cursorRow();

    // The signals reach every process on the console, this host included: it is still here to
    // go on. Ctrl+Break is given at the new prompt; Wine cannot raise it, and the key goes in as
    // a key.
    widget.pressKey("Ctrl+Break");
    // Wine's console may still hold the line read that the ended interpreter had begun, and the
    // first line typed then goes to it; the new interpreter gets the next one.
    bool echoed = false;
    for (int attempt = 0; attempt < 3 && !echoed; ++attempt) {
        widget.typeText("echo still here");
        widget.pressKey("Enter");
        echoed = waitUntil([] { return rowsEqualTo("still here") >= 1; }, 3000);
    }
    EXPECT_TRUE(echoed) << screenText();
    EXPECT_TRUE(widget.boxes().boxes().empty());
}

// Pasting into a program that reads its console line by line (this test program, run as the
// widget's child in reader mode): the text arrives exactly, line breaks of every kind as Enter.
class Paste : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(widget.loaded());
        const std::string ini = e2e::tempFile("tideglass-paste.ini");
        // Unquoted: the profile functions take the quotes off a value that starts and ends with
        // one.
        const std::string reader =
            host::executableFolder() + "e2e_input.exe --console-reader " + output;
        WritePrivateProfileStringA("Desklet", "child-app-cmdline", reader.c_str(), ini.c_str());
        WritePrivateProfileStringA("Desklet", "poll-interval", "50", ini.c_str());
        ASSERT_NE(widget.create(ini.c_str(), "Desklet"), nullptr);
        ASSERT_TRUE(
            host::pumpUntil([] { return !e2e::childProcesses("e2e_input.exe").empty(); }, 5000))
            << (widget.boxes().boxes().empty() ? "" : widget.boxes().boxes().front().text);
    }
    // Pastes `text` with the given keys and returns what the reader read, once it has.
    std::wstring pasted(const std::wstring& text, const char* keys, DWORD timeoutMs) {
        if (!e2e::setClipboardText(widget.window(), text) || !widget.pressKey(keys))
            return L"(not pasted)";
        if (!host::pumpUntil(
                [&] { return GetFileAttributesA(output.c_str()) != INVALID_FILE_ATTRIBUTES; },
                timeoutMs))
            return L"(nothing read)";
        HANDLE file = CreateFileA(output.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        std::wstring read(size_t(GetFileSize(file, nullptr) / sizeof(wchar_t)), L'\0');
        DWORD bytes = 0;
        ReadFile(file, &read[0], DWORD(read.size() * sizeof(wchar_t)), &bytes, nullptr);
        CloseHandle(file);
        return read;
    }
    const std::string output = e2e::tempFile("tideglass-pasted.txt");
    e2e::WidgetHost widget;
};

TEST_F(Paste, ShiftInsertTypesUnicodeLinesExactly) {
    const std::wstring read =
        pasted(L"echo \u00e9t\u00e9 \u03a9 \u2192 \u65e5\u672c\r\nsecond line\nthird\rEND\r\n",
               "Shift+Insert", 10000);
    EXPECT_EQ(read, L"echo \u00e9t\u00e9 \u03a9 \u2192 \u65e5\u672c\r\nsecond line\r\nthird\r\n");
}

TEST_F(Paste, HundredKilobytesArriveWholeAndInOrder) {
    std::wstring text, expected;
    for (int line = 0; text.size() < 100 * 1024; ++line) {
        std::wstring row = L"line " + std::to_wstring(line) + L": ";
        while (row.size() < 96)
            row += wchar_t(L'a' + (row.size() + line) % 26);
        row += L" \u00e9\u03a9";
        text += row + L"\n";
        expected += row + L"\r\n";
    }
    const DWORD start = GetTickCount();
    const std::wstring read = pasted(text + L"END\n", "Ctrl+Shift+V", 120000);
    std::cout << "[ figures  ] " << text.size() << " characters pasted and read in "
              << GetTickCount() - start << " ms\n";
    EXPECT_EQ(read.size(), expected.size());
    EXPECT_TRUE(read == expected)
        << "first difference at "
        << std::mismatch(read.begin(), read.end(), expected.begin(), expected.end()).first -
               read.begin();
}

}  // namespace
