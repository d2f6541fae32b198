// The console and process adapters against the real system: a hidden console of our own, the
// command interpreter started in it through the child process record, its screen read back
// through the screen-buffer port, and the control handler keeping Ctrl+C away from this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "console/child_process.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_lock.h"
#include "platform/win32/win32_processes.h"

namespace tideglass::win32 {
namespace {

template <typename Condition>
bool waitFor(Condition condition, DWORD timeoutMs = 10000) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() > deadline)
            return false;
        ::Sleep(10);
    }
    return true;
}

class ConsoleE2E : public ::testing::Test {
protected:
    void SetUp() override {
        // %HOMEPATH% has no drive letter; it resolves on the current drive, as for a program
        // started from the desktop.
        ASSERT_TRUE(::SetCurrentDirectoryA("C:\\"));
        ASSERT_TRUE(host.allocate()) << "error " << ::GetLastError();
        consoleWindow = host.window();
        host.hide(consoleWindow);
        host.installControlHandler();
        input = host.standardInput();
        output = host.standardOutput();
    }
    void TearDown() override {
        host.closeHandle(output);
        host.closeHandle(input);
        host.release();
    }

    // The characters of the console's visible window, row after row.
    std::string visibleText() {
        CONSOLE_SCREEN_BUFFER_INFO csbi{};
        if (!::GetConsoleScreenBufferInfo(output, &csbi))
            return std::string();
        ScreenInfo info;
        EXPECT_TRUE(screen.info(output, info));
        const int32_t columns = csbi.srWindow.Right - csbi.srWindow.Left + 1;
        const int32_t rows = csbi.srWindow.Bottom - csbi.srWindow.Top + 1;
        std::u16string wide(size_t(columns) * size_t(rows), u'\0');
        const int32_t read = screen.readWindow(output, info, columns, rows, &wide[0], nullptr);
        wide.resize(size_t(read) * size_t(columns));
        return std::string(wide.begin(), wide.end());  // the tests look for ASCII only
    }

    Win32ConsoleHost host;
    Win32ScreenBuffer screen;
    Win32Processes processes;
    WindowHandle consoleWindow = nullptr;
    NativeHandle input = nullptr;
    NativeHandle output = nullptr;
};

TEST_F(ConsoleE2E, ConsoleIsHiddenAndASecondOneIsRefused) {
    ASSERT_NE(consoleWindow, nullptr);
    EXPECT_FALSE(::IsWindowVisible(static_cast<HWND>(consoleWindow)));
    EXPECT_NE(output, nullptr);
    EXPECT_NE(output, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(host.allocate());
}

TEST_F(ConsoleE2E, BufferAndWindowTakeTheSizesGivenInOrder) {
    const CellSize largest = screen.largestWindow(output);
    EXPECT_GT(largest.columns, 0) << "no display?";
    EXPECT_GT(largest.rows, 0);
    screen.setWindow(output, 0, 0, 2, 2);
    screen.setBufferSize(output, 100, 300);
    screen.setWindow(output, 0, 0, 99, 29);
    CONSOLE_SCREEN_BUFFER_INFO csbi{};
    ASSERT_TRUE(::GetConsoleScreenBufferInfo(output, &csbi));
    EXPECT_EQ(csbi.dwSize.X, 100);
    EXPECT_EQ(csbi.dwSize.Y, 300);
    EXPECT_EQ(csbi.srWindow.Left, 0);
    EXPECT_EQ(csbi.srWindow.Top, 0);
    EXPECT_EQ(csbi.srWindow.Right, 99);
    EXPECT_EQ(csbi.srWindow.Bottom, 29);
}

TEST_F(ConsoleE2E, ScreenBufferReadsCharactersAttributesAndCursor) {
    screen.setOutputCodePage(screen.oemCodePage());
    EXPECT_EQ(::GetConsoleOutputCP(), screen.oemCodePage());
    const char text[] = "tideglass";
    DWORD written = 0;
    ASSERT_TRUE(::WriteConsoleA(output, text, 9, &written, nullptr));
    ScreenInfo info;
    ASSERT_TRUE(screen.info(output, info));
    EXPECT_EQ(info.cursorX - info.windowLeft, 9);
    info.windowTop = info.cursorY;  // the cursor's row as a one-row window
    char16_t chars[12] = {};
    uint16_t attributes[12] = {};
    ASSERT_EQ(screen.readWindow(output, info, 12, 1, chars, attributes), 1);
    EXPECT_EQ(std::u16string(chars, 9), u"tideglass");
    EXPECT_NE(attributes[0], 0);
    EXPECT_EQ(screen.readWindow(nullptr, info, 12, 1, chars, attributes), 0)
        << "a failed read counts 0";
}

// Whatever the code page (under UTF-8 the byte reads return nothing once a character outside
// ASCII is in range), the window reads as the UTF-16 the console holds; the second half of a
// wide character reads as its marker.
TEST_F(ConsoleE2E, WindowReadsUnicodeInEveryCodePage) {
    const std::u16string line = u"h\u00E9llo \u2500\u2502\u250C\u2510 \u2588\u2593 \u20AC";
    DWORD written = 0;
    ASSERT_TRUE(::WriteConsoleOutputCharacterW(output, reinterpret_cast<const WCHAR*>(line.data()),
                                               DWORD(line.size()), COORD{0, 0}, &written));
    CHAR_INFO wide[2] = {};
    wide[0].Char.UnicodeChar = wide[1].Char.UnicodeChar = 0x65E5;
    wide[0].Attributes = 0x07 | COMMON_LVB_LEADING_BYTE;
    wide[1].Attributes = 0x07 | COMMON_LVB_TRAILING_BYTE;
    SMALL_RECT at{20, 0, 21, 0};
    ASSERT_TRUE(::WriteConsoleOutputW(output, wide, COORD{2, 1}, COORD{0, 0}, &at));
    for (UINT codePage : {UINT(437), UINT(1252), UINT(65001)}) {
        SCOPED_TRACE(codePage);
        screen.setOutputCodePage(codePage);
        ScreenInfo info;
        ASSERT_TRUE(screen.info(output, info));
        info.windowLeft = info.windowTop = 0;
        for (bool withAttributes : {true, false}) {
            std::u16string chars(23, u'?');
            uint16_t attributes[23] = {};
            ASSERT_EQ(screen.readWindow(output, info, 23, 1, &chars[0],
                                        withAttributes ? attributes : nullptr),
                      1);
            EXPECT_EQ(chars, line +
                                 u"     \u65E5\xFFFF"
                                 u" ");
        }
    }
    screen.setOutputCodePage(screen.oemCodePage());
}

// The window read as a grid of any size: cells beyond the buffer blank, characters alone in
// one run or from rectangles, and grids over 64 KB of cells in bands.
TEST_F(ConsoleE2E, WindowReadsAsTheGridWithBlanksBeyondTheBuffer) {
    constexpr SHORT kWidth = 200, kHeight = 100;
    screen.setWindow(output, 0, 0, 2, 2);
    screen.setBufferSize(output, kWidth, kHeight);
    auto charAt = [](int x, int y) { return char('A' + (x + y) % 26); };
    auto attributeAt = [](int x, int y) { return uint16_t((x * 3 + y) % 2 ? 0x1E : 0x2F); };
    for (SHORT y = 0; y < kHeight; ++y) {
        std::string chars;
        std::vector<WORD> attributes;
        for (int x = 0; x < kWidth; ++x) {
            chars += charAt(x, y);
            attributes.push_back(attributeAt(x, y));
        }
        DWORD written = 0;
        ::WriteConsoleOutputCharacterA(output, chars.data(), kWidth, COORD{0, y}, &written);
        ::WriteConsoleOutputAttribute(output, attributes.data(), kWidth, COORD{0, y}, &written);
    }
    struct Read {
        int16_t left, top;
        int32_t columns, rows;
        bool attributes;
    };
    for (const Read& read : {Read{150, 90, 80, 25, true}, Read{150, 90, 80, 25, false},
                             Read{0, 90, 200, 25, false}, Read{0, 10, 200, 80, true}}) {
        SCOPED_TRACE(std::to_string(read.left) + "," + std::to_string(read.top));
        ScreenInfo info;
        ASSERT_TRUE(screen.info(output, info));
        info.windowLeft = read.left;
        info.windowTop = read.top;
        const size_t cells = size_t(read.columns) * size_t(read.rows);
        std::u16string chars(cells, u'?');
        std::vector<uint16_t> attributes(cells, 0xFFFF);
        ASSERT_EQ(screen.readWindow(output, info, read.columns, read.rows, &chars[0],
                                    read.attributes ? attributes.data() : nullptr),
                  read.rows);
        int wrong = 0;
        for (int r = 0; r < read.rows; ++r) {
            for (int c = 0; c < read.columns; ++c) {
                const int x = read.left + c, y = read.top + r;
                const bool inside = x < kWidth && y < kHeight;
                const size_t cell = size_t(r) * size_t(read.columns) + size_t(c);
                wrong += chars[cell] != char16_t(inside ? charAt(x, y) : ' ');
                if (read.attributes)
                    wrong += attributes[cell] != (inside ? attributeAt(x, y) : 0);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(ConsoleE2E, CommandInterpreterRunsInTheHiddenConsole) {
    ChildProcess child(processes);
    child.launch("%COMSPEC% /c echo tideglass-marker", "%HOMEPATH%");
    EXPECT_NE(child.record().processId, 0u);
    EXPECT_TRUE(waitFor([&] {
        return visibleText().find("tideglass-marker") != std::string::npos;
    })) << visibleText();
    EXPECT_TRUE(waitFor([&] { return child.poll() == WaitResult::Ended; }));
}

TEST_F(ConsoleE2E, TerminateEndsARunningInterpreter) {
    ChildProcess child(processes);
    child.launch("%COMSPEC%", "%HOMEPATH%");
    ASSERT_EQ(child.poll(), WaitResult::Running);
    UniqueKernelHandle watcher(::OpenProcess(SYNCHRONIZE, FALSE, child.record().processId));
    ASSERT_TRUE(watcher);
    child.terminate();
    EXPECT_FALSE(child.launched());
    EXPECT_EQ(::WaitForSingleObject(watcher.get(), 10000), WAIT_OBJECT_0);
}

TEST_F(ConsoleE2E, MissingProgramGivesTheSystemsFileNotFoundText) {
    const std::string expected = processes.errorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(expected.empty());
    ChildProcess child(processes);
    try {
        child.launch("C:\\windows\\tideglass-no-such-program.exe", "C:\\");
        FAIL() << "the launch should have failed";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), expected);
    }
    EXPECT_FALSE(child.launched());
}

// A cut command line would start something else than the user asked for.
TEST_F(ConsoleE2E, TextsThatDoNotFitOnceExpandedAreRefused) {
    ASSERT_TRUE(::SetEnvironmentVariableA("TIDEGLASS_HALF", std::string(20000, 'a').c_str()));
    const std::vector<std::pair<std::string, std::string>> cases{
        {"%TIDEGLASS_HALF%%TIDEGLASS_HALF%", "C:\\"},
        {std::string(40000, 'a'), "C:\\"},
        {"%COMSPEC%", "C:\\%TIDEGLASS_HALF%%TIDEGLASS_HALF%"}};
    for (const auto& [commandLine, directory] : cases) {
        ChildProcess child(processes);
        try {
            child.launch(commandLine, directory);
            ADD_FAILURE() << "started " << commandLine.substr(0, 20) << " in "
                          << directory.substr(0, 20);
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("32766"), std::string::npos) << e.what();
        }
    }
    ::SetEnvironmentVariableA("TIDEGLASS_HALF", nullptr);
}

// Handlers run last-registered first. The marker, registered after the console's handler, sees
// the event first; the catcher, registered before it, sees it only if the console's handler
// lets it through, and then keeps the default handler from ending this test.
volatile LONG eventSeen = 0;
volatile LONG eventPassedThrough = 0;
volatile LONG dispatchThread = 0;
BOOL WINAPI marker(DWORD) {
    ::InterlockedExchange(&dispatchThread, static_cast<LONG>(::GetCurrentThreadId()));
    ::InterlockedExchange(&eventSeen, 1);
    return FALSE;
}
BOOL WINAPI catcher(DWORD) {
    ::InterlockedExchange(&eventPassedThrough, 1);
    return TRUE;
}

TEST(ConsoleControlE2E, CtrlCIsSwallowedAndDoesNotEndThisProcess) {
    ASSERT_TRUE(::SetCurrentDirectoryA("C:\\"));
    Win32ConsoleHost host;
    Win32Processes processes;
    ASSERT_TRUE(::SetConsoleCtrlHandler(catcher, TRUE));
    ASSERT_TRUE(host.allocate());
    host.hide(host.window());
    host.installControlHandler();
    ASSERT_TRUE(::SetConsoleCtrlHandler(marker, TRUE));
    {
        ChildProcess child(processes);
        child.launch("%COMSPEC%", "%HOMEPATH%");
        ASSERT_EQ(child.poll(), WaitResult::Running);
        ASSERT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
        ASSERT_TRUE(waitFor([] { return eventSeen != 0; }));
        // The system runs the handlers on a thread of its own that ends after the last one;
        // once it is gone the console's handler has had its say.
        UniqueKernelHandle dispatcher(
            ::OpenThread(SYNCHRONIZE, FALSE, static_cast<DWORD>(dispatchThread)));
        if (dispatcher) {
            EXPECT_EQ(::WaitForSingleObject(dispatcher.get(), 10000), WAIT_OBJECT_0);
        }
    }
    EXPECT_EQ(eventPassedThrough, 0);
    ::SetConsoleCtrlHandler(marker, FALSE);
    ::SetConsoleCtrlHandler(catcher, FALSE);
    host.closeHandle(host.standardOutput());
    host.closeHandle(host.standardInput());
    host.release();
}

// The owner takes the lock again (a plain mutex would hang it: the test then fails instead of
// hanging), and another thread gets it only after the owner's last release.
TEST(LockE2E, OwnerCanTakeTheLockAgainAndOthersWaitForItsLastRelease) {
    Win32LockFactory factory;
    std::unique_ptr<Lock> lock = factory.create(5000);
    UniqueKernelHandle reentered(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    UniqueKernelHandle release(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::mutex orderMutex;
    std::vector<std::string> order;
    auto note = [&](const char* what) {
        std::lock_guard<std::mutex> guard(orderMutex);
        order.push_back(what);
    };
    std::thread owner([&] {
        lock->lock();
        lock->lock();
        SetEvent(reentered.get());
        lock->unlock();
        WaitForSingleObject(release.get(), INFINITE);
        note("owner releases");
        lock->unlock();
    });
    if (WaitForSingleObject(reentered.get(), 30000) != WAIT_OBJECT_0) {
        owner.detach();
        FAIL() << "the owner could not take the lock a second time";
    }
    std::thread other([&] {
        lock->lock();
        note("other takes");
        lock->unlock();
    });
    Sleep(100);  // a chance for the other thread to get in too early; the order decides
    SetEvent(release.get());
    owner.join();
    other.join();
    EXPECT_EQ(order, (std::vector<std::string>{"owner releases", "other takes"}));
}

}  // namespace
}  // namespace tideglass::win32
