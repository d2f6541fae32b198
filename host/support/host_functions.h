// The host side of the desklet interface: the Desklet* functions this executable exports for the
// plug-in to find (every name its table looks up), recording every call so a host or a test can
// look at what the plug-in did and react to it through the callbacks.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace Gdiplus {
class Image;
}

namespace host {

struct HostCall {
    std::string name;
    HWND window = nullptr;
    INT_PTR first = 0;   // the image, the SIZE's width, the page handle, or the flag
    INT_PTR second = 0;  // the automatic-deletion flag, or the SIZE's height
};

class HostRecorder {
public:
    static HostRecorder& instance();

    void record(const HostCall& call);
    std::vector<HostCall> calls() const;
    std::vector<std::string> names() const;
    int count(const std::string& name) const;
    bool last(const std::string& name, HostCall& out) const;
    void clear();

    // Called on each overlay the plug-in hands over (width and height read through the image's
    // own methods, as a real host would).
    std::function<void(Gdiplus::Image*)> onOverlay;
    std::function<INT_PTR(HWND, HPROPSHEETPAGE)> onAddPropertySheet;
    std::function<void(HWND, SIZE)> onSetSize;
    std::function<void(HWND)> onRemove;

    Gdiplus::Image* overlay() const;
    UINT overlayWidth() const;
    UINT overlayHeight() const;
    int overlayCount() const;

private:
    friend void noteOverlay(HWND, Gdiplus::Image*, BOOL);
    mutable std::mutex mutex_;
    std::vector<HostCall> calls_;
    Gdiplus::Image* overlay_ = nullptr;
    UINT overlayWidth_ = 0;
    UINT overlayHeight_ = 0;
    int overlayCount_ = 0;
};

}  // namespace host
