#include "support/host_functions.h"

#include <gdiplus.h>

namespace host {

HostRecorder& HostRecorder::instance() {
    static HostRecorder recorder;
    return recorder;
}

void HostRecorder::record(const HostCall& call) {
    std::lock_guard<std::mutex> guard(mutex_);
    calls_.push_back(call);
}

std::vector<HostCall> HostRecorder::calls() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return calls_;
}

std::vector<std::string> HostRecorder::names() const {
    std::vector<std::string> result;
    for (const auto& call : calls())
        result.push_back(call.name);
    return result;
}

int HostRecorder::count(const std::string& name) const {
    int n = 0;
    for (const auto& call : calls())
        n += call.name == name ? 1 : 0;
    return n;
}

bool HostRecorder::last(const std::string& name, HostCall& out) const {
    std::lock_guard<std::mutex> guard(mutex_);
    for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) {
        if (it->name == name) {
            out = *it;
            return true;
        }
    }
    return false;
}

void HostRecorder::clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    calls_.clear();
    overlay_ = nullptr;
    overlayWidth_ = overlayHeight_ = 0;
    overlayCount_ = 0;
}

Gdiplus::Image* HostRecorder::overlay() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return overlay_;
}

UINT HostRecorder::overlayWidth() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return overlayWidth_;
}

UINT HostRecorder::overlayHeight() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return overlayHeight_;
}

int HostRecorder::overlayCount() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return overlayCount_;
}

void noteOverlay(HWND window, Gdiplus::Image* image, BOOL autoDelete) {
    HostRecorder& recorder = HostRecorder::instance();
    recorder.record(
        {"DeskletSetImageOverlay", window, reinterpret_cast<INT_PTR>(image), autoDelete});
    // A real host keeps the image and calls its methods when it paints.
    UINT width = image != nullptr ? image->GetWidth() : 0;
    UINT height = image != nullptr ? image->GetHeight() : 0;
    {
        std::lock_guard<std::mutex> guard(recorder.mutex_);
        recorder.overlay_ = image;
        recorder.overlayWidth_ = width;
        recorder.overlayHeight_ = height;
        ++recorder.overlayCount_;
    }
    if (recorder.onOverlay)
        recorder.onOverlay(image);
}

}  // namespace host

// The functions the plug-in looks up by name in the host executable.
extern "C" {

__declspec(dllexport) void WINAPI
    DeskletSetImageOverlay(HWND window, Gdiplus::Image* image, BOOL autoDelete) {
    host::noteOverlay(window, image, autoDelete);
}

__declspec(dllexport) void WINAPI DeskletRemove(HWND window, BOOL flag) {
    host::HostRecorder::instance().record({"DeskletRemove", window, flag, 0});
}

__declspec(dllexport) void WINAPI DeskletSetSize(HWND window, const SIZE* size) {
    host::HostRecorder::instance().record({"DeskletSetSize", window,
                                           size != nullptr ? size->cx : -1,
                                           size != nullptr ? size->cy : -1});
}

__declspec(dllexport) void WINAPI DeskletSetStatic(HWND window, BOOL flag) {
    host::HostRecorder::instance().record({"DeskletSetStatic", window, flag, 0});
}

__declspec(dllexport) INT_PTR WINAPI DeskletAddPropertySheet(HWND window, HPROPSHEETPAGE page) {
    host::HostRecorder& recorder = host::HostRecorder::instance();
    recorder.record({"DeskletAddPropertySheet", window, reinterpret_cast<INT_PTR>(page), 0});
    return recorder.onAddPropertySheet
               ? recorder.onAddPropertySheet(window, page)
               : static_cast<INT_PTR>(recorder.count("DeskletAddPropertySheet"));
}

__declspec(dllexport) BOOL WINAPI DeskletIsVisible(HWND) {
    return TRUE;
}

}  // extern "C"
