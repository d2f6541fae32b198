#include "process_window.h"

#include <shellapi.h>

namespace host {

namespace {

constexpr UINT kIconMessage = WM_APP + 1;
constexpr UINT kNextMessage = WM_APP + 2;
constexpr UINT kIconId = 1;
constexpr int kHotkeyId = 1;
constexpr DWORD kIconRemovalWaitMs = 500;

NOTIFYICONDATAA iconData(HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kIconId;
    return data;
}

DWORD WINAPI removeIconOf(void* window) {
    NOTIFYICONDATAA data = iconData(static_cast<HWND>(window));
    Shell_NotifyIconA(NIM_DELETE, &data);
    return 0;
}

}  // namespace

ProcessWindow::~ProcessWindow() {
    if (iconRemoval_ != nullptr) {
        WaitForSingleObject(iconRemoval_, kIconRemovalWaitMs);
        CloseHandle(iconRemoval_);
    }
    removeIcon();
    if (window_ != nullptr) {
        if (hotkey_)
            UnregisterHotKey(window_, kHotkeyId);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool ProcessWindow::create(Events events) {
    events_ = std::move(events);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &ProcessWindow::windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    // A top-level window (never shown), because the taskbar's restart is told to those only.
    window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "Tideglass Host", WS_POPUP, 0, 0, 0, 0,
                              nullptr, nullptr, instance, this);
    if (window_ == nullptr)
        return false;
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    return true;
}

void ProcessWindow::addIcon() {
    if (window_ == nullptr)
        return;
    NOTIFYICONDATAA data = iconData(window_);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kIconMessage;
    data.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    lstrcpynA(data.szTip, "Tideglass", sizeof data.szTip);
    icon_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

void ProcessWindow::removeIcon() {
    if (!icon_)
        return;
    NOTIFYICONDATAA data = iconData(window_);
    Shell_NotifyIconA(NIM_DELETE, &data);
    icon_ = false;
}

void ProcessWindow::removeIconSoon() {
    if (!icon_ || iconRemoval_ != nullptr)
        return;
    iconRemoval_ = CreateThread(nullptr, 0, &removeIconOf, window_, 0, nullptr);
    if (iconRemoval_ != nullptr)
        icon_ = false;
    else
        removeIcon();
}

void ProcessWindow::postNext() {
    PostMessageA(window_, kNextMessage, 0, 0);
}

bool ProcessWindow::registerHotkey(const Hotkey& hotkey) {
    if (window_ == nullptr)
        return false;
    if (hotkey_)
        UnregisterHotKey(window_, kHotkeyId);
    hotkey_ = RegisterHotKey(window_, kHotkeyId, hotkey.modifiers, hotkey.virtualKey) != FALSE;
    return hotkey_;
}

LRESULT CALLBACK ProcessWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProcessWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == kIconMessage) {
        if ((lParam == WM_RBUTTONUP || lParam == WM_CONTEXTMENU) && self->events_.iconMenu) {
            POINT at{};
            GetCursorPos(&at);
            self->events_.iconMenu(at);
        }
        return 0;
    }
    if (message == kNextMessage) {
        if (self->events_.next)
            self->events_.next();
        return 0;
    }
    if (message == WM_HOTKEY) {
        if (wParam == kHotkeyId && self->events_.hotkey)
            self->events_.hotkey();
        return 0;
    }
    if (self->taskbarCreated_ != 0 && message == self->taskbarCreated_) {
        // The taskbar restarted (Explorer crashed or was restarted): its icons are gone.
        self->icon_ = false;
        self->addIcon();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace host
