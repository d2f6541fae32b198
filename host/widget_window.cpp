#include "widget_window.h"

#include <gdiplus.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace host {

void premultiply(const BYTE* argb, BYTE* premultiplied, std::size_t pixels) {
    for (std::size_t i = 0; i < pixels * 4; i += 4) {
        const unsigned alpha = argb[i + 3];
        for (std::size_t c = 0; c < 3; ++c)
            premultiplied[i + c] = static_cast<BYTE>((argb[i + c] * alpha + 127) / 255);
        premultiplied[i + 3] = static_cast<BYTE>(alpha);
    }
}

namespace {

// A 32-bit top-down DIB section selected into a memory DC, for UpdateLayeredWindow.
class LayerBitmap {
public:
    LayerBitmap(HDC screen, SIZE size) : dc_(CreateCompatibleDC(screen)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = -size.cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (dc_ != nullptr && bitmap_ != nullptr)
            previous_ = SelectObject(dc_, bitmap_);
    }
    ~LayerBitmap() {
        if (previous_ != nullptr)
            SelectObject(dc_, previous_);
        if (bitmap_ != nullptr)
            DeleteObject(bitmap_);
        if (dc_ != nullptr)
            DeleteDC(dc_);
    }
    LayerBitmap(const LayerBitmap&) = delete;
    LayerBitmap& operator=(const LayerBitmap&) = delete;

    bool ok() const { return previous_ != nullptr && bits_ != nullptr; }
    HDC dc() const { return dc_; }
    BYTE* bits() const { return static_cast<BYTE*>(bits_); }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

// Copies the overlay, premultiplied, into the top-left of a `size` layer; the rest stays clear.
void copyOverlay(Gdiplus::Image& image, BYTE* layer, SIZE size) {
    const int width = std::min<int>(static_cast<int>(image.GetWidth()), size.cx);
    const int height = std::min<int>(static_cast<int>(image.GetHeight()), size.cy);
    if (width <= 0 || height <= 0)
        return;
    auto& bitmap = static_cast<Gdiplus::Bitmap&>(image);
    Gdiplus::Rect area(0, 0, width, height);
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&area, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
        Gdiplus::Ok)
        return;
    for (int y = 0; y < height; ++y) {
        const BYTE* source = static_cast<const BYTE*>(data.Scan0) + y * data.Stride;
        premultiply(source, layer + static_cast<std::size_t>(y) * size.cx * 4,
                    static_cast<std::size_t>(width));
    }
    bitmap.UnlockBits(&data);
}

}  // namespace

WidgetWindow::~WidgetWindow() {
    destroy();
}

bool WidgetWindow::create(POINT position, bool onTop, bool clickThrough, Events events) {
    events_ = std::move(events);
    onTop_ = onTop;
    clickThrough_ = clickThrough;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA widgetClass{};
    widgetClass.lpfnWndProc = &WidgetWindow::windowProc;
    widgetClass.hInstance = instance;
    widgetClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    widgetClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    widgetClass.lpszClassName = kClassName;
    RegisterClassA(&widgetClass);
    // A tool window: no taskbar button, as for a widget; it still takes the keyboard focus.
    const DWORD extended = WS_EX_LAYERED | WS_EX_TOOLWINDOW | (onTop ? WS_EX_TOPMOST : 0) |
                           (clickThrough ? WS_EX_TRANSPARENT : 0);
    window_ = CreateWindowExA(extended, kClassName, "Tideglass", WS_POPUP, position.x, position.y,
                              1, 1, nullptr, nullptr, instance, this);
    return window_ != nullptr;
}

void WidgetWindow::show() {
    ShowWindow(window_, SW_SHOWNORMAL);
    applyZOrder();
}

void WidgetWindow::moveTo(POINT position) {
    SetWindowPos(window_, nullptr, position.x, position.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WidgetWindow::vanish() {
    if (window_ == nullptr || vanished_)
        return;
    home_ = position();
    vanished_ = true;
    // An empty region shows nothing at once; hiding, or moving off every monitor, can wait on
    // a window manager (the system owns the region from here on).
    SetWindowRgn(window_, CreateRectRgn(0, 0, 0, 0), FALSE);
}

void WidgetWindow::leaveToTheSystem() {
    image_ = nullptr;
    if (window_ != nullptr) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        window_ = nullptr;
    }
}

void WidgetWindow::setOpacity(int percent) {
    opacity_ = percent;
    redraw();
}

void WidgetWindow::setClickThrough(bool on) {
    clickThrough_ = on;
    const LONG_PTR style = GetWindowLongPtrA(window_, GWL_EXSTYLE);
    SetWindowLongPtrA(window_, GWL_EXSTYLE,
                      on ? (style | WS_EX_TRANSPARENT) : (style & ~LONG_PTR(WS_EX_TRANSPARENT)));
}

void WidgetWindow::bringForward() {
    raised_ = true;
    SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window_);
    SetFocus(window_);
}

void WidgetWindow::destroy() {
    image_ = nullptr;
    if (window_ != nullptr) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

void WidgetWindow::resize(SIZE size) {
    size_ = size;
    SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    redraw();
}

void WidgetWindow::present(Gdiplus::Image* image) {
    image_ = image;
    redraw();
}

void WidgetWindow::redraw() {
    if (window_ == nullptr || image_ == nullptr || size_.cx <= 0 || size_.cy <= 0)
        return;
    HDC screen = GetDC(nullptr);
    {
        LayerBitmap layer(screen, size_);
        if (layer.ok()) {
            std::memset(layer.bits(), 0, static_cast<std::size_t>(size_.cx) * size_.cy * 4);
            copyOverlay(*image_, layer.bits(), size_);
            POINT origin{0, 0};
            RECT rect{};
            GetWindowRect(window_, &rect);
            POINT where{rect.left, rect.top};
            const BYTE constant = static_cast<BYTE>((opacity_ * 255 + 50) / 100);
            BLENDFUNCTION blend{AC_SRC_OVER, 0, constant, AC_SRC_ALPHA};
            UpdateLayeredWindow(window_, screen, &where, &size_, layer.dc(), &origin, 0, &blend,
                                ULW_ALPHA);
        }
    }
    ReleaseDC(nullptr, screen);
}

POINT WidgetWindow::position() const {
    if (vanished_)
        return home_;
    RECT rect{};
    GetWindowRect(window_, &rect);
    return {rect.left, rect.top};
}

void WidgetWindow::setOnTop(bool onTop) {
    onTop_ = onTop;
    applyZOrder();
}

void WidgetWindow::applyZOrder() {
    SetWindowPos(window_, onTop_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!onTop_)
        SetWindowPos(window_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK WidgetWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<WidgetWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr || self->window_ == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT WidgetWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    auto forward = [&] {
        if (events_.forward)
            events_.forward(message, wParam, lParam);
    };
    switch (message) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
        case WM_MOUSEWHEEL:
        case WM_TIMER:
            forward();
            return 0;
        case WM_SYSKEYDOWN:
            forward();
            // Alt+F4 still closes the widget; other Alt keys belong to the console.
            return wParam == VK_F4 ? DefWindowProcA(window_, message, wParam, lParam) : 0;
        case WM_ACTIVATE:
            forward();
            if (LOWORD(wParam) == WA_INACTIVE && raised_) {
                raised_ = false;
                applyZOrder();
            }
            break;
        case WM_WINDOWPOSCHANGING:
            // On the desktop: whatever activates the widget, it stays below the other windows
            // (unless the hotkey brought it forward).
            if (!onTop_ && !raised_)
                reinterpret_cast<WINDOWPOS*>(lParam)->hwndInsertAfter = HWND_BOTTOM;
            break;
        case WM_LBUTTONDOWN:
            dragging_ = true;
            grip_ = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            SetCapture(window_);
            return 0;
        case WM_MOUSEMOVE:
            if (dragging_) {
                POINT cursor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ClientToScreen(window_, &cursor);
                SetWindowPos(window_, nullptr, cursor.x - grip_.x, cursor.y - grip_.y, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return 0;
        case WM_LBUTTONUP:
            if (dragging_) {
                dragging_ = false;
                ReleaseCapture();
                if (events_.moved)
                    events_.moved();
            }
            return 0;
        case WM_CAPTURECHANGED:
            dragging_ = false;
            return 0;
        case WM_CONTEXTMENU: {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (at.x == -1 && at.y == -1)  // from the keyboard: at the widget's corner
                at = position();
            if (events_.contextMenu)
                events_.contextMenu(at);
            return 0;
        }
        case WM_COMMAND:
            if (events_.command)
                events_.command(LOWORD(wParam));
            return 0;
        case WM_CLOSE:
            if (events_.close)
                events_.close();
            return 0;
        case WM_QUERYENDSESSION:
            if (events_.endSession)
                events_.endSession();
            return TRUE;
        case WM_ENDSESSION:
            if (wParam && events_.endSession)
                events_.endSession();
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace host
