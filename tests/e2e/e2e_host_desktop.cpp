// Tideglass Host on a desktop with several widgets: Exit ends them all promptly and saves each,
// Close widget ends one for good, the settings sheet opens on the screen, and click-through,
// opacity and the global hotkey are in the window's own state. The real host and DLL, driven
// through the menu commands its windows receive.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "e2e/support/dialog_driver.h"
#include "e2e/support/host_process.h"
#include "support/message_boxes.h"
#include "support/widget_host.h"

namespace {

using e2e::HostProcess;

// The host's menu commands as its window receives them.
constexpr WPARAM kConfigure = 101;
constexpr WPARAM kExit = 104;
constexpr WPARAM kNewWidget = 107;
constexpr WPARAM kCloseWidget = 108;
constexpr WPARAM kClickThrough = 109;
constexpr WPARAM kOpacity50 = 113;
constexpr DWORD kTimeoutMs = HostProcess::kTimeoutMs;

std::string hostArguments(const std::string& ini) {
    return "--ini \"" + ini + "\" --section Desk";
}

bool hasSection(const std::string& ini, const std::string& section) {
    char keys[256] = {};
    return GetPrivateProfileSectionA(section.c_str(), keys, sizeof keys, ini.c_str()) > 0;
}

// The widget whose place the host saved for `section`.
HWND widgetOf(const HostProcess& host, const std::string& ini, const std::string& section) {
    const std::string left = e2e::readIniValue(ini, section + ".host", "left");
    const std::string top = e2e::readIniValue(ini, section + ".host", "top");
    for (HWND window : host.widgets()) {
        RECT rect{};
        GetWindowRect(window, &rect);
        if (std::to_string(rect.left) == left && std::to_string(rect.top) == top)
            return window;
    }
    return nullptr;
}

// Three widgets, two of them in console agents, as New widget makes them.
void addTwoWidgets(const HostProcess& host) {
    ASSERT_TRUE(host.waitForWidgets(1)) << host.output();
    for (std::size_t count = 2; count <= 3; ++count) {
        PostMessageA(host.widgets().front(), WM_COMMAND, kNewWidget, 0);
        ASSERT_TRUE(host.waitForWidgets(count)) << host.output();
    }
}

// Every widget's settings and place are written before the widgets end; the windows leave the
// screen before the process has ended. (What a person waits is a figure of win_host_exit.)
TEST(HostDesktop, ExitWithThreeWidgetsSavesEveryOneAndEnds) {
    const std::string ini = e2e::tempFile("desktop-exit.ini");
    HostProcess host(hostArguments(ini));
    addTwoWidgets(host);
    PostMessageA(host.widgets().front(), WM_COMMAND, kExit, 0);
    EXPECT_EQ(host.wait(), 0u) << host.output();
    for (const char* section : {"Desk", "Desk 2", "Desk 3"}) {
        EXPECT_EQ(e2e::readIniValue(ini, section, "columns"), "80") << section;
        EXPECT_NE(e2e::readIniValue(ini, std::string(section) + ".host", "left"), "") << section;
    }
}

class CloseWidget : public testing::TestWithParam<int> {};

// The widget closed (the first or another) ends with its programs, its sections go, and the next
// start brings back only the others.
TEST_P(CloseWidget, RemovesItsSectionsAndItsConsoleForGood) {
    const std::string ini = e2e::tempFile("desktop-close.ini");
    const std::string section = GetParam() == 0 ? "Desk" : "Desk 2";
    {
        HostProcess host(hostArguments(ini));
        ASSERT_TRUE(host.waitForWidgets(1)) << host.output();
        PostMessageA(host.widgets().front(), WM_COMMAND, kNewWidget, 0);
        ASSERT_TRUE(host.waitForWidgets(2)) << host.output();
        // The second widget's console is an agent's: a process of the host's tree.
        std::size_t agents = 0;
        ASSERT_TRUE(host::pumpUntil(
            [&] {
                agents = 0;
                for (const auto& [id, name] : e2e::descendants(host.id()))
                    agents += lstrcmpiA(name.c_str(), "rundll32.exe") == 0 ? 1 : 0;
                return agents == 1;
            },
            kTimeoutMs));
        const std::size_t programsBefore = e2e::descendants(host.id()).size();
        // The host rewrites the file while it saves the new widget: read until it is whole.
        HWND widget = nullptr;
        host::pumpUntil([&] { return (widget = widgetOf(host, ini, section)) != nullptr; },
                        kTimeoutMs);
        ASSERT_NE(widget, nullptr) << section;
        PostMessageA(widget, WM_COMMAND, kCloseWidget, 0);
        ASSERT_TRUE(host.waitForWidgets(1)) << host.output();
        EXPECT_TRUE(host::pumpUntil(
            [&] { return e2e::descendants(host.id()).size() < programsBefore; }, kTimeoutMs))
            << "the closed widget's programs end";
        EXPECT_TRUE(host::pumpUntil(
            [&] {
                return !hasSection(ini, section) &&
                       e2e::readIniValue(ini, section + ".host", "left").empty();
            },
            kTimeoutMs));
        PostMessageA(host.widgets().front(), WM_COMMAND, kExit, 0);
        EXPECT_EQ(host.wait(), 0u) << host.output();
    }
    HostProcess again(hostArguments(ini));
    ASSERT_TRUE(again.waitForWidgets(1)) << again.output();
    host::pumpUntil([] { return false; }, 1000);
    EXPECT_EQ(again.widgets().size(), 1u);
    EXPECT_FALSE(hasSection(ini, section));
}

INSTANTIATE_TEST_SUITE_P(FirstOrSecond, CloseWidget, testing::Values(0, 1));

// Opened for a widget in the screen's bottom-right corner, the whole sheet lies in the work area.
TEST(HostDesktop, SettingsSheetOpensInsideTheWorkArea) {
    const std::string ini = e2e::tempFile("desktop-sheet.ini");
    const int right = GetSystemMetrics(SM_CXSCREEN), bottom = GetSystemMetrics(SM_CYSCREEN);
    WritePrivateProfileStringA("Desk.host", "left", std::to_string(right - 60).c_str(),
                               ini.c_str());
    WritePrivateProfileStringA("Desk.host", "top", std::to_string(bottom - 40).c_str(),
                               ini.c_str());
    HostProcess host(hostArguments(ini));
    ASSERT_TRUE(host.waitForWidgets(1)) << host.output();
    PostMessageA(host.widgets().front(), WM_COMMAND, kConfigure, 0);
    HWND sheet = tideglass::e2e::waitForDialog("Tideglass Settings", kTimeoutMs);
    ASSERT_NE(sheet, nullptr);
    RECT work{}, rect{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    auto inside = [&] {
        GetWindowRect(sheet, &rect);
        return rect.left >= work.left && rect.top >= work.top && rect.right <= work.right &&
               rect.bottom <= work.bottom;
    };
    EXPECT_TRUE(host::pumpUntil(inside, kTimeoutMs))
        << rect.left << "," << rect.top << " - " << rect.right << "," << rect.bottom;
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

// Click-through and the opacity are the window's own (its extended style, the saved place);
// the hotkey is held by the host, so no other program can take it, and its press brings the
// widget to the keyboard and a second one gives the keyboard back.
TEST(HostDesktop, ClickThroughOpacityAndHotkeyAreTheWindowsOwn) {
    const std::string ini = e2e::tempFile("desktop-essentials.ini");
    HostProcess host(hostArguments(ini));
    ASSERT_TRUE(host.waitForWidgets(1)) << host.output();
    HWND widget = host.widgets().front();
    EXPECT_EQ(GetWindowLongA(widget, GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
    PostMessageA(widget, WM_COMMAND, kClickThrough, 0);
    EXPECT_TRUE(host::pumpUntil(
        [&] { return (GetWindowLongA(widget, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0; },
        kTimeoutMs));
    PostMessageA(widget, WM_COMMAND, kOpacity50, 0);
    EXPECT_TRUE(host::pumpUntil(
        [&] { return e2e::readIniValue(ini, "Desk.host", "opacity") == "50"; }, kTimeoutMs));
    EXPECT_EQ(e2e::readIniValue(ini, "Desk.host", "click-through"), "yes");

    EXPECT_EQ(e2e::readIniValue(ini, "Tideglass Host", "hotkey"), "Ctrl+Alt+`");
    const BOOL taken = RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, VK_OEM_3);
    const DWORD error = GetLastError();
    if (taken)
        UnregisterHotKey(nullptr, 1);
    EXPECT_FALSE(taken);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
    // The hotkey, as the system delivers it, brings the widget to the keyboard.
    HWND process = nullptr;
    while ((process = FindWindowExA(nullptr, process, "TideglassHostProcess", nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(process, &owner);
        if (owner == host.id())
            break;
    }
    ASSERT_NE(process, nullptr);
    HWND other = CreateWindowExA(0, "Static", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(host::pumpUntil([&] { return GetForegroundWindow() == other; }, kTimeoutMs));
    const LPARAM pressed = MAKELPARAM(MOD_CONTROL | MOD_ALT, VK_OEM_3);
    PostMessageA(process, WM_HOTKEY, 1, pressed);
    EXPECT_TRUE(host::pumpUntil([&] { return GetForegroundWindow() == widget; }, kTimeoutMs));
    PostMessageA(process, WM_HOTKEY, 1, pressed);
    EXPECT_TRUE(host::pumpUntil([&] { return GetForegroundWindow() == other; }, kTimeoutMs))
        << "the second press gives the keyboard back";
    DestroyWindow(other);

    PostMessageA(widget, WM_COMMAND, kExit, 0);
    EXPECT_EQ(host.wait(), 0u) << host.output();
    // Both come back with the widget.
    HostProcess again(hostArguments(ini));
    ASSERT_TRUE(again.waitForWidgets(1)) << again.output();
    EXPECT_NE(GetWindowLongA(again.widgets().front(), GWL_EXSTYLE) & WS_EX_TRANSPARENT, 0);
}

}  // namespace
