#include "platform/win32/win32_page_procedures.h"

#include <commctrl.h>
#include <prsht.h>

#include "pages/console_settings_page.h"
#include "pages/font_and_colors_page.h"
#include "pages/resource.h"
#include "platform/win32/win32_choosers.h"
#include "platform/win32/win32_dialog_controls.h"
#include "platform/win32/win32_preview.h"
#include "platform/win32/win32_user_interface.h"

// Both procedures answer FALSE to every message: the dialog manager places the default focus
// itself, and a zero PSN_APPLY result (PSNRET_NOERROR) lets the sheet close. The pages keep no
// state in between; each message builds the adapters over the page window afresh.

namespace tideglass::win32 {
namespace {

DeskletToken pageTarget(LPARAM initParam) {
    const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(initParam);
    return record ? static_cast<DeskletToken>(record->lParam) : 0;
}

bool isApply(LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    return header && header->code == PSN_APPLY;
}

}  // namespace

UserInterface& moduleUserInterface() {
    static Win32UserInterface ui;
    return ui;
}

INT_PTR CALLBACK consoleSettingsPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    try {
        Win32DialogControls controls(page);
        ConsoleSettingsPage logic(controls, moduleUserInterface());
        switch (message) {
            case WM_INITDIALOG:
                logic.open(pageTarget(lParam));
                break;
            case WM_NOTIFY:
                if (isApply(lParam))
                    logic.apply();
                break;
            case WM_DESTROY:
                logic.close();
                break;
        }
    } catch (...) {
        // The page steps report their own failures; nothing may reach the dialog manager.
    }
    return FALSE;
}

INT_PTR CALLBACK fontAndColorsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        Win32DialogControls controls(page);
        Win32Choosers choosers;
        Win32Preview preview(GetDlgItem(page, IDC_PREVIEW));
        FontAndColorsPage logic(controls, choosers, moduleUserInterface(), &preview);
        switch (message) {
            case WM_INITDIALOG:
                logic.open(pageTarget(lParam));
                break;
            case WM_NOTIFY:
                if (isApply(lParam))
                    logic.apply();
                break;
            case WM_COMMAND:
                // A switch clicked or the Transparency typed: the preview follows at once.
                if (FontAndColorsPage::changesPreview(LOWORD(wParam)) &&
                    (HIWORD(wParam) == BN_CLICKED || HIWORD(wParam) == EN_CHANGE))
                    logic.showPreview();
                else if (HIWORD(wParam) == BN_CLICKED)
                    logic.buttonClicked(LOWORD(wParam));
                break;
            case WM_DESTROY:
                Win32Preview::release(GetDlgItem(page, IDC_PREVIEW));
                logic.close();
                break;
        }
    } catch (...) {
    }
    return FALSE;
}

}  // namespace tideglass::win32
