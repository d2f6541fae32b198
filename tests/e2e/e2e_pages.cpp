// The two configuration pages for real: their dialog templates as compiled into tideglass.dll,
// and the page procedures inside a property sheet with the system's own controls and choosers.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <string>
#include <vector>

#include "desklet/configurable.h"
#include "desklet/live_desklets.h"
#include "e2e/support/dialog_driver.h"
#include "support/plugin_library.h"
#include "e2e/support/dialog_template.h"
#include "pages/font_and_colors_page.h"
#include "pages/resource.h"
#include "platform/win32/win32_choosers.h"
#include "platform/win32/win32_preview.h"
#include "desklet/renderer_settings.h"
#include "pages/preview.h"
#include "render/renderer.h"
#include "platform/win32/gdi_graphics.h"
#include "platform/win32/win32_page_procedures.h"
#include "platform/win32/win32_property_pages.h"
#include "settings/keys.h"

namespace tideglass {
namespace {

using e2e::DialogAnswerer;

HMODULE pluginModule() {
    static HMODULE module = LoadLibraryA((host::executableFolder() + "tideglass.dll").c_str());
    return module;
}

// A desklet as far as the pages can tell: live settings and a record of what they applied.
class TestDesklet : public Configurable {
public:
    struct Apply {
        Settings copy;
        ChangeFlags flags;
    };
    TestDesklet() : token(addLiveDesklet(this)) {}
    ~TestDesklet() { removeLiveDesklet(token); }
    Settings currentSettings() const override { return settings; }
    void hold() override {}
    void release() override {}
    void applyConfiguration(const Settings& copy, ChangeFlags flags) override {
        applies.push_back({copy, flags});
        if (failApply)
            throw std::runtime_error("renderer could not be built");
        settings = copy;
    }
    DeskletToken token;
    Settings settings;
    std::vector<Apply> applies;
    bool failApply = false;
};

// ---------------------------------------------------------------------------------------------
// Templates

struct ExpectedControl {
    int id;
    const char* kind;  // "Button", "Edit", "Static"
    const char* text;
    short x, y, cx, cy;
    uint32_t style;
};

constexpr uint32_t kLabel = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
constexpr uint32_t kGroup = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
constexpr uint32_t kEdit = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr uint32_t kPush = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr uint32_t kCheck = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;

const std::vector<ExpectedControl> kConsoleSettingsControls = {
    {-1, "Button", "Size", 6, 66, 72, 60, kGroup},
    {-1, "Static", "Rows:", 12, 102, 30, 8, kLabel},
    {1007, "Edit", "", 48, 96, 24, 14, kEdit},
    {-1, "Static", "Columns:", 12, 84, 34, 8, kLabel},
    {1011, "Edit", "", 48, 78, 24, 14, kEdit},
    {-1, "Button", "Child process", 6, 6, 318, 54, kGroup},
    {-1, "Static", "Command line:", 12, 24, 48, 8, kLabel},
    {1014, "Edit", "", 66, 18, 246, 14, kEdit},
    {-1, "Static", "Update every", 12, 168, 48, 8, kLabel},
    {1015, "Edit", "", 60, 162, 36, 14, kEdit},
    {-1, "Static", "milliseconds", 102, 168, 44, 8, kLabel},
    {-1, "Button", "Margins", 84, 66, 240, 60, kGroup},
    {-1, "Static", "Right:", 144, 108, 20, 8, kLabel},
    {-1, "Static", "Left:", 90, 108, 16, 8, kLabel},
    {1027, "Edit", "", 108, 102, 24, 14, kEdit},
    {1028, "Edit", "", 168, 102, 24, 14, kEdit},
    {-1, "Static", "Bottom:", 258, 108, 26, 8, kLabel},
    {-1, "Static", "Top:", 210, 108, 16, 8, kLabel},
    {1029, "Edit", "", 228, 102, 24, 14, kEdit},
    {1030, "Edit", "", 288, 102, 24, 14, kEdit},
    {-1, "Static", "Start directory:", 12, 42, 50, 8, kLabel},
    {1035, "Edit", "", 66, 36, 246, 14, kEdit},
    {-1, "Button", "Buffer update interval", 6, 132, 318, 54, kGroup},
    {-1, "Static",
     "These are the internal margins of the console text area from the desklet's edge. All "
     "values are in pixels.",
     90, 78, 222, 18, kLabel},
    {-1, "Static",
     "Setting a lower value will make the console more responsive but will also use a lot of "
     "CPU!",
     12, 144, 300, 16, kLabel},
    {-1, "Static", "NOTE: the maximum number of columns is limited by the system. ", 6, 192, 318,
     18, kLabel},
};

const std::vector<ExpectedControl> kFontAndColorsControls = {
    {1003, "Button", "&Font", 12, 66, 96, 14, kPush},
    {-1, "Button", "Text options", 120, 6, 204, 102, kGroup},
    {1022, "Button", "Ignore foreground colors (use default color)", 126, 18, 157, 10, kCheck},
    {1023, "Button", "Ignore style attributes (use default font style)", 126, 42, 164, 10, kCheck},
    {1024, "Button", "Ignore background colors (use transparent background)", 126, 30, 195, 10,
     kCheck},
    {1026, "Button", "Invert colors", 126, 54, 57, 10, kCheck},
    {-1, "Static", "Transparency (0 - 255):", 126, 156, 78, 8, kLabel},
    {1034, "Edit", "", 210, 150, 24, 14, kEdit},
    {1037, "Button", "&Color", 12, 84, 96, 14, kPush},
    {-1, "Button", "Default text properties", 6, 6, 108, 102, kGroup},
    {-1, "Button", "Overlay background", 6, 114, 318, 60, kGroup},
    {1038, "Button", "&Color", 12, 150, 96, 14, kPush},
    {-1, "Static",
     "NOTE: even if you make the overlay background transparent, its color may still affect the "
     "appearance of the cursor if all the above \"Ignore\" options are enabled.",
     12, 126, 300, 24, kLabel},
    {-1, "Static",
     "NOTE: if you enable ALL \"Ignore\" text options (\"Ignore foreground\", \"Ignore "
     "background\" and \"Ignore style\") the rendering of the console buffer will be "
     "significantly faster.",
     6, 186, 318, 24, kLabel},
    {1039, "Button", "Make black background trasparent", 126, 66, 126, 10, kCheck},
    {1040, "Button", "Show non-OEM fonts too", 12, 54, 96, 10, kCheck},
    {-1, "Static", "NOTE: non-OEM fonts may not be able to display graphical characters.", 18, 16,
     90, 36, kLabel},
    {-1, "Button", "Preview", 6, 214, 318, 76, kGroup},
    {1041, "Static", "", 12, 226, 306, 58, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE},
};

struct TemplateCase {
    const char* name;
    int resourceId;
    uint32_t style;
    short height;
    const std::vector<ExpectedControl>* controls;
};

void PrintTo(const TemplateCase& c, std::ostream* os) {
    *os << c.name;
}

class PageTemplate : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(PageTemplate, MatchesTheControlTable) {
    const TemplateCase& c = GetParam();
    ASSERT_NE(pluginModule(), nullptr) << "tideglass.dll did not load";
    HRSRC found = FindResourceA(pluginModule(), MAKEINTRESOURCEA(c.resourceId), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    const auto* bytes =
        static_cast<const uint8_t*>(LockResource(LoadResource(pluginModule(), found)));
    ASSERT_NE(bytes, nullptr);
    const e2e::DialogTemplate dialog =
        e2e::parseDialogTemplateEx(bytes, SizeofResource(pluginModule(), found));

    EXPECT_TRUE(dialog.extended);
    EXPECT_EQ(dialog.style, c.style) << std::hex << dialog.style;
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 334);
    EXPECT_EQ(dialog.cy, c.height);
    EXPECT_EQ(dialog.menu, "");
    EXPECT_EQ(dialog.windowClass, "");
    EXPECT_EQ(dialog.caption, "Dialog");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.weight, 400);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 1);
    EXPECT_EQ(dialog.typeface, "MS Shell Dlg");

    ASSERT_EQ(dialog.controls.size(), c.controls->size());
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
        const auto& got = dialog.controls[i];
        const auto& want = (*c.controls)[i];
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + want.text + "\"");
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.windowClass, want.kind);
        EXPECT_EQ(got.text, want.text);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.cx, want.cx);
        EXPECT_EQ(got.cy, want.cy);
        EXPECT_EQ(got.style, want.style) << std::hex << got.style;
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.helpId, 0u);
        EXPECT_EQ(got.extraBytes, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dll, PageTemplate,
    ::testing::Values(TemplateCase{"ConsoleSettings", IDD_CONSOLE_SETTINGS,
                                   WS_CHILD | WS_DISABLED | WS_CAPTION | DS_SETFONT | DS_FIXEDSYS,
                                   219, &kConsoleSettingsControls},
                      TemplateCase{"FontAndColors", IDD_FONT_AND_COLORS,
                                   WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT |
                                       DS_FIXEDSYS,
                                   296, &kFontAndColorsControls}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Pages in a property sheet

constexpr char kSheetTitle[] = "Tideglass pages under test";

class PagesInSheet : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        ASSERT_NE(pluginModule(), nullptr);
    }

    void TearDown() override {
        if (sheet && IsWindow(sheet))
            DestroyWindow(sheet);
    }

    // Opens a modeless sheet with both pages, the first one showing.
    void openSheet() {
        win32::Win32PropertyPages pages;
        HPROPSHEETPAGE handles[2] = {
            static_cast<HPROPSHEETPAGE>(
                pages.create(pluginModule(), PageKind::ConsoleSettings, desklet.token)),
            static_cast<HPROPSHEETPAGE>(
                pages.create(pluginModule(), PageKind::FontAndColors, desklet.token)),
        };
        ASSERT_NE(handles[0], nullptr);
        ASSERT_NE(handles[1], nullptr);
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_MODELESS;
        header.pszCaption = kSheetTitle;
        header.nPages = 2;
        header.phpage = handles;
        sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(e2e::pumpUntil([&] { return currentPage() != nullptr; }, 5000));
    }

    HWND currentPage() {
        return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    }

    HWND page(int index) {
        SendMessageA(sheet, PSM_SETCURSEL, index, 0);
        HWND shown = nullptr;
        e2e::pumpUntil(
            [&] {
                shown = currentPage();
                return shown != nullptr && PropSheet_HwndToIndex(sheet, shown) == index;
            },
            5000);
        return shown;
    }

    // Presses OK or Cancel and waits until the sheet has closed its pages.
    void press(int button) {
        PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
        ASSERT_TRUE(
            e2e::pumpUntil([&] { return SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) == 0; }));
    }

    // Clicks a chooser button; the chooser runs modally inside this call.
    void click(HWND page, int id) {
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }

    static std::string text(HWND page, int id) {
        char buffer[256] = {};
        GetDlgItemTextA(page, id, buffer, sizeof buffer);
        return buffer;
    }

    TestDesklet desklet;
    HWND sheet = nullptr;
};

TEST_F(PagesInSheet, OpenWithDefaultsAndOkAppliesEachPage) {
    openSheet();
    HWND console = page(0);
    ASSERT_NE(console, nullptr);
    EXPECT_EQ(text(console, IDC_COMMAND_LINE), "%COMSPEC%");
    EXPECT_EQ(text(console, IDC_START_DIRECTORY), "%HOMEPATH%");
    EXPECT_EQ(text(console, IDC_UPDATE_EVERY), "250");
    EXPECT_EQ(text(console, IDC_COLUMNS), "80");
    EXPECT_EQ(text(console, IDC_ROWS), "25");
    for (int id : {IDC_LEFT_MARGIN, IDC_RIGHT_MARGIN, IDC_TOP_MARGIN, IDC_BOTTOM_MARGIN}) {
        EXPECT_EQ(text(console, id), "8") << id;
    }
    SetDlgItemTextA(console, IDC_COLUMNS, "100");
    SetDlgItemTextA(console, IDC_ROWS, "abc");
    SetDlgItemTextA(console, IDC_COMMAND_LINE, "");

    HWND colors = page(1);
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_IGNORE_FG_COLORS), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_IGNORE_BG_COLORS), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_IGNORE_STYLE), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_INVERT_COLORS), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_BLACK_IS_TRANSPARENT), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(colors, IDC_SHOW_NON_OEM_FONTS), BST_UNCHECKED);
    EXPECT_EQ(text(colors, IDC_TRANSPARENCY), "128");
    SetDlgItemTextA(colors, IDC_TRANSPARENCY, "300");
    CheckDlgButton(colors, IDC_INVERT_COLORS, BST_CHECKED);

    press(PSBTN_OK);
    ASSERT_EQ(desklet.applies.size(), 2u);
    EXPECT_EQ(desklet.applies[0].flags, kConsoleSizeChange);
    EXPECT_EQ(desklet.applies[1].flags, kRenderingChange);
    EXPECT_EQ(desklet.settings.integer(keys::kColumns), 100);
    EXPECT_EQ(desklet.settings.integer(keys::kRows), 25);
    EXPECT_EQ(desklet.settings.text(keys::kChildAppCmdline), "%COMSPEC%");
    EXPECT_EQ(static_cast<uint32_t>(desklet.settings.integer(keys::kBackgroundColor)), 0x2C000000u);
    EXPECT_EQ(desklet.settings.integer(keys::kInvertColors), 1);
}

struct NumberCase {
    const char* typed;
    bool converts;
    int32_t stored;
    bool refusedByWine = false;
};

// Wine's GetDlgItemInt cannot tell 4294967295 (ULONG_MAX) from an overflow and refuses it, where
// Windows accepts it; the stored value then stays as it was.
bool runsOnWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << '"' << c.typed << '"';
}

class PlatformNumbers : public PagesInSheet, public ::testing::WithParamInterface<NumberCase> {};

// The system's own unsigned conversion decides what reaches the settings.
TEST_P(PlatformNumbers, RowsFieldConvertsLikeTheDocumentedPlatform) {
    const NumberCase& c = GetParam();
    const bool converts = c.converts && !(c.refusedByWine && runsOnWine());
    openSheet();
    SetDlgItemTextA(page(0), IDC_ROWS, c.typed);
    press(PSBTN_OK);
    ASSERT_EQ(desklet.applies.size(), 1u);  // only the page that was shown applies
    EXPECT_EQ(desklet.applies[0].flags, converts ? kConsoleSizeChange : 0u);
    EXPECT_EQ(desklet.settings.integer(keys::kRows), converts ? c.stored : 25);
}

INSTANTIATE_TEST_SUITE_P(Rows, PlatformNumbers,
                         ::testing::Values(NumberCase{"", false, 0}, NumberCase{"abc", false, 0},
                                           NumberCase{"-3", false, 0},
                                           NumberCase{"4294967296", false, 0},
                                           NumberCase{"4294967295", true, -1, true},
                                           NumberCase{"2147483648", true, -2147483647 - 1},
                                           NumberCase{"0", true, 0}, NumberCase{"40", true, 40}));

TEST_F(PagesInSheet, CancelWritesNothing) {
    openSheet();
    SetDlgItemTextA(page(0), IDC_COLUMNS, "120");
    SetDlgItemTextA(page(1), IDC_TRANSPARENCY, "255");
    press(PSBTN_CANCEL);
    EXPECT_TRUE(desklet.applies.empty());
}

TEST_F(PagesInSheet, ConfirmedColorChoosersApplyAtOnceAndSurviveCancel) {
    openSheet();
    HWND colors = page(1);
    {
        DialogAnswerer chooser("Color", IDOK);
        click(colors, IDC_TEXT_COLOR);
        ASSERT_TRUE(chooser.finish());
    }
    ASSERT_EQ(desklet.applies.size(), 1u);
    EXPECT_EQ(desklet.applies[0].flags, kRenderingChange);
    EXPECT_EQ(desklet.settings.integer(keys::kTextColor), 0x00E0E0E0);
    {
        // Type white into the chooser's red, green and blue fields and add it to the custom
        // colours (the chooser's own control ids) before confirming.
        DialogAnswerer chooser("Color", IDOK, [](HWND box) {
            for (int field : {706, 707, 708})
                SetDlgItemTextA(box, field, "255");
            SendMessageA(box, WM_COMMAND, MAKEWPARAM(712, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, 712)));
        });
        click(colors, IDC_BACKGROUND_COLOR);
        ASSERT_TRUE(chooser.finish());
    }
    ASSERT_EQ(desklet.applies.size(), 2u);
    EXPECT_EQ(static_cast<uint32_t>(desklet.settings.integer(keys::kBackgroundColor)), 0x80FFFFFFu);
    // The chooser edited the module's table, which every later chooser is offered.
    EXPECT_EQ(moduleCustomColors()[0], 0x00FFFFFFu);

    press(PSBTN_CANCEL);
    EXPECT_EQ(desklet.applies.size(), 2u);
}

TEST_F(PagesInSheet, CancelledChoosersChangeNothing) {
    openSheet();
    HWND colors = page(1);
    for (auto [id, caption] :
         {std::pair{IDC_TEXT_COLOR, "Color"}, std::pair{IDC_BACKGROUND_COLOR, "Color"},
          std::pair{IDC_FONT, "Font"}}) {
        DialogAnswerer chooser(caption, IDCANCEL);
        click(colors, id);
        EXPECT_TRUE(chooser.finish()) << caption;
    }
    EXPECT_TRUE(desklet.applies.empty());
}

TEST_F(PagesInSheet, ConfirmedFontChooserStoresTheChosenFont) {
    openSheet();
    HWND colors = page(1);
    CheckDlgButton(colors, IDC_SHOW_NON_OEM_FONTS, BST_CHECKED);
    {
        DialogAnswerer chooser("Font", IDOK);
        click(colors, IDC_FONT);
        ASSERT_TRUE(chooser.finish());
    }
    ASSERT_EQ(desklet.applies.size(), 1u);
    EXPECT_EQ(desklet.applies[0].flags, kRenderingChange);
    EXPECT_TRUE(desklet.settings.font.hasFaceName());
    EXPECT_NE(desklet.settings.font.height, 0);
}

TEST_F(PagesInSheet, FailingApplyShowsOneErrorBoxAndTheSheetCloses) {
    openSheet();
    page(0);
    desklet.failApply = true;
    DialogAnswerer box("Tideglass Desklet", IDOK);
    press(PSBTN_OK);
    ASSERT_TRUE(box.finish());
    EXPECT_EQ(box.text(),
              "An exception occured while updating the desklet configuration: renderer could not "
              "be built");
    EXPECT_EQ(desklet.applies.size(), 1u);
}

TEST_F(PagesInSheet, ScreenshotsOfBothPages) {
    openSheet();
    const std::string dir = host::executableFolder();
    // Painted at once, the sheet with every control on it.
    const UINT paintNow = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN;
    HWND console = page(0);
    RedrawWindow(sheet, nullptr, nullptr, paintNow);
    EXPECT_TRUE(e2e::saveWindowPng(console, dir + "page_console_settings.png"));
    HWND colors = page(1);
    RedrawWindow(sheet, nullptr, nullptr, paintNow);
    EXPECT_TRUE(e2e::saveWindowPng(colors, dir + "page_font_and_colors.png"));
    EXPECT_TRUE(e2e::saveWindowPng(sheet, dir + "sheet_font_and_colors.png"));
}

// Every text on both pages shows whole with the page's own font: a label's wrapped lines fit its
// height and no word runs past its width; a check box's or group box's one line fits beside its
// box or within its frame.
TEST_F(PagesInSheet, EveryTextFitsItsControl) {
    openSheet();
    for (int index : {0, 1}) {
        HWND shown = page(index);
        ASSERT_NE(shown, nullptr);
        for (HWND control = GetWindow(shown, GW_CHILD); control != nullptr;
             control = GetWindow(control, GW_HWNDNEXT)) {
            char kind[32] = {}, text[512] = {};
            GetClassNameA(control, kind, sizeof kind);
            GetWindowTextA(control, text, sizeof text);
            const LONG style = GetWindowLongA(control, GWL_STYLE);
            const bool label = lstrcmpiA(kind, "Static") == 0;
            const bool check = (style & 0xF) == BS_AUTOCHECKBOX;
            const bool group = (style & 0xF) == BS_GROUPBOX;
            if (text[0] == '\0' || !(label || check || group))
                continue;
            RECT client{};
            GetClientRect(control, &client);
            HDC dc = GetDC(control);
            HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
            // The room the text has: beside the check box's square, inside the frame's corners.
            const LONG room = client.right - (check ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0) -
                              (group ? 16 : 0);
            RECT needed{0, 0, room, 0};
            DrawTextA(dc, text, -1, &needed,
                      DT_CALCRECT | DT_EXPANDTABS | (label ? DT_WORDBREAK : DT_SINGLELINE));
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            EXPECT_LE(needed.right, room) << "page " << index << ": " << text;
            if (label) {
                EXPECT_LE(needed.bottom, client.bottom) << "page " << index << ": " << text;
            }
        }
    }
}

// The preview is the widget's own renderer drawing the sample with what the page shows, before
// OK: its pixels are those of a renderer built for the same settings, also after a switch is
// clicked, and nothing is applied meanwhile.
TEST_F(PagesInSheet, PreviewShowsTheRenderersPixelsForTheShownSettings) {
    desklet.settings.integer(keys::kBackgroundColor) = int32_t(0xC0603010);
    desklet.settings.integer(keys::kIgnoreBgColors) = 0;
    openSheet();
    HWND colors = page(1);
    ASSERT_NE(colors, nullptr);
    HWND preview = GetDlgItem(colors, IDC_PREVIEW);
    auto shownPixels = [&] {
        std::vector<uint32_t> pixels;
        RECT client{};
        GetClientRect(preview, &client);
        auto bitmap =
            reinterpret_cast<HBITMAP>(SendMessageA(preview, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = client.right;
        info.bmiHeader.biHeight = -client.bottom;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        pixels.resize(std::size_t(client.right) * client.bottom);
        HDC dc = GetDC(nullptr);
        if (bitmap == nullptr || GetDIBits(dc, bitmap, 0, client.bottom, pixels.data(), &info,
                                           DIB_RGB_COLORS) != client.bottom)
            pixels.clear();
        ReleaseDC(nullptr, dc);
        return pixels;
    };
    auto rendered = [&](const Settings& settings) {
        win32::GdiGraphics graphics;
        SampleScreen sample;
        Renderer renderer(previewConfig(rendererConfigFromSettings(settings)), graphics, sample);
        renderer.snapshot(nullptr);
        renderer.draw(true);
        int width = 0, height = 0;
        const std::vector<uint32_t> pixels = win32::canvasPixels(renderer.canvas(), width, height);
        RECT client{};
        GetClientRect(preview, &client);
        std::vector<uint32_t> shown =
            win32::composePreview(pixels, width, height, client.right, client.bottom);
        for (uint32_t& pixel : shown)
            pixel &= 0xFFFFFF;  // the control's copy need not keep the alpha byte
        return shown;
    };
    auto withoutAlpha = [](std::vector<uint32_t> pixels) {
        for (uint32_t& pixel : pixels)
            pixel &= 0xFFFFFF;
        return pixels;
    };
    EXPECT_EQ(withoutAlpha(shownPixels()), rendered(desklet.settings));

    SendMessageA(GetDlgItem(colors, IDC_INVERT_COLORS), BM_CLICK, 0, 0);
    Settings inverted = desklet.settings;
    inverted.integer(keys::kInvertColors) = 1;
    const std::vector<uint32_t> shown = withoutAlpha(shownPixels());
    EXPECT_EQ(shown, rendered(inverted));
    EXPECT_NE(shown, rendered(desklet.settings));
    EXPECT_TRUE(desklet.applies.empty());
}

// The procedures on a bare window: the link comes from the creation record and goes with
// WM_DESTROY, a window without it is left alone, and every answer is FALSE.
TEST(PageProcedures, LinkFromCreationRecordAndIgnoreUnlinkedWindows) {
    for (DLGPROC procedure : {win32::consoleSettingsPageProc, win32::fontAndColorsPageProc}) {
        HWND window = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                      nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        TestDesklet desklet;
        PROPSHEETPAGEA record{};
        record.lParam = static_cast<LPARAM>(desklet.token);
        EXPECT_EQ(procedure(window, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&record)), FALSE);
        EXPECT_EQ(GetPropA(window, "lpData"), reinterpret_cast<HANDLE>(desklet.token));

        NMHDR apply{window, 0, static_cast<UINT>(PSN_APPLY)};
        NMHDR other{window, 0, static_cast<UINT>(PSN_KILLACTIVE)};
        EXPECT_EQ(procedure(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&other)), FALSE);
        EXPECT_EQ(procedure(window, WM_NOTIFY, 0, 0), FALSE);
        EXPECT_TRUE(desklet.applies.empty());
        EXPECT_EQ(procedure(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply)), FALSE);
        EXPECT_EQ(desklet.applies.size(), 1u);

        EXPECT_EQ(procedure(window, WM_DESTROY, 0, 0), FALSE);
        EXPECT_EQ(GetPropA(window, "lpData"), nullptr);
        EXPECT_EQ(procedure(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&apply)), FALSE);
        EXPECT_EQ(procedure(window, WM_COMMAND, MAKEWPARAM(IDC_TEXT_COLOR, BN_CLICKED), 0), FALSE);
        EXPECT_EQ(desklet.applies.size(), 1u);

        record.lParam = 0;  // a record without a desklet links nothing
        EXPECT_EQ(procedure(window, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&record)), FALSE);
        EXPECT_EQ(GetPropA(window, "lpData"), nullptr);
        DestroyWindow(window);
    }
}

TEST(FontChooserFlags, DependOnShowNonOemFonts) {
    EXPECT_EQ(win32::fontChooserFlags(true), 0x4141u);
    EXPECT_EQ(win32::fontChooserFlags(false), 0x404141u);
}

}  // namespace
}  // namespace tideglass
