#include "widget_menu.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "host_ini.h"
#include "support/host_functions.h"

namespace host {

const char kSheetCaption[] = "Tideglass Settings";

namespace {

WPARAM track(HWND owner, HMENU menu, POINT screen) {
    // The owner must be the foreground window, or the menu does not close when clicked away.
    SetForegroundWindow(owner);
    const BOOL chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                       screen.x, screen.y, 0, owner, nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return static_cast<WPARAM>(chosen);
}

UINT checked(bool on) {
    return MF_STRING | (on ? MF_CHECKED : MF_UNCHECKED);
}

}  // namespace

WPARAM showWidgetMenu(HWND owner, POINT screen, const WidgetMenuState& state) {
    HMENU menu = CreatePopupMenu();
    HMENU opacity = CreatePopupMenu();
    if (menu == nullptr || opacity == nullptr)
        return 0;
    for (std::size_t i = 0; i < std::size(kOpacities); ++i) {
        const std::wstring text = std::to_wstring(kOpacities[i]) + L" %";
        AppendMenuW(opacity, checked(state.opacity == kOpacities[i]), kOpacityFirst + i,
                    text.c_str());
    }
    AppendMenuW(menu, MF_STRING, kCopyText, L"&Copy text");
    AppendMenuW(menu, MF_STRING, kPaste, L"&Paste");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kConfigure, L"Co&nfigure\u2026");
    AppendMenuW(menu, checked(state.onTop), kAlwaysOnTop, L"Always on &top");
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(opacity), L"&Opacity");
    AppendMenuW(menu, checked(state.clickThrough), kClickThrough, L"Click-t&hrough");
    AppendMenuW(menu, MF_STRING, kSaveNow, L"&Save now");
    AppendMenuW(menu, MF_STRING, kNewWidget, L"Ne&w widget");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kCloseWidget, L"C&lose widget");
    AppendMenuW(menu, MF_STRING, kExit, L"E&xit");
    return track(owner, menu, screen);
}

WPARAM showProcessMenu(HWND owner, POINT screen, bool clickThrough) {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return 0;
    AppendMenuW(menu, checked(clickThrough), kClickThrough, L"Click-t&hrough");
    AppendMenuW(menu, MF_STRING, kSaveNow, L"&Save now");
    AppendMenuW(menu, MF_STRING, kNewWidget, L"Ne&w widget");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kExit, L"E&xit");
    return track(owner, menu, screen);
}

POINT placeNear(const RECT& widget, SIZE size, const RECT& work) {
    auto fit = [](LONG at, LONG length, LONG low, LONG high) {
        if (at + length > high)
            at = high - length;
        return at < low ? low : at;  // a window larger than the area shows its top-left
    };
    return {fit(widget.left, size.cx, work.left, work.right),
            fit(widget.top, size.cy, work.top, work.bottom)};
}

namespace {

// The sheet's callback has no parameter of its own: the widget it opens for is kept here, for
// the one sheet a thread runs at a time.
thread_local HWND sheetWidget = nullptr;
constexpr UINT kPlaceSheet = WM_APP + 7;

void placeSheet(HWND sheet) {
    RECT widget{}, own{};
    if (sheetWidget == nullptr || !GetWindowRect(sheetWidget, &widget) ||
        !GetWindowRect(sheet, &own))
        return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(sheetWidget, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const POINT at =
        placeNear(widget, {own.right - own.left, own.bottom - own.top}, monitor.rcWork);
    SetWindowPos(sheet, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The sheet can still change its size after it has been initialised, so it is placed once more
// from the sheet's own message loop, when it has its final size.
LRESULT CALLBACK placeAgain(HWND sheet, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                            DWORD_PTR) {
    if (message == kPlaceSheet) {
        placeSheet(sheet);
        RemoveWindowSubclass(sheet, &placeAgain, id);
        return 0;
    }
    return DefSubclassProc(sheet, message, wParam, lParam);
}

int CALLBACK sheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED) {
        placeSheet(sheet);
        if (SetWindowSubclass(sheet, &placeAgain, 1, 0))
            PostMessageA(sheet, kPlaceSheet, 0, 0);
    }
    return 0;
}

}  // namespace

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
    header.dwFlags = PSH_NOAPPLYNOW | PSH_USECALLBACK;
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = kSheetCaption;
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    header.pfnCallback = &sheetCallback;
    HWND outer = sheetWidget;
    sheetWidget = owner;
    // Positive once the pages accepted changes with OK.
    const bool accepted = PropertySheetA(&header) > 0;
    sheetWidget = outer;
    return accepted;
}

}  // namespace host
