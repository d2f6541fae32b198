// Watches for message boxes of this process, records their caption and text and closes them, so
// nothing the plug-in shows can hang a host run or a test.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace host {

struct SeenBox {
    std::string caption;
    std::string text;
    DWORD seenAt = 0;  // GetTickCount() when the watcher found it
};

class BoxWatcher {
public:
    // Closes every dialog-class window of this process whose caption is `caption` (empty: any).
    explicit BoxWatcher(std::string caption = "Tideglass Desklet");
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<SeenBox> boxes() const;
    void clear();
    // Leaves each box open this long after it was found (to let a modal loop run meanwhile).
    void setCloseDelay(DWORD ms) { closeDelay_ = ms; }
    // Waits (pumping this thread's messages) until `count` boxes were seen or the time is up.
    bool waitFor(std::size_t count, DWORD timeoutMs);

private:
    void run();
    static BOOL CALLBACK visit(HWND window, LPARAM self);

    std::string caption_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    struct Open {
        HWND window;
        DWORD seenAt;
        bool recorded;
    };
    std::vector<Open> open_;
    std::atomic<DWORD> closeDelay_{0};
    std::thread thread_;
};

// Reads a message box's text (the static control 0xFFFF).
std::string messageBoxText(HWND box);

// Runs this thread's message loop until `done` returns true or the time is up.
template <typename Predicate>
bool pumpUntil(Predicate done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline void pumpFor(DWORD ms) {
    pumpUntil([] { return false; }, ms);
}

}  // namespace host
