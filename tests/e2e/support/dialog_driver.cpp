#include "e2e/support/dialog_driver.h"

#include "platform/win32/unique_handle.h"
#include "support/png_encoder.h"

namespace tideglass::e2e {
namespace {

struct ScreenDcTraits {
    using pointer = HDC;
    static pointer none() { return nullptr; }
    static bool isNone(pointer h) { return h == nullptr; }
    static void close(pointer dc) { ReleaseDC(nullptr, dc); }
};
struct MemoryDcTraits {
    using pointer = HDC;
    static pointer none() { return nullptr; }
    static bool isNone(pointer h) { return h == nullptr; }
    static void close(pointer dc) { DeleteDC(dc); }
};
struct BitmapTraits {
    using pointer = HBITMAP;
    static pointer none() { return nullptr; }
    static bool isNone(pointer h) { return h == nullptr; }
    static void close(pointer bitmap) { DeleteObject(bitmap); }
};

// Puts a bitmap into a memory DC for one scope and puts the DC's own bitmap back after.
class SelectedBitmap {
public:
    SelectedBitmap(HDC dc, HBITMAP bitmap) : dc_(dc), old_(SelectObject(dc, bitmap)) {}
    ~SelectedBitmap() { SelectObject(dc_, old_); }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace

HWND findDialog(const char* caption, DWORD process) {
    for (HWND found = nullptr;
         (found = FindWindowExA(nullptr, found, "#32770", caption)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if ((process == 0 || owner == process) && IsWindowVisible(found))
            return found;
    }
    return nullptr;
}

HWND waitForDialog(const char* caption, DWORD timeoutMs, DWORD process) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = findDialog(caption, process))
            return found;
        if (GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(10);
    }
}

DialogAnswerer::DialogAnswerer(std::string caption, int button, std::function<void(HWND)> prepare)
    : caption_(std::move(caption)), button_(button), prepare_(std::move(prepare)) {
    thread_ = CreateThread(nullptr, 0, &DialogAnswerer::run, this, 0, nullptr);
}

DialogAnswerer::~DialogAnswerer() {
    finish();
}

bool DialogAnswerer::finish() {
    if (thread_) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return answered_;
}

DWORD WINAPI DialogAnswerer::run(void* self) {
    auto& me = *static_cast<DialogAnswerer*>(self);
    // Tests run side by side under one Wine desktop; another test program's box is not ours.
    HWND dialog = waitForDialog(me.caption_.c_str(), 10000, GetCurrentProcessId());
    if (!dialog)
        return 0;
    char text[1024] = {};
    GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
    me.text_ = text;
    if (me.prepare_)
        me.prepare_(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(me.button_, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, me.button_)));
    // Answered once the dialog is gone.
    const DWORD start = GetTickCount();
    while (IsWindow(dialog) && IsWindowVisible(dialog) && GetTickCount() - start < 10000)
        Sleep(10);
    me.answered_ = !IsWindow(dialog) || !IsWindowVisible(dialog);
    return 0;
}

bool saveWindowPng(HWND window, const std::string& path) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;

    win32::UniqueHandle<ScreenDcTraits> screen(GetDC(nullptr));
    win32::UniqueHandle<MemoryDcTraits> memory(CreateCompatibleDC(screen.get()));
    win32::UniqueHandle<BitmapTraits> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!screen || !memory || !bitmap)
        return false;
    {
        SelectedBitmap selected(memory.get(), bitmap.get());
        // The window is on top of a display without a window manager, so the screen holds
        // exactly what it shows, child controls included.
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    }
    return host::savePng(bitmap.get(), path);
}

}  // namespace tideglass::e2e
