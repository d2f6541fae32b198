// A desklet object on the real console, process and lock adapters: the widget's console is
// hidden and sized, the command interpreter runs in it, typed keys reach it, an ended child is
// started again, a failed start is reported once, and a second widget is refused. The host,
// the window manager's boxes and the drawing are stood in for here.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "desklet/desklet.h"
#include "desklet/messages.h"
#include "platform/win32/win32_console.h"
#include "platform/win32/win32_lock.h"
#include "platform/win32/win32_processes.h"
#include "plugin/host.h"
#include "plugin/user_interface.h"
#include "render/graphics.h"
#include "settings/keys.h"
#include "settings/profile.h"

namespace tideglass::win32 {
namespace {

template <typename Condition>
bool waitFor(Condition condition, DWORD timeoutMs = 10000) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (::GetTickCount64() > deadline)
            return false;
        ::Sleep(20);
    }
    return true;
}

// Posts and translates for real; boxes are recorded instead of shown (nobody would close them).
class TestUserInterface : public UserInterface {
public:
    void showError(const std::string& caption, const std::string& text) override {
        boxes.push_back(caption + "|" + text);
        if (whileBoxOpen)
            whileBoxOpen();
    }
    void setTimer(WindowHandle, uintptr_t, uint32_t periodMs) override { period = periodMs; }
    void killTimer(WindowHandle, uintptr_t) override {}
    void postMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                     intptr_t lParam) override {
        ::PostMessageA(static_cast<HWND>(window), message, wParam, lParam);
    }
    void translateMessage(WindowHandle window, uint32_t message, uintptr_t wParam,
                          intptr_t lParam) override {
        MSG msg{static_cast<HWND>(window), message, wParam, lParam, 0, {0, 0}};
        ::TranslateMessage(&msg);
    }

    std::vector<std::string> boxes;
    std::function<void()> whileBoxOpen;
    uint32_t period = 0;
};

class TestHost : public Host {
public:
    void setImageOverlay(WindowHandle, void*) override { ++overlays; }
    void remove(WindowHandle) override {}
    void setSize(WindowHandle, int32_t w, int32_t h) override { width = w, height = h; }
    void setStatic(WindowHandle) override {}
    int32_t addPropertySheet(WindowHandle, void*) override { return 0; }

    int overlays = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class NoProfile : public Profile {
public:
    bool readStruct(const std::string&, const std::string&, void*, uint32_t,
                    const std::string&) override {
        return false;
    }
    uint32_t readString(const std::string&, const std::string&, const std::string&, char* buffer,
                        uint32_t size, const std::string&) override {
        if (size)
            buffer[0] = '\0';
        return 0;
    }
    bool writeStruct(const std::string&, const std::string&, const void*, uint32_t,
                     const std::string&) override {
        return true;
    }
    bool writeString(const std::string&, const std::string&, const std::string&,
                     const std::string&) override {
        return true;
    }
};

// Text 8 x 12 pixels per character; draws nothing.
class BlankGraphics : public Graphics {
    struct Text : TextContext {
        void selectFont(const Font&) override {}
        TextExtent measure(const std::u16string& s) override {
            return {static_cast<int32_t>(s.size()) * 8, 12};
        }
        void setTextAlign(uint32_t) override {}
        void setBackgroundMode(BackgroundMode) override {}
        void setTextColor(uint32_t) override {}
        void setBackgroundColor(uint32_t) override {}
        void textOut(int32_t, int32_t, const char*, int32_t) override {}
    };
    struct Surface : Canvas {
        Surface(int32_t w, int32_t h) : w(w), h(h) {}
        uint32_t width() override { return static_cast<uint32_t>(w); }
        uint32_t height() override { return static_cast<uint32_t>(h); }
        void clear(uint32_t) override {}
        std::unique_ptr<TextContext> openText() override { return std::make_unique<Text>(); }
        void* hostImage() override { return this; }
        int32_t w, h;
    };
    struct NoFont : Font {};

public:
    std::unique_ptr<Canvas> createCanvas(int32_t w, int32_t h) override {
        return std::make_unique<Surface>(w, h);
    }
    std::unique_ptr<Font> createFont(const FontBlock&) override {
        return std::make_unique<NoFont>();
    }
    std::unique_ptr<Font> stockOemFixedFont() override { return std::make_unique<NoFont>(); }
};

// Counts process creations on top of the real adapter.
class CountingProcesses : public Processes {
public:
    bool expand(const std::string& t, std::size_t l, std::string& o) override {
        return real.expand(t, l, o);
    }
    uint32_t create(const std::string& c, const std::string& d, ProcessRecord& o) override {
        ++creations;
        return real.create(c, d, o);
    }
    WaitResult poll(NativeHandle p) override { return real.poll(p); }
    void terminate(NativeHandle p, uint32_t code) override { real.terminate(p, code); }
    void closeHandle(NativeHandle h) override { real.closeHandle(h); }
    std::string errorText(uint32_t code) override { return real.errorText(code); }

    Win32Processes real;
    int creations = 0;
};

class DeskletOnRealConsole : public ::testing::Test {
protected:
    void SetUp() override {
        // %HOMEPATH% has no drive letter; it resolves on the current drive.
        ASSERT_TRUE(::SetCurrentDirectoryA("C:\\"));
        widget = ::CreateWindowExA(0, "STATIC", "widget", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(widget, nullptr);
    }
    void TearDown() override { ::DestroyWindow(widget); }

    void tick(Desklet& desklet) { desklet.processMessage(kWmTimer, kPollTimerId, 0); }

    void type(Desklet& desklet, const std::vector<UINT>& keys) {
        for (UINT vk : keys) {
            const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
            desklet.processMessage(kWmKeyDown, vk, 1 | scan);
            desklet.processMessage(kWmKeyUp, vk, 1 | scan | (1 << 30) | (1u << 31));
        }
    }

    HWND widget = nullptr;
    Win32ConsoleHost console;
    Win32ScreenBuffer screen;
    CountingProcesses processes;
    TestUserInterface ui;
    TestHost host;
    NoProfile profile;
    BlankGraphics graphics;
    Win32LockFactory locks;
    Platform platform{console, screen, processes, ui, host, profile, graphics, locks};
};

TEST_F(DeskletOnRealConsole, InterpreterRunsInAHiddenConsoleOfTheConfiguredSize) {
    Desklet desklet(platform, nullptr, widget);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front();
    EXPECT_TRUE(desklet.hasChild());
    EXPECT_FALSE(::IsWindowVisible(static_cast<HWND>(desklet.consoleWindowHandle())));
    CONSOLE_SCREEN_BUFFER_INFO csbi{};
    ASSERT_TRUE(::GetConsoleScreenBufferInfo(desklet.consoleOutputHandle(), &csbi));
    EXPECT_EQ(csbi.dwSize.X, 80);
    EXPECT_EQ(csbi.dwSize.Y, 250);
    EXPECT_EQ(csbi.srWindow.Right, 79);
    EXPECT_EQ(csbi.srWindow.Bottom, 24);
    EXPECT_EQ(host.width, 656);
    EXPECT_EQ(host.height, 316);
    EXPECT_EQ(ui.period, 250u);
    // The interpreter's banner and prompt count as a change and are handed to the host.
    const int before = host.overlays;
    EXPECT_TRUE(waitFor([&] {
        tick(desklet);
        return host.overlays > before;
    }));
}

TEST_F(DeskletOnRealConsole, SecondWidgetIsRefusedAndTheFirstKeepsItsConsole) {
    Desklet first(platform, nullptr, widget);
    try {
        Desklet second(platform, nullptr, widget);
        FAIL() << "a second console was allocated";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).size(), 288u);
        EXPECT_EQ(std::string(e.what()).rfind("could not allocate a new console", 0), 0u);
    }
    CONSOLE_SCREEN_BUFFER_INFO csbi{};
    EXPECT_TRUE(::GetConsoleScreenBufferInfo(first.consoleOutputHandle(), &csbi));
}

TEST_F(DeskletOnRealConsole, TypedExitEndsTheChildAndTheNextTickStartsAnother) {
    Desklet desklet(platform, nullptr, widget);
    ASSERT_EQ(processes.creations, 1);
    type(desklet, {'E', 'X', 'I', 'T', VK_RETURN});
    EXPECT_TRUE(waitFor([&] {
        tick(desklet);
        return processes.creations == 2;
    }));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(desklet.isChildFailed());
}

// The box's loop delivers a tick on this thread while the first one holds the critical section.
TEST_F(DeskletOnRealConsole, FailedStartIsReportedOnceEvenWithANestedTick) {
    Desklet desklet(platform, nullptr, widget);
    int nested = 0;
    ui.whileBoxOpen = [&] {
        ++nested;
        tick(desklet);
    };
    Settings copy = desklet.currentSettings();
    copy.text(keys::kChildAppCmdline) = "C:\\windows\\tideglass-no-such-program.exe";
    desklet.applyConfiguration(copy, kChildApplicationChange);
    for (int i = 0; i < 3; ++i)
        tick(desklet);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0], "Tideglass Desklet|Could not run the child application: " +
                               processes.errorText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(nested, 1);
    EXPECT_TRUE(desklet.isChildFailed());
    EXPECT_TRUE(desklet.hasChild()) << "the running interpreter stays";
}

TEST_F(DeskletOnRealConsole, DestroyedWidgetGivesTheConsoleBack) {
    { Desklet desklet(platform, nullptr, widget); }
    ASSERT_TRUE(::AllocConsole());
    ::FreeConsole();
}

}  // namespace
}  // namespace tideglass::win32
