// Tideglass Host as a person and the demo use it: the real tideglass-host.exe started as a
// program of its own with the real DLL beside it, its widget window looked at from outside, driven
// through its menu commands and mouse messages, and its INI file read afterwards.
#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/support/dialog_driver.h"
#include "e2e/support/host_process.h"
#include "pages/resource.h"
#include "platform/win32/host_table.h"
#include "support/message_boxes.h"
#include "support/plugin_library.h"
#include "support/widget_host.h"

namespace {

using e2e::fileText;
using e2e::HostProcess;

// The host's menu commands as its window receives them.
constexpr WPARAM kConfigure = 101;
constexpr WPARAM kAlwaysOnTop = 102;
constexpr WPARAM kExit = 104;
constexpr WPARAM kNewWidget = 107;
constexpr DWORD kTimeoutMs = 20000;

// The lines of `section` in an INI text, header included, up to the next section.
std::string sectionText(const std::string& ini, const std::string& section) {
    const std::string header = "[" + section + "]";
    std::size_t start = ini.find(header);
    while (start != std::string::npos && start != 0 && ini[start - 1] != '\n')
        start = ini.find(header, start + 1);
    if (start == std::string::npos)
        return {};
    std::size_t end = ini.find("\n[", start);
    return ini.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
}

RECT windowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

BYTE premultiplied(BYTE channel, BYTE alpha) {
    return static_cast<BYTE>((channel * alpha + 127) / 255);
}

// The PNG the host writes, once it is there and complete.
std::unique_ptr<Gdiplus::Bitmap> loadPng(const std::string& path) {
    const std::wstring wide(path.begin(), path.end());
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    host::pumpUntil(
        [&] {
            bitmap = std::make_unique<Gdiplus::Bitmap>(wide.c_str());
            return bitmap->GetLastStatus() == Gdiplus::Ok;
        },
        kTimeoutMs);
    return bitmap->GetLastStatus() == Gdiplus::Ok ? std::move(bitmap) : nullptr;
}

// Bytes in use on every heap of this process.
SIZE_T heapBusyBytes() {
    HANDLE heaps[64];
    const DWORD count = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
    SIZE_T busy = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += entry.cbData;
        }
        HeapUnlock(heaps[i]);
    }
    return busy;
}

// "New widget" adds a widget to the same process, in a section of its own, where it covers no
// other; the next start brings every one of them back.
TEST(HostApp, NewWidgetsRunInTheSameProcessAndComeBackAtTheNextStart) {
    const std::string ini = e2e::tempFile("host-several.ini");
    {
        HostProcess host("--ini \"" + ini + "\" --section Desk");
        HWND first = host.findWidget();
        ASSERT_NE(first, nullptr) << host.output();
        for (size_t count = 2; count <= 3; ++count) {
            PostMessageA(first, WM_COMMAND, kNewWidget, 0);
            ASSERT_TRUE(host::pumpUntil([&] { return host.widgets().size() == count; }, kTimeoutMs))
                << host.output();
        }
        std::vector<HWND> all = host.widgets();
        host::pumpUntil(
            [&] {
                return std::all_of(all.begin(), all.end(),
                                   [](HWND w) { return IsWindowVisible(w) != FALSE; });
            },
            kTimeoutMs);
        for (size_t i = 0; i < all.size(); ++i) {
            for (size_t j = i + 1; j < all.size(); ++j) {
                RECT both{}, a = windowRect(all[i]), b = windowRect(all[j]);
                EXPECT_FALSE(IntersectRect(&both, &a, &b)) << i << " and " << j;
            }
        }
        PostMessageA(all.front(), WM_COMMAND, kExit, 0);
        EXPECT_EQ(host.wait(), 0u) << host.output();
    }
    const std::string text = fileText(ini);
    for (const char* section : {"Desk", "Desk 2", "Desk 3"})
        EXPECT_FALSE(sectionText(text, section).empty()) << section << " in\n" << text;

    HostProcess again("--ini \"" + ini + "\" --section Desk");
    EXPECT_TRUE(host::pumpUntil([&] { return again.widgets().size() == 3; }, kTimeoutMs))
        << again.output();
}

// The script's exit ends every widget of the process, as the menu's Exit does, and saves each.
TEST(HostApp, ScriptedExitSavesAndEndsEveryWidget) {
    const std::string ini = e2e::tempFile("host-exit-all.ini");
    std::ofstream(ini, std::ios::binary) << "[Desk]\r\ncolumns=40\r\n[Desk 2]\r\ncolumns=41\r\n";
    HostProcess host("--ini \"" + ini + "\" --section Desk --wait 300 --exit");
    EXPECT_EQ(host.wait(), 0u) << host.output();
    EXPECT_EQ(e2e::readIniValue(ini, "Desk 2", "columns"), "41");
    EXPECT_EQ(e2e::readIniValue(ini, "Desk 2", "top-margin"), "8") << fileText(ini);
}

// Margins whose bitmap would hold a quarter of a gigapixel: the widget appears at once with the
// default margins, and the settings keep what was stored.
TEST(HostApp, HugeMarginsGiveAnOnScreenWidgetOfBoundedSize) {
    const std::string ini = e2e::tempFile("host-margins.ini");
    const std::string png = e2e::tempFile("host-margins.png");
    std::ofstream(ini, std::ios::binary)
        << "[M]\r\nleft-margin=7800\r\nright-margin=7800\r\ntop-margin=7800\r\n"
           "bottom-margin=7800\r\n";
    HostProcess host("--ini \"" + ini + "\" --section M --snapshot \"" + png + "\" --exit");
    EXPECT_EQ(host.wait(), 0u) << host.output();
    const std::unique_ptr<Gdiplus::Bitmap> overlay = loadPng(png);
    ASSERT_NE(overlay, nullptr) << host.output();
    EXPECT_LE(uint64_t(overlay->GetWidth()) * overlay->GetHeight(), uint64_t(16) << 20);
    EXPECT_LT(overlay->GetWidth(), 1280u);
    EXPECT_EQ(e2e::readIniValue(ini, "M", "left-margin"), "7800");
}

// A program that ends as soon as it starts is started again after ever longer pauses, not on
// every tick: each start leaves a line in a file.
TEST(HostApp, ChildThatEndsAtOnceIsStartedABoundedNumberOfTimes) {
    const std::string ini = e2e::tempFile("host-quick-child.ini");
    const std::string starts = e2e::tempFile("host-quick-child.txt");
    std::ofstream(ini, std::ios::binary) << "[Q]\r\npoll-interval=15\r\nchild-app-cmdline="
                                         << "%COMSPEC% /c echo started>>\"" << starts << "\"\r\n";
    HostProcess host("--ini \"" + ini + "\" --section Q --wait 5000 --exit");
    EXPECT_EQ(host.wait(30000), 0u) << host.output();
    const std::string text = fileText(starts);
    const auto count = std::count(text.begin(), text.end(), '\n');
    // Pauses of 15, 30, 60, ... ms: at most 9 starts in 5 s, where every tick made 40 and more.
    EXPECT_GE(count, 2) << text;
    EXPECT_LE(count, 10) << text;
}

}  // namespace

extern "C" void WINAPI DeskletSetImageOverlay(HWND window, Gdiplus::Image* image, BOOL autoDelete);

// A widget showing a running program hands over an overlay on every changing tick, for days: what
// the host keeps of the calls must not grow with them.
TEST(HostApp, CallRecordStaysFlatOverTenThousandOverlays) {
    host::HostRecorder& recorder = host::HostRecorder::instance();
    recorder.clear();
    for (int i = 0; i < 1000; ++i)
        DeskletSetImageOverlay(nullptr, nullptr, FALSE);
    const SIZE_T before = heapBusyBytes();
    for (int i = 0; i < 10000; ++i)
        DeskletSetImageOverlay(nullptr, nullptr, FALSE);
    const SIZE_T after = heapBusyBytes();
    std::printf("[ figures  ] heap in use %lu bytes before and %lu after 10000 overlays\n",
                static_cast<unsigned long>(before), static_cast<unsigned long>(after));
    EXPECT_LT(after, before + 16 * 1024);
    EXPECT_EQ(recorder.count("DeskletSetImageOverlay"), 11000);
    recorder.clear();
}

// The host support this program shares with tideglass-host.exe exports every name the plug-in's
// table looks up, undecorated, so the table fills as in a full widget host.
TEST(HostApp, ExportsEveryHostFunctionThePlugInLooksUp) {
    for (const char* name : tideglass::win32::kHostFunctionNames)
        EXPECT_NE(GetProcAddress(GetModuleHandleA(nullptr), name), nullptr) << name;
}

struct StartupFailure {
    const char* plugin;
    const char* reason;
};

class HostStartupFailure : public testing::TestWithParam<StartupFailure> {};

// The person sees a box naming the file and the fault; the exit code says the host never ran.
TEST_P(HostStartupFailure, NamesThePlugInAndWhatIsWrongThenExitsWithTwo) {
    const StartupFailure failure = GetParam();
    HostProcess host(std::string("--plugin \"") + failure.plugin + "\"");
    ASSERT_TRUE(host.started());
    HWND box = tideglass::e2e::waitForDialog("Tideglass Host", kTimeoutMs);
    ASSERT_NE(box, nullptr) << host.output();
    const std::string text = host::messageBoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(host.wait(), 2u);
    EXPECT_NE(text.find(failure.plugin), std::string::npos) << text;
    EXPECT_NE(text.find(failure.reason), std::string::npos) << text;
    EXPECT_NE(host.output().find(failure.reason), std::string::npos) << host.output();
}

INSTANTIATE_TEST_SUITE_P(Plugins, HostStartupFailure,
                         testing::Values(StartupFailure{"C:\\no such folder\\tideglass.dll",
                                                        "could not be loaded"},
                                         StartupFailure{"C:\\windows\\system32\\comctl32.dll",
                                                        "has no export OnGetInformation"}));

// Where the widget stands is the host's own: it starts at the saved place with the size the
// plug-in asked for and the plug-in's saved settings, shows the plug-in's overlay premultiplied,
// and a drag to a new place is kept for next time.
TEST(HostApp, ShowsTheOverlayAtTheSavedPlaceAndKeepsWhereItWasDragged) {
    const std::string ini = e2e::tempFile("host-place.ini");
    const std::string png = e2e::tempFile("host-place.png");
    WritePrivateProfileStringA("W.host", "left", "123", ini.c_str());
    WritePrivateProfileStringA("W.host", "top", "77", ini.c_str());
    // A saved widget with a blue half-transparent background (0x80FF8040: alpha 128, COLORREF).
    WritePrivateProfileStringA("W", "background-color", "-2130739136", ini.c_str());
    {
        HostProcess host("--ini \"" + ini + "\" --section W --wait 1500 --snapshot \"" + png +
                         "\"");
        HWND widget = host.findWidget();
        ASSERT_NE(widget, nullptr) << host.output();
        std::unique_ptr<Gdiplus::Bitmap> shown = loadPng(png);
        ASSERT_NE(shown, nullptr) << host.output();
        Gdiplus::Bitmap& overlay = *shown;
        RECT rect = windowRect(widget);
        EXPECT_EQ(rect.left, 123);
        EXPECT_EQ(rect.top, 77);

        EXPECT_EQ(rect.right - rect.left, static_cast<LONG>(overlay.GetWidth()));
        EXPECT_EQ(rect.bottom - rect.top, static_cast<LONG>(overlay.GetHeight()));
        // The background corner and the first glyph pixels of the prompt, as the screen shows
        // them. Xvfb shows a layered window without blending it with what lies below, so the
        // screen holds exactly the premultiplied pixels the host handed over.
        HDC screen = GetDC(nullptr);
        std::vector<POINT> points{{0, 0}};
        for (int y = 0; y < static_cast<int>(overlay.GetHeight()) && points.size() < 10; ++y) {
            for (int x = 0; x < static_cast<int>(overlay.GetWidth()) && points.size() < 10; ++x) {
                Gdiplus::Color color;
                overlay.GetPixel(x, y, &color);
                if (color.GetAlpha() == 255 && (color.GetValue() & 0xFFFFFF) != 0)
                    points.push_back({x, y});
            }
        }
        EXPECT_EQ(points.size(), 10u) << "the prompt is drawn";
        for (const POINT& at : points) {
            Gdiplus::Color color;
            overlay.GetPixel(at.x, at.y, &color);
            const COLORREF expected = RGB(premultiplied(color.GetR(), color.GetA()),
                                          premultiplied(color.GetG(), color.GetA()),
                                          premultiplied(color.GetB(), color.GetA()));
            EXPECT_EQ(GetPixel(screen, rect.left + at.x, rect.top + at.y), expected)
                << "at " << at.x << "," << at.y << " overlay " << std::hex << color.GetValue();
        }
        ReleaseDC(nullptr, screen);

        PostMessageA(widget, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        PostMessageA(widget, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 40));
        PostMessageA(widget, WM_LBUTTONUP, 0, MAKELPARAM(60, 40));
        EXPECT_TRUE(host::pumpUntil(
            [&] { return windowRect(widget).left == 173 && windowRect(widget).top == 107; },
            kTimeoutMs));
        PostMessageA(widget, WM_COMMAND, kAlwaysOnTop, 0);
        EXPECT_TRUE(host::pumpUntil(
            [&] { return (GetWindowLongA(widget, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; },
            kTimeoutMs));
        // Logoff saves the plug-in's settings as Exit does.
        SendMessageTimeoutA(widget, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, kTimeoutMs, nullptr);
        EXPECT_EQ(e2e::readIniValue(ini, "W", "columns"), "80");
        EXPECT_EQ(e2e::readIniValue(ini, "W.host", "left"), "173");
        EXPECT_EQ(e2e::readIniValue(ini, "W.host", "z-order"), "on-top");
        PostMessageA(widget, WM_COMMAND, kExit, 0);
        EXPECT_EQ(host.wait(), 0u) << host.output();
    }
    HostProcess again("--ini \"" + ini + "\" --section W");
    HWND widget = again.findWidget();
    ASSERT_NE(widget, nullptr) << again.output();
    EXPECT_EQ(windowRect(widget).left, 173);
    EXPECT_EQ(windowRect(widget).top, 107);
    EXPECT_NE(GetWindowLongA(widget, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
}

// Configure opens the plug-in's own pages; a wider margin accepted with OK widens the widget at
// once and is in the INI file straight away.
TEST(HostApp, ConfigureWithAWiderMarginResizesTheWidgetAndSaves) {
    const std::string ini = e2e::tempFile("host-configure.ini");
    HostProcess host("--ini \"" + ini + "\" --section C");
    HWND widget = host.findWidget();
    ASSERT_NE(widget, nullptr) << host.output();
    const LONG width = windowRect(widget).right - windowRect(widget).left;

    PostMessageA(widget, WM_COMMAND, kConfigure, 0);
    HWND sheet = tideglass::e2e::waitForDialog("Tideglass Settings", kTimeoutMs);
    ASSERT_NE(sheet, nullptr);
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    ASSERT_NE(page, nullptr);
    SetDlgItemTextA(page, IDC_LEFT_MARGIN, "40");
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);

    EXPECT_TRUE(host::pumpUntil(
        [&] { return windowRect(widget).right - windowRect(widget).left == width + 32; },
        kTimeoutMs))
        << "width " << windowRect(widget).right - windowRect(widget).left << ", was " << width;
    EXPECT_TRUE(host::pumpUntil([&] { return e2e::readIniValue(ini, "C", "left-margin") == "40"; },
                                kTimeoutMs));
}

// Shift, capitals and symbols reach the child program as typed: the interpreter writes the line
// into a file, character for character.
TEST(HostApp, TypesCapitalsAndSymbolsIntoTheConsoleExactly) {
    const std::string ini = e2e::tempFile("host-typing.ini");
    const std::string typed = e2e::tempFile("host-typed.txt");
    HostProcess host("--ini \"" + ini +
                     "\" --section K --wait 500 --type \"echo Tideglass: (A+B)=C!>" + typed +
                     "\" --key Enter");
    ASSERT_NE(host.findWidget(), nullptr) << host.output();
    host::pumpUntil([&] { return fileText(typed).find('\n') != std::string::npos; }, kTimeoutMs);
    EXPECT_EQ(fileText(typed), "Tideglass: (A+B)=C!\r\n");
}

TEST(HostApp, AFailedStepExitsWithOneAndHelpNamesTheKeys) {
    HostProcess failing("--ini \"" + e2e::tempFile("host-failing.ini") +
                        "\" --section F --key NoSuchKey --wheel 3 --exit");
    EXPECT_EQ(failing.wait(), 1u) << failing.output();
    HostProcess help("--help");
    EXPECT_EQ(help.wait(), 0u);
    EXPECT_NE(help.output().find("--wheel N"), std::string::npos) << help.output();
    EXPECT_NE(help.output().find("PageDown, Space"), std::string::npos) << help.output();
}

// Two widgets, two host processes, one INI file: the second does not cover the first, each keeps
// its own section exactly as the plug-in's OnSave writes it, and the host's keys stay in sections
// of their own.
TEST(HostApp, TwoWidgetsSaveTheirSectionsExactlyAsThePlugInWritesThem) {
    const std::string ini = e2e::tempFile("host-two.ini");
    {
        HostProcess first("--ini \"" + ini + "\" --section First");
        HWND firstWidget = first.findWidget();
        ASSERT_NE(firstWidget, nullptr) << first.output();
        HostProcess second("--ini \"" + ini + "\" --section Second");
        HWND secondWidget = second.findWidget();
        ASSERT_NE(secondWidget, nullptr) << second.output();
        host::pumpUntil([&] { return IsWindowVisible(secondWidget) != FALSE; }, kTimeoutMs);
        RECT both{}, firstRect = windowRect(firstWidget), secondRect = windowRect(secondWidget);
        EXPECT_FALSE(IntersectRect(&both, &firstRect, &secondRect))
            << secondRect.left << "," << secondRect.top;
        PostMessageA(firstWidget, WM_COMMAND, kExit, 0);
        EXPECT_EQ(first.wait(), 0u) << first.output();
        PostMessageA(secondWidget, WM_COMMAND, kExit, 0);
        EXPECT_EQ(second.wait(), 0u) << second.output();
    }
    // What OnSave writes for a widget with the same (default) settings, each alone in a file.
    const std::string firstAlone = e2e::tempFile("host-first-alone.ini");
    const std::string secondAlone = e2e::tempFile("host-second-alone.ini");
    {
        e2e::WidgetHost reference;
        ASSERT_NE(reference.create(), nullptr);
        reference.save(firstAlone, "First");
        reference.save(secondAlone, "Second");
    }
    const std::string text = fileText(ini);
    std::printf("%s", text.c_str());
    EXPECT_EQ(sectionText(text, "First"), fileText(firstAlone));
    EXPECT_EQ(sectionText(text, "Second"), fileText(secondAlone));
    EXPECT_EQ(e2e::readIniValue(ini, "First.host", "left"), "40");
    EXPECT_EQ(e2e::readIniValue(ini, "Second.host", "z-order"), "desktop");
}
