#include "widget_menu.h"

#include <commctrl.h>

#include <vector>

#include "support/host_functions.h"

namespace host {

const char kSheetCaption[] = "Tideglass Settings";

WPARAM showWidgetMenu(HWND owner, POINT screen, bool onTop) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return 0;
    AppendMenuW(menu, MF_STRING, kCopyText, L"&Copy text");
    AppendMenuW(menu, MF_STRING, kPaste, L"&Paste");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kConfigure, L"Co&nfigure\u2026");
    AppendMenuW(menu, MF_STRING | (onTop ? MF_CHECKED : MF_UNCHECKED), kAlwaysOnTop,
                L"Always on &top");
    AppendMenuW(menu, MF_STRING, kSaveNow, L"&Save now");
    AppendMenuW(menu, MF_STRING, kNewWidget, L"Ne&w widget");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kExit, L"E&xit");
    // The owner must be the foreground window, or the menu does not close when clicked away.
    SetForegroundWindow(owner);
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                       screen.x, screen.y, 0, owner, nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return static_cast<WPARAM>(chosen);
}

bool configureWidget(HWND owner, const PluginEntryPoints& plugin, void* desklet) {
    HostRecorder& recorder = HostRecorder::instance();
    std::vector<HPROPSHEETPAGE> pages;
    auto previous = recorder.onAddPropertySheet;
    recorder.onAddPropertySheet = [&pages](HWND, HPROPSHEETPAGE page) -> INT_PTR {
        pages.push_back(page);
        return static_cast<INT_PTR>(pages.size());
    };
    plugin.OnAddPropertySheets(desklet, 0);
    recorder.onAddPropertySheet = previous;
    if (pages.empty())
        return false;

    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    // The pages apply on OK and never mark themselves changed, so an Apply button would only
    // ever be greyed out.
    header.dwFlags = PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = kSheetCaption;
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    // Positive once the pages accepted changes with OK.
    return PropertySheetA(&header) > 0;
}

}  // namespace host
