#include "support/message_boxes.h"

#include <algorithm>

namespace host {

std::string messageBoxText(HWND box) {
    char text[4096] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

BoxWatcher::BoxWatcher(std::string caption) : caption_(std::move(caption)) {
    thread_ = std::thread([this] { run(); });
}

BoxWatcher::~BoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenBox> BoxWatcher::boxes() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return boxes_;
}

void BoxWatcher::clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    boxes_.clear();
}

bool BoxWatcher::waitFor(std::size_t count, DWORD timeoutMs) {
    return pumpUntil([&] { return boxes().size() >= count; }, timeoutMs);
}

BOOL CALLBACK BoxWatcher::visit(HWND window, LPARAM self) {
    auto* watcher = reinterpret_cast<BoxWatcher*>(self);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window))
        return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770")
        return TRUE;
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (!watcher->caption_.empty() && watcher->caption_ != caption)
        return TRUE;
    // A message box has the static text control 0xFFFF; property sheets and choosers do not.
    if (GetDlgItem(window, 0xFFFF) == nullptr)
        return TRUE;

    // The text comes from the box's own thread (a sent message), which may be waiting for this
    // lock to read the boxes seen so far: ask for it before taking the lock.
    const std::string text = messageBoxText(window);
    std::lock_guard<std::mutex> guard(watcher->mutex_);
    auto known = std::find_if(watcher->open_.begin(), watcher->open_.end(),
                              [window](const Open& o) { return o.window == window; });
    const DWORD now = GetTickCount();
    if (known == watcher->open_.end()) {
        watcher->open_.push_back({window, now, false});
        known = watcher->open_.end() - 1;
    }
    if (!known->recorded) {
        // A box seen while it is still being made can read as empty on a busy machine: it is
        // taken, and closed, once its text is there (or it has stayed empty for a while).
        constexpr DWORD kTextGraceMs = 2000;
        if (text.empty() && now - known->seenAt < kTextGraceMs)
            return TRUE;
        watcher->boxes_.push_back({caption, text, known->seenAt});
        known->recorded = true;
    }
    if (now - known->seenAt >= watcher->closeDelay_)
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void BoxWatcher::run() {
    while (!stop_) {
        EnumWindows(&BoxWatcher::visit, reinterpret_cast<LPARAM>(this));
        {
            // Forget boxes that are gone so a later box reusing the handle is seen again.
            std::lock_guard<std::mutex> guard(mutex_);
            open_.erase(std::remove_if(open_.begin(), open_.end(),
                                       [](const Open& o) { return !IsWindow(o.window); }),
                        open_.end());
        }
        Sleep(15);
    }
}

}  // namespace host
