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
    bool create(POINT position, bool onTop, bool clickThrough, Events events);
    void show();
    HWND handle() const { return window_; }
    void destroy();

    // The size the plug-in asked for; the kept image is drawn again at that size.
    void resize(SIZE size);
    // Keeps `image` (the plug-in's, never freed here) and shows it; null forgets the old one.
    void present(Gdiplus::Image* image);
    Gdiplus::Image* image() const { return image_; }

    void moveTo(POINT position);
    POINT position() const;
    bool onTop() const { return onTop_; }
    void setOnTop(bool onTop);
    // Of the whole window, in percent.
    int opacity() const { return opacity_; }
    void setOpacity(int percent);
    // The mouse goes through to the windows below; keys still come while the widget has focus.
    bool clickThrough() const { return clickThrough_; }
    void setClickThrough(bool on);
    // Brings the widget in front of every window with the keyboard focus, also one that lives
    // on the desktop; it goes back below once it loses the focus.
    void bringForward();
    // Off the screen at once, without waiting on anything; the window itself stays until
    // destroy, and position() still tells where it stood.
    void vanish();
    // Forgets the window without destroying it: the process is ending and the system takes it.
    // (Under Wine without a window manager every hide or destroy of a shown window waits
    // about 2 s for the manager's answer.)
    void leaveToTheSystem();

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
    bool raised_ = false;  // brought forward by the hotkey, until it loses the focus
    bool vanished_ = false;
    POINT home_{0, 0};  // where it stood before it vanished
    int opacity_ = 100;
    bool clickThrough_ = false;
    POINT grip_{0, 0};  // where in the window the drag started
};

// Copies 32-bit ARGB pixels (straight alpha) into premultiplied BGRA, the layout
// UpdateLayeredWindow blends from.
void premultiply(const BYTE* argb, BYTE* premultiplied, std::size_t pixels);

}  // namespace host
