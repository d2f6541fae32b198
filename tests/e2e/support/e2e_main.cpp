// Entry point of every Windows test program: GDI+ and the common controls started as a desklet
// host starts them, the current directory at C:\ as for a program started from the desktop, and
// a watcher that closes any error box the plug-in shows so no test can hang on it.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <string>

#include "support/gdiplus_session.h"
#include "late_echo.h"

namespace {

// The program a test runs in the widget's console (`--console-reader FILE`): it reads lines the
// way a console program does (ReadConsoleW, line input, no echo) until a line "END", and then
// writes what it read before that line to FILE, as UTF-16.
int consoleReader(const char* file) {
    // A GUI program is not given its parent's console by itself.
    AttachConsole(ATTACH_PARENT_PROCESS);
    HANDLE input =
        CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    SetConsoleMode(input, ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    std::wstring text, line;
    wchar_t buffer[4096];
    for (;;) {
        DWORD read = 0;
        if (!ReadConsoleW(input, buffer, DWORD(std::size(buffer)), &read, nullptr) || read == 0)
            return 1;
        line.append(buffer, read);
        if (line.empty() || line.back() != L'\n')
            continue;  // the rest of a long line follows
        if (line == L"END\r\n")
            break;
        text += line;
        line.clear();
    }
    const std::string partial = std::string(file) + ".part";
    HANDLE out = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, text.data(), DWORD(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(out);
    return MoveFileExA(partial.c_str(), file, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--console-reader")
        return consoleReader(argv[2]);
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == e2e::kLateEchoOption)
        return e2e::lateEcho(std::atoi(argv[2]), argc == 4 ? argv[3] : nullptr);
    SetCurrentDirectoryA("C:\\");
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    host::GdiplusSession gdiplus;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
