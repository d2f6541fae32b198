// Driving dialogs without a person: pumping this thread's messages until a condition holds, and
// answering a modal dialog (a chooser, a message box) from a second thread while this one is
// blocked inside it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "support/message_boxes.h"

namespace tideglass::e2e {

// Dispatches this thread's messages until `done` returns true or `timeoutMs` passes.
inline bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    return host::pumpUntil(done, timeoutMs);
}

// A visible top-level dialog (class #32770) with the given caption, of the given process (0: of
// any), or null.
HWND findDialog(const char* caption, DWORD process);
// The same, polling until the deadline.
HWND waitForDialog(const char* caption, DWORD timeoutMs = 5000, DWORD process = 0);

// Watches for a dialog with `caption` on its own thread; when it appears, runs `prepare` on it
// (optional), remembers its static text, and presses `button` (IDOK, IDCANCEL).
class DialogAnswerer {
public:
    DialogAnswerer(std::string caption, int button, std::function<void(HWND)> prepare = {});
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Waits for the thread; true when the dialog was found and answered.
    bool finish();
    // The message-box text (item 0xFFFF), if the dialog had one.
    const std::string& text() const { return text_; }

private:
    static DWORD WINAPI run(void* self);

    std::string caption_;
    int button_;
    std::function<void(HWND)> prepare_;
    std::string text_;
    bool answered_ = false;
    HANDLE thread_ = nullptr;
};

// Saves what `window` shows (with its child controls) as a PNG file; GDI+ must be running.
bool saveWindowPng(HWND window, const std::string& path);

}  // namespace tideglass::e2e
