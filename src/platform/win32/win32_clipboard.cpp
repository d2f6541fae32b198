#include "platform/win32/win32_clipboard.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace tideglass::win32 {

namespace {

// Another program may hold the clipboard open for a moment; a few short tries get past that.
constexpr int kOpenTries = 5;
constexpr DWORD kOpenRetryMs = 10;

class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) {
        for (int i = 0; i < kOpenTries && !open_; ++i) {
            open_ = ::OpenClipboard(owner) != FALSE;
            if (!open_)
                ::Sleep(kOpenRetryMs);
        }
    }
    ~OpenClipboardScope() {
        if (open_)
            ::CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_ = false;
};

class GlobalLock {
public:
    explicit GlobalLock(HGLOBAL memory) : memory_(memory), data_(::GlobalLock(memory)) {}
    ~GlobalLock() {
        if (data_)
            ::GlobalUnlock(memory_);
    }
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
    void* data() const { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

}  // namespace

std::u16string Win32Clipboard::text(WindowHandle owner) {
    OpenClipboardScope clipboard(static_cast<HWND>(owner));
    if (!clipboard)
        return {};
    HGLOBAL memory = ::GetClipboardData(CF_UNICODETEXT);
    if (!memory)
        return {};
    GlobalLock lock(memory);
    if (!lock.data())
        return {};
    // Up to the terminating zero, and never beyond the block, should the zero be missing.
    const auto* characters = static_cast<const char16_t*>(lock.data());
    const size_t capacity = ::GlobalSize(memory) / sizeof(char16_t);
    return std::u16string(characters, std::find(characters, characters + capacity, u'\0'));
}

// The clipboard must be opened with an owner window: without one, emptying it leaves it without
// an owner and SetClipboardData fails.
bool Win32Clipboard::setText(WindowHandle owner, const std::u16string& text) {
    const size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        return false;
    {
        GlobalLock lock(memory);
        if (!lock.data()) {
            ::GlobalFree(memory);
            return false;
        }
        std::memcpy(lock.data(), text.c_str(), bytes);
    }
    OpenClipboardScope clipboard(static_cast<HWND>(owner));
    if (!clipboard || !::EmptyClipboard() || !::SetClipboardData(CF_UNICODETEXT, memory)) {
        ::GlobalFree(memory);
        return false;
    }
    return true;  // the clipboard owns the memory now
}

std::vector<std::u16string> Win32ConsoleText::readRows(NativeHandle output, int32_t left,
                                                       int32_t top, int32_t columns, int32_t rows) {
    std::vector<std::u16string> text;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (columns <= 0 || rows <= 0 || left < 0 || top < 0 ||
        !::GetConsoleScreenBufferInfo(output, &info)) {
        return text;
    }
    const int32_t width = std::min<int32_t>(columns, info.dwSize.X - left);
    const int32_t height = std::min<int32_t>(rows, info.dwSize.Y - top);
    std::vector<WCHAR> row(size_t(std::max(width, 0)));
    for (int32_t y = 0; y < height; ++y) {
        DWORD read = 0;
        if (width <= 0 ||
            !::ReadConsoleOutputCharacterW(output, row.data(), DWORD(width),
                                           COORD{SHORT(left), SHORT(top + y)}, &read)) {
            read = 0;
        }
        text.emplace_back(reinterpret_cast<const char16_t*>(row.data()), read);
    }
    return text;
}

}  // namespace tideglass::win32
