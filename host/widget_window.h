// The widget on the desktop: a top-level, borderless window with per-pixel alpha that shows the
// overlay the plug-in hands over, moves when dragged with the left button, stays either at the
// bottom of the z-order (on the desktop) or above every other window, and passes the messages a
// widget host forwards on to the plug-in.
#pragma once

#include <windows.h>

#include <functional>

namespace Gdiplus {
class Image;
}

namespace host {

class WidgetWindow {
public:
    struct Events {
        // A message the plug-in gets through OnProcessMessage.
        std::function<void(UINT, WPARAM, LPARAM)> forward;
        std::function<void(POINT screen)> contextMenu;
        std::function<void(WPARAM id)> command;
        std::function<void()> close;       // Alt+F4 or a close request from outside
        std::function<void()> endSession;  // logoff or shutdown: save now
        std::function<void()> moved;       // a drag ended
    };

    static constexpr char kClassName[] = "TideglassHostWidget";

    WidgetWindow() = default;
    ~WidgetWindow();
    WidgetWindow(const WidgetWindow&) = delete;
    WidgetWindow& operator=(const WidgetWindow&) = delete;

    // Creates the window hidden: it is shown once the plug-in has its widget, so the activation
    // that showing brings reaches the plug-in.
    bool create(POINT position, bool onTop, Events events);
    void show();
    HWND handle() const { return window_; }
    void destroy();

    // The size the plug-in asked for; the kept image is drawn again at that size.
    void resize(SIZE size);
    // Keeps `image` (the plug-in's, never freed here) and shows it; null forgets the old one.
    void present(Gdiplus::Image* image);
    Gdiplus::Image* image() const { return image_; }

    void moveTo(POINT position);
    // An icon in the notification area whose right click opens the widget's menu, for a widget
    // hidden under other windows on the desktop. It goes with the window.
    void addTrayIcon();
    POINT position() const;
    bool onTop() const { return onTop_; }
    void setOnTop(bool onTop);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void redraw();
    void applyZOrder();

    HWND window_ = nullptr;
    Events events_;
    Gdiplus::Image* image_ = nullptr;
    SIZE size_{0, 0};
    bool onTop_ = false;
    bool dragging_ = false;
    bool trayIcon_ = false;
    POINT grip_{0, 0};  // where in the window the drag started
};

// Copies 32-bit ARGB pixels (straight alpha) into premultiplied BGRA, the layout
// UpdateLayeredWindow blends from.
void premultiply(const BYTE* argb, BYTE* premultiplied, std::size_t pixels);

}  // namespace host
