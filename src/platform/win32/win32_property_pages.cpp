#include "platform/win32/win32_property_pages.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstddef>

#include "pages/resource.h"
#include "platform/win32/win32_page_procedures.h"

namespace tideglass::win32 {
namespace {

// The record as hosts of the plug-in's era know it (up to hActCtx): 52 bytes on i686, the
// architecture's own size of the same fields elsewhere. With _WIN32_WINNT 0x0600 and later the
// headers' PROPSHEETPAGEA grows by hbmHeader, so the size is given explicitly.
constexpr UINT kPageRecordSize = sizeof(PROPSHEETPAGEA_V3);
static_assert(sizeof(void*) != 4 || kPageRecordSize == 52);
static_assert(kConsoleSettingsTemplate == IDD_CONSOLE_SETTINGS);
static_assert(kFontAndColorsTemplate == IDD_FONT_AND_COLORS);

}  // namespace

void* Win32PropertyPages::create(InstanceHandle instance, PageKind kind, DeskletToken target) {
    const bool console = kind == PageKind::ConsoleSettings;
    PROPSHEETPAGEA page{};
    page.dwSize = kPageRecordSize;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = static_cast<HINSTANCE>(instance);
    page.pszTemplate =
        MAKEINTRESOURCEA(console ? kConsoleSettingsTemplate : kFontAndColorsTemplate);
    page.pszTitle = console ? kConsoleSettingsTitle : kFontAndColorsTitle;
    page.pfnDlgProc = console ? consoleSettingsPageProc : fontAndColorsPageProc;
    page.lParam = static_cast<LPARAM>(target);
    return CreatePropertySheetPageA(&page);
}

}  // namespace tideglass::win32
