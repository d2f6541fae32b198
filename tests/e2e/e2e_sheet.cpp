// The configuration pages as a host shows them: the host collects the two pages that
// OnAddPropertySheets hands over, builds a property sheet of them and a person fills in fields
// and presses OK, Apply or Cancel; the real console, interpreter, timer and overlay then show
// what the plug-in made of it, and OnSave shows what it keeps.
#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "e2e/support/dialog_driver.h"
#include "pages/resource.h"
#include "support/gdiplus_session.h"
#include "support/widget_host.h"

namespace {

constexpr char kSheetCaption[] = "Console widget configuration";
constexpr char kSection[] = "Desklet";
// What this host answers for the first and the second page; the plug-in passes the second on.
constexpr INT_PTR kFirstPageAnswer = 0x1001;
constexpr INT_PTR kSecondPageAnswer = 0x2002;

bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    return host::pumpUntil(done, timeoutMs);
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool consoleShows(const std::string& text) {
    for (const auto& row : e2e::consoleRows())
        if (row.find(text) != std::string::npos)
            return true;
    return false;
}

bool sameConsole(const CONSOLE_SCREEN_BUFFER_INFO& a, const CONSOLE_SCREEN_BUFFER_INFO& b) {
    return a.dwSize.X == b.dwSize.X && a.dwSize.Y == b.dwSize.Y &&
           a.srWindow.Left == b.srWindow.Left && a.srWindow.Top == b.srWindow.Top &&
           a.srWindow.Right == b.srWindow.Right && a.srWindow.Bottom == b.srWindow.Bottom;
}

// This process's console output, opened for one scope.
class ConsoleOutput {
public:
    ConsoleOutput()
        : handle_(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr)) {}
    ~ConsoleOutput() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// A modeless property sheet of exactly the pages the plug-in handed to the host.
class HostSheet {
public:
    HostSheet() = default;
    ~HostSheet() { close(); }
    HostSheet(const HostSheet&) = delete;
    HostSheet& operator=(const HostSheet&) = delete;

    // Asks the plug-in for its pages and shows them; returns OnAddPropertySheets's result.
    int open(e2e::WidgetHost& widget) {
        close();
        pages_.clear();
        widget.recorder().onAddPropertySheet = [this](HWND, HPROPSHEETPAGE page) {
            pages_.push_back(page);
            return pages_.size() == 1 ? kFirstPageAnswer : kSecondPageAnswer;
        };
        const int result = widget.entry().OnAddPropertySheets(widget.desklet(), 0);
        widget.recorder().onAddPropertySheet = nullptr;
        if (pages_.size() != 2)
            return result;
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS;
        header.pszCaption = kSheetCaption;
        header.nPages = 2;
        header.phpage = pages_.data();
        window_ = reinterpret_cast<HWND>(PropertySheetA(&header));
        return result;
    }

    HWND window() const { return window_; }
    const std::vector<HPROPSHEETPAGE>& pages() const { return pages_; }

    std::string tabTitle(int index) const {
        HWND tabs = reinterpret_cast<HWND>(SendMessageA(window_, PSM_GETTABCONTROL, 0, 0));
        char text[128] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
        return text;
    }

    // Shows a page, as clicking its tab does, and returns its window.
    HWND page(int index) {
        SendMessageA(window_, PSM_SETCURSEL, index, 0);
        return reinterpret_cast<HWND>(SendMessageA(window_, PSM_GETCURRENTPAGEHWND, 0, 0));
    }

    // OK or Cancel: the sheet applies (or not) and lets go of its pages, then the host closes it.
    bool finish(int button) {
        SendMessageA(window_, PSM_PRESSBUTTON, button, 0);
        const bool closed =
            waitUntil([&] { return SendMessageA(window_, PSM_GETCURRENTPAGEHWND, 0, 0) == 0; });
        close();
        return closed;
    }

    // The pages never mark themselves changed, so this host enables Apply itself before the
    // person presses it; the sheet stays open.
    void apply() {
        SendMessageA(window_, PSM_CHANGED, reinterpret_cast<WPARAM>(page(0)), 0);
        SendMessageA(window_, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    }

    bool screenshot(const std::string& name) {
        RedrawWindow(window_, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        const std::string path = host::executableFolder() + name;
        return tideglass::e2e::saveWindowPng(window_, path);
    }

    void close() {
        if (window_ != nullptr && IsWindow(window_))
            DestroyWindow(window_);
        window_ = nullptr;
    }

private:
    std::vector<HPROPSHEETPAGE> pages_;
    HWND window_ = nullptr;
};

std::string text(HWND page, int id) {
    char buffer[256] = {};
    GetDlgItemTextA(page, id, buffer, sizeof buffer);
    return buffer;
}

class Sheet : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(widget.loaded());
        widget.recorder().onOverlay = [this](HWND, Gdiplus::Image* image) {
            // The margins are background only: the least opaque of the four corners.
            if (image == nullptr)
                return;
            const int right = static_cast<int>(image->GetWidth()) - 1;
            const int bottom = static_cast<int>(image->GetHeight()) - 1;
            UINT alpha = 255;
            for (auto [x, y] : {std::pair{0, 0}, {right, 0}, {0, bottom}, {right, bottom}}) {
                Gdiplus::ARGB pixel = 0;
                host::pixelAt(*image, x, y, pixel);
                alpha = std::min<UINT>(alpha, pixel >> 24);
            }
            backgroundAlpha = alpha;
        };
        ASSERT_NE(widget.create(), nullptr);
        ASSERT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
        child = e2e::childProcesses().front();
        ASSERT_TRUE(waitUntil([] { return consoleShows(">"); })) << "the first prompt";
    }
    void TearDown() override {
        sheet.close();
        EXPECT_TRUE(widget.boxes().boxes().empty()) << widget.boxes().boxes().front().text;
    }

    void openSheet() {
        ASSERT_EQ(sheet.open(widget), kSecondPageAnswer);
        ASSERT_NE(sheet.window(), nullptr);
    }
    std::string saved(const std::string& key) {
        const std::string ini = e2e::tempFile("tideglass-sheet.ini");
        widget.save(ini, kSection);
        return e2e::readIniValue(ini, kSection, key);
    }
    std::string savedIni(const std::string& name) {
        const std::string ini = e2e::tempFile(name);
        widget.save(ini, kSection);
        return fileText(ini);
    }

    e2e::WidgetHost widget;
    HostSheet sheet;
    DWORD child = 0;
    UINT backgroundAlpha = 0;
};

TEST_F(Sheet, PagesArriveInOrderAndOpenWithTheDefaults) {
    openSheet();
    const auto calls = widget.recorder().calls();
    std::vector<INT_PTR> handed;
    for (const auto& call : calls) {
        if (call.name != "DeskletAddPropertySheet")
            continue;
        EXPECT_EQ(call.window, widget.window());
        handed.push_back(call.first);
    }
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_EQ(handed[0], reinterpret_cast<INT_PTR>(sheet.pages()[0]));
    EXPECT_EQ(sheet.tabTitle(0), "Console Settings");
    EXPECT_EQ(sheet.tabTitle(1), "Font and Colors");

    HWND console = sheet.page(0);
    ASSERT_NE(console, nullptr);
    EXPECT_EQ(text(console, IDC_COMMAND_LINE), "%COMSPEC%");
    EXPECT_EQ(text(console, IDC_START_DIRECTORY), "%HOMEPATH%");
    EXPECT_EQ(text(console, IDC_COLUMNS), "80");
    EXPECT_EQ(text(console, IDC_ROWS), "25");
    EXPECT_EQ(text(console, IDC_UPDATE_EVERY), "250");
    for (int id : {IDC_LEFT_MARGIN, IDC_RIGHT_MARGIN, IDC_TOP_MARGIN, IDC_BOTTOM_MARGIN})
        EXPECT_EQ(text(console, id), "8") << "margin " << id;
    EXPECT_TRUE(sheet.screenshot("sheet_console_settings.png"));

    HWND colors = sheet.page(1);
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(text(colors, IDC_TRANSPARENCY), "128");
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_IGNORE_FG_COLORS), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_IGNORE_BG_COLORS), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_IGNORE_STYLE), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_INVERT_COLORS), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_BLACK_IS_TRANSPARENT), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_SHOW_NON_OEM_FONTS), BST_UNCHECKED);
    EXPECT_TRUE(sheet.screenshot("sheet_font_and_colors.png"));
    EXPECT_TRUE(sheet.finish(PSBTN_CANCEL));
}

TEST_F(Sheet, UnchangedOkAndCancelledEditsKeepTheSavedSettings) {
    const std::string before = savedIni("tideglass-before.ini");
    ASSERT_FALSE(before.empty());
    const int sizes = widget.recorder().count("DeskletSetSize");

    openSheet();
    sheet.page(0);
    sheet.page(1);
    ASSERT_TRUE(sheet.finish(PSBTN_OK));
    EXPECT_EQ(savedIni("tideglass-after-ok.ini"), before);
    EXPECT_EQ(widget.recorder().count("DeskletSetSize"), sizes) << "nothing rebuilt";

    openSheet();
    HWND console = sheet.page(0);
    SetDlgItemTextA(console, IDC_COMMAND_LINE, "%COMSPEC% /k echo cancelled");
    SetDlgItemTextA(console, IDC_COLUMNS, "100");
    SetDlgItemTextA(console, IDC_LEFT_MARGIN, "30");
    HWND colors = sheet.page(1);
    SetDlgItemTextA(colors, IDC_TRANSPARENCY, "255");
    CheckDlgButton(colors, IDC_INVERT_COLORS, BST_CHECKED);
    ASSERT_TRUE(sheet.finish(PSBTN_CANCEL));
    EXPECT_EQ(savedIni("tideglass-after-cancel.ini"), before);
    EXPECT_EQ(widget.recorder().count("DeskletSetSize"), sizes);
    EXPECT_EQ(e2e::childProcesses(), std::vector<DWORD>{child}) << "no restart";
}

TEST_F(Sheet, ApplyRestartsTheChildAndResetsTheTimerWhileBadRowsAreIgnored) {
    openSheet();
    HWND console = sheet.page(0);
    SetDlgItemTextA(console, IDC_COMMAND_LINE, "%COMSPEC% /k echo restarted");
    SetDlgItemTextA(console, IDC_ROWS, "abc");
    SetDlgItemTextA(console, IDC_UPDATE_EVERY, "100");
    sheet.apply();
    const std::size_t applied = widget.timerTicks().size();

    ASSERT_TRUE(waitUntil([&] {
        const auto children = e2e::childProcesses();
        return children.size() == 1 && children.front() != child;
    })) << "one new interpreter";
    EXPECT_FALSE(e2e::processRunning(child));
    EXPECT_TRUE(waitUntil([] { return consoleShows("restarted"); }));

    // Ticks seen by the widget window after the timer was set again.
    ASSERT_TRUE(waitUntil([&] { return widget.timerTicks().size() >= applied + 13; }, 30000));
    const auto all = widget.timerTicks();
    const double period = e2e::typicalTickPeriod({all.begin() + applied, all.end()});
    EXPECT_GE(period, 80.0);
    EXPECT_LE(period, 170.0) << "well below the 250 ms before the Apply";
    std::cout << "[ figures  ] poll period after Apply " << period << " ms\n";

    EXPECT_TRUE(sheet.finish(PSBTN_CANCEL));  // Cancel does not take an Apply back
    EXPECT_EQ(saved("child-app-cmdline"), "%COMSPEC% /k echo restarted");
    EXPECT_EQ(saved("poll-interval"), "100");
    EXPECT_EQ(saved("rows"), "25");
    CONSOLE_SCREEN_BUFFER_INFO info;
    ASSERT_TRUE(e2e::consoleInfo(info));
    EXPECT_EQ(info.srWindow.Bottom - info.srWindow.Top + 1, 25);
}

// A sheet of the widget's pages on a thread of its own: 20 ms poll interval and a wider margin,
// then OK.
struct SheetElsewhere {
    e2e::WidgetHost* widget;
    std::atomic<bool> done{false};

    static DWORD WINAPI run(void* param) {
        auto* self = static_cast<SheetElsewhere*>(param);
        HostSheet other;
        if (other.open(*self->widget) == kSecondPageAnswer) {
            SetDlgItemTextA(other.page(0), IDC_UPDATE_EVERY, "20");
            SetDlgItemTextA(other.page(0), IDC_LEFT_MARGIN, "30");
            other.finish(PSBTN_OK);
        }
        self->done = true;
        return 0;
    }
};

// A host may run its sheet on a thread of its own: the widget's timer and the host's size call
// still come from the widget's thread, which the test's own pumping stands for.
TEST_F(Sheet, ApplyOnAnotherThreadResetsTheTimerAndSizesOnTheWidgetsThread) {
    static std::atomic<DWORD> sizedOn{0};
    sizedOn = 0;
    widget.recorder().onSetSize = [](HWND, SIZE) { sizedOn = GetCurrentThreadId(); };
    SheetElsewhere work{&widget};
    HANDLE thread = CreateThread(nullptr, 0, SheetElsewhere::run, &work, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(waitUntil([&] { return work.done.load(); }, 15000));
    WaitForSingleObject(thread, 15000);
    CloseHandle(thread);
    const std::size_t applied = widget.timerTicks().size();
    EXPECT_TRUE(waitUntil([] { return sizedOn != 0; }));
    EXPECT_EQ(sizedOn, GetCurrentThreadId());
    EXPECT_TRUE(waitUntil([&] { return widget.timerTicks().size() >= applied + 20; }, 3000))
        << "the 20 ms timer ticks";
    widget.recorder().onSetSize = nullptr;
}

TEST_F(Sheet, MarginOnlyResizesTheWidgetAndWideColumnsAreLowered) {
    host::HostCall size;
    ASSERT_TRUE(widget.recorder().last("DeskletSetSize", size));
    const INT_PTR width = size.first, height = size.second;
    // Scrolled back, as with the wheel: sizing the console again would move the window to the
    // top, although the buffer and window sizes stay the same.
    SMALL_RECT scrolled{0, 10, 79, 34};
    ASSERT_TRUE(SetConsoleWindowInfo(ConsoleOutput().get(), TRUE, &scrolled));
    CONSOLE_SCREEN_BUFFER_INFO console;
    ASSERT_TRUE(e2e::consoleInfo(console));
    ASSERT_EQ(console.srWindow.Top, 10);

    openSheet();
    SetDlgItemTextA(sheet.page(0), IDC_LEFT_MARGIN, "20");
    ASSERT_TRUE(sheet.finish(PSBTN_OK));
    ASSERT_TRUE(widget.recorder().last("DeskletSetSize", size));
    EXPECT_EQ(size.first, width + 12);
    EXPECT_EQ(size.second, height);
    EXPECT_TRUE(waitUntil([&] {
        return widget.recorder().overlayWidth() == static_cast<UINT>(width + 12) &&
               widget.recorder().overlayHeight() == static_cast<UINT>(height);
    })) << "the overlay has the new size";
    CONSOLE_SCREEN_BUFFER_INFO after;
    ASSERT_TRUE(e2e::consoleInfo(after));
    EXPECT_TRUE(sameConsole(console, after)) << "buffer and window untouched";
    EXPECT_EQ(e2e::childProcesses(), std::vector<DWORD>{child}) << "no restart";
    EXPECT_EQ(saved("left-margin"), "20");

    // Columns beyond the screen: the console gets the widest window the system allows.
    const SHORT largest = GetLargestConsoleWindowSize(ConsoleOutput().get()).X;
    ASSERT_GT(largest, 80);
    ASSERT_LT(largest, 500);
    openSheet();
    SetDlgItemTextA(sheet.page(0), IDC_COLUMNS, "500");
    ASSERT_TRUE(sheet.finish(PSBTN_OK));
    ASSERT_TRUE(e2e::consoleInfo(after));
    EXPECT_EQ(after.dwSize.X, largest);
    EXPECT_EQ(after.srWindow.Right - after.srWindow.Left + 1, largest);
    EXPECT_EQ(saved("columns"), std::to_string(largest));
    ASSERT_TRUE(widget.recorder().last("DeskletSetSize", size));
    const INT_PTR cellWidth = (width - 16) / 80;
    EXPECT_EQ(size.first, 8 + 20 + largest * cellWidth);

    openSheet();
    EXPECT_EQ(text(sheet.page(0), IDC_COLUMNS), std::to_string(largest)) << "shown reduced";
    EXPECT_TRUE(sheet.finish(PSBTN_CANCEL));
}

TEST_F(Sheet, OpaqueBackgroundAndSwitchOnOkAndChosenTextColorSurvivesCancel) {
    EXPECT_EQ(backgroundAlpha, 128u) << "the default half-transparent background";
    openSheet();
    HWND colors = sheet.page(1);
    SetDlgItemTextA(colors, IDC_TRANSPARENCY, "255");
    CheckDlgButton(colors, IDC_INVERT_COLORS, BST_CHECKED);
    ASSERT_TRUE(sheet.finish(PSBTN_OK));
    EXPECT_EQ(saved("background-color"), "-16777216");
    EXPECT_EQ(saved("invert-colors"), "1");
    EXPECT_TRUE(waitUntil([&] { return backgroundAlpha == 255; })) << "opaque overlay background";

    openSheet();
    colors = sheet.page(1);
    {
        // The chooser is modal: it is confirmed from a second thread while the click runs.
        tideglass::e2e::DialogAnswerer chooser("Color", IDOK);
        SendMessageA(GetDlgItem(colors, IDC_TEXT_COLOR), BM_CLICK, 0, 0);
        ASSERT_TRUE(chooser.finish());
    }
    const std::string chosen = saved("text-color");
    EXPECT_EQ(chosen, std::to_string(0x00E0E0E0)) << "the default light grey, top byte 0";
    EXPECT_TRUE(sheet.finish(PSBTN_CANCEL));
    EXPECT_EQ(saved("text-color"), chosen);
    EXPECT_EQ(saved("background-color"), "-16777216");
}

// More rows applied while the prompt stands far down the buffer (after a long listing): the
// console's window ends on the cursor's row, so the widget shows the prompt and its cursor.
TEST_F(Sheet, MoreRowsKeepTheCursorInView) {
    SMALL_RECT down{0, 76, 79, 100};
    ASSERT_TRUE(SetConsoleWindowInfo(ConsoleOutput().get(), TRUE, &down));
    ASSERT_TRUE(SetConsoleCursorPosition(ConsoleOutput().get(), COORD{0, 100}));
    openSheet();
    SetDlgItemTextA(sheet.page(0), IDC_ROWS, "30");
    ASSERT_TRUE(sheet.finish(PSBTN_OK));
    CONSOLE_SCREEN_BUFFER_INFO after{};
    EXPECT_TRUE(waitUntil([&] {
        return e2e::consoleInfo(after) && after.srWindow.Bottom - after.srWindow.Top == 29 &&
               after.srWindow.Bottom == after.dwCursorPosition.Y;
    })) << "window "
        << after.srWindow.Top << "-" << after.srWindow.Bottom << ", cursor row "
        << after.dwCursorPosition.Y;
}

}  // namespace
