// The host process's own hidden window: it owns the one icon in the notification area that
// serves every widget (put back when the taskbar restarts) and receives the global hotkey.
#pragma once

#include <windows.h>

#include <functional>

#include "hotkey.h"

namespace host {

class ProcessWindow {
public:
    struct Events {
        std::function<void(POINT screen)> iconMenu;
        std::function<void()> hotkey;
        std::function<void()> next;  // what postNext() asked for, from the message loop
    };

    static constexpr char kClassName[] = "TideglassHostProcess";

    ProcessWindow() = default;
    ~ProcessWindow();
    ProcessWindow(const ProcessWindow&) = delete;
    ProcessWindow& operator=(const ProcessWindow&) = delete;

    bool create(Events events);
    // Puts the icon in the notification area (again, after the taskbar restarted).
    void addIcon();
    // Has the message loop call Events::next once it has run what is waiting before it.
    void postNext();
    HWND handle() const { return window_; }
    // False when another program holds the combination (the widgets run without it then).
    bool registerHotkey(const Hotkey& hotkey);
    void removeIcon();
    // The same without waiting on the taskbar: it goes on a thread of its own, which the
    // destructor waits for a short while at most. (Wine's taskbar can take seconds.)
    void removeIconSoon();

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    Events events_;
    UINT taskbarCreated_ = 0;
    bool icon_ = false;
    bool hotkey_ = false;
    HANDLE iconRemoval_ = nullptr;
};

}  // namespace host
