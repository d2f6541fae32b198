// A console program for the tests and benchmarks that measure how soon a widget shows a
// program's answer to a key: it prints "ready>" and then echoes every typed character itself,
// a set time after reading it, as line editors, shells that colour their line and full-screen
// programs do. Run as `<test program> --late-echo MS [FILE]`; it creates FILE, when given, once it
// reads keys, and runs until its console's owner ends it.
#pragma once

#include <windows.h>

#include <iterator>
#include <string>

namespace e2e {

constexpr char kLateEchoOption[] = "--late-echo";

inline int lateEcho(int delayMs, const char* readyFile = nullptr) {
    // A GUI program is not given its parent's console by itself.
    AttachConsole(ATTACH_PARENT_PROCESS);
    HANDLE input =
        CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE output =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE)
        return 1;
    // Raw keys: the console neither echoes nor waits for a line.
    SetConsoleMode(input, 0);
    DWORD written = 0;
    WriteConsoleW(output, L"ready>", 6, &written, nullptr);
    if (readyFile != nullptr)
        CloseHandle(CreateFileA(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    for (;;) {
        INPUT_RECORD records[64];
        DWORD read = 0;
        if (!ReadConsoleInputW(input, records, DWORD(std::size(records)), &read))
            return 1;
        for (DWORD i = 0; i < read; ++i) {
            const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
            if (records[i].EventType != KEY_EVENT || !key.bKeyDown || key.uChar.UnicodeChar < 0x20)
                continue;
            Sleep(DWORD(delayMs));
            WriteConsoleW(output, &key.uChar.UnicodeChar, 1, &written, nullptr);
        }
    }
}

// The command line that runs this executable as the late-echo program.
inline std::string lateEchoCommandLine(int delayMs, const std::string& readyFile = "") {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return "\"" + std::string(path) + "\" " + kLateEchoOption + " " + std::to_string(delayMs) +
           (readyFile.empty() ? "" : " " + readyFile);
}

}  // namespace e2e
