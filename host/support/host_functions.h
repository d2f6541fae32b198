// The host side of the desklet interface: the Desklet* functions this executable exports for the
// plug-in to find (every name its table looks up), recording the calls so a host or a test can
// look at what the plug-in did and react to it through the callbacks. The record is bounded: a
// widget hands over an overlay on every tick that changes, for as long as it runs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
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

    // The most recent calls are kept in full, at most this many.
    static constexpr std::size_t kKeptCalls = 256;

    void record(const HostCall& call);
    std::vector<HostCall> calls() const;  // the kept ones, oldest first
    std::vector<std::string> names() const;
    int count(const std::string& name) const;  // all calls by that name since the last clear
    bool last(const std::string& name, HostCall& out) const;
    void clear();

    // Called on each overlay the plug-in hands over (width and height read through the image's
    // own methods, as a real host would).
    std::function<void(HWND, Gdiplus::Image*)> onOverlay;
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
    std::deque<HostCall> calls_;
    std::map<std::string, std::pair<int, HostCall>> byName_;  // count and last call
    Gdiplus::Image* overlay_ = nullptr;
    UINT overlayWidth_ = 0;
    UINT overlayHeight_ = 0;
    int overlayCount_ = 0;
};

}  // namespace host
