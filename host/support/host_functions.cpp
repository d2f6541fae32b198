#include "support/host_functions.h"

#include <gdiplus.h>

namespace host {

HostRecorder& HostRecorder::instance() {
    static HostRecorder recorder;
    return recorder;
}

void HostRecorder::record(const HostCall& call) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (calls_.size() == kKeptCalls)
        calls_.pop_front();
    calls_.push_back(call);
    auto& [count, last] = byName_[call.name];
    ++count;
    last = call;
}

std::vector<HostCall> HostRecorder::calls() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return {calls_.begin(), calls_.end()};
}

std::vector<std::string> HostRecorder::names() const {
    std::vector<std::string> result;
    for (const auto& call : calls())
        result.push_back(call.name);
    return result;
}

int HostRecorder::count(const std::string& name) const {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto found = byName_.find(name);
    return found == byName_.end() ? 0 : found->second.first;
}

bool HostRecorder::last(const std::string& name, HostCall& out) const {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto found = byName_.find(name);
    if (found == byName_.end())
        return false;
    out = found->second.second;
    return true;
}

void HostRecorder::clear() {
    std::lock_guard<std::mutex> guard(mutex_);
    calls_.clear();
    byName_.clear();
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
        recorder.onOverlay(window, image);
}

}  // namespace host

// The functions the plug-in looks up by name in the host executable.
extern "C" {

__declspec(dllexport) void WINAPI
    DeskletSetImageOverlay(HWND window, Gdiplus::Image* image, BOOL autoDelete) {
    host::noteOverlay(window, image, autoDelete);
}

__declspec(dllexport) void WINAPI DeskletRemove(HWND window, BOOL flag) {
    host::HostRecorder& recorder = host::HostRecorder::instance();
    recorder.record({"DeskletRemove", window, flag, 0});
    if (recorder.onRemove)
        recorder.onRemove(window);
}

__declspec(dllexport) void WINAPI DeskletSetSize(HWND window, const SIZE* size) {
    host::HostRecorder& recorder = host::HostRecorder::instance();
    recorder.record({"DeskletSetSize", window, size != nullptr ? size->cx : -1,
                     size != nullptr ? size->cy : -1});
    if (recorder.onSetSize && size != nullptr)
        recorder.onSetSize(window, *size);
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

// The rest of the host interface: present so the plug-in's table fills as in a full widget host,
// and harmless (each is recorded and answers 0, a null pointer or FALSE). The plug-in never calls
// them, so their argument lists are this host's choice; what matters is that each removes exactly
// the arguments it declares.
#define TIDEGLASS_HARMLESS(name, ...)                                  \
    __declspec(dllexport) INT_PTR WINAPI name(__VA_ARGS__) {           \
        host::HostRecorder::instance().record({#name, nullptr, 0, 0}); \
        return 0;                                                      \
    }

TIDEGLASS_HARMLESS(DeskletGetRect, HWND, RECT*)
TIDEGLASS_HARMLESS(DeskletGetLabel, HWND, char*)
TIDEGLASS_HARMLESS(DeskletSetLabel, HWND, char*)
TIDEGLASS_HARMLESS(DeskletLoadGDIPlusImage, const char*)
TIDEGLASS_HARMLESS(DeskletSetImage, HWND, Gdiplus::Image*, BOOL)
TIDEGLASS_HARMLESS(DeskletSetImageFile, HWND, const char*)
TIDEGLASS_HARMLESS(DeskletSetImageOverlayFile, HWND, const char*)
TIDEGLASS_HARMLESS(DeskletBrowseForImage, HWND, char*)
TIDEGLASS_HARMLESS(DeskletDoAttentionAnimation, HWND, int, UINT)
TIDEGLASS_HARMLESS(DeskletGetRelativeFolder, HWND, char*)
TIDEGLASS_HARMLESS(DeskletGetRootFolder, HWND, char*)
TIDEGLASS_HARMLESS(DeskletDefaultConfigDialog, HWND, void*)
TIDEGLASS_HARMLESS(DeskletHide, HWND)
TIDEGLASS_HARMLESS(DeskletShow, HWND)
TIDEGLASS_HARMLESS(DeskletSetPosition, HWND, POINT*)
TIDEGLASS_HARMLESS(DeskletSetAlpha, HWND, BYTE)
TIDEGLASS_HARMLESS(DeskletSetRotation, HWND, INT)
TIDEGLASS_HARMLESS(DeskletGetPosition, HWND, POINT*)
TIDEGLASS_HARMLESS(DeskletGetSize, HWND, SIZE*)
TIDEGLASS_HARMLESS(DeskletGetAlpha, HWND)
TIDEGLASS_HARMLESS(DeskletGetRotation, HWND)
TIDEGLASS_HARMLESS(DeskletLoad, const char*)
TIDEGLASS_HARMLESS(DeskletGetParentOK)
TIDEGLASS_HARMLESS(DeskletManager, UINT, WPARAM, LPARAM)
TIDEGLASS_HARMLESS(DeskletActivateExtendedDragDrop, HWND)
TIDEGLASS_HARMLESS(DeskletDeactivateExtendedDragDrop, HWND)
TIDEGLASS_HARMLESS(DeskletLayerSetPlacement, HWND, UINT, BOOL, BOOL, RECT*, int, int)
TIDEGLASS_HARMLESS(DeskletLayerGetLayer, HWND, const char*, BOOL*)
TIDEGLASS_HARMLESS(DeskletLayerCount, HWND)
TIDEGLASS_HARMLESS(DeskletLayerAdd, HWND, const char*)
TIDEGLASS_HARMLESS(DeskletLayerRemove, HWND, UINT, BOOL)
TIDEGLASS_HARMLESS(DeskletLayerMergeAll, HWND, UINT, BOOL)
TIDEGLASS_HARMLESS(DeskletLayerMergeVisible, HWND, UINT, UINT, BOOL)
TIDEGLASS_HARMLESS(DeskletLayerMoveDown, HWND, UINT, BOOL)
TIDEGLASS_HARMLESS(DeskletLayerMoveTop, HWND, UINT, BOOL)
TIDEGLASS_HARMLESS(DeskletLayerMoveBottom, HWND, UINT, BOOL)
TIDEGLASS_HARMLESS(DeskletLayerMoveUp, HWND, UINT, BOOL)
TIDEGLASS_HARMLESS(DeskletLayerReset, HWND, BOOL)
TIDEGLASS_HARMLESS(DeskletLayerSetAlpha, HWND, UINT, BOOL, BYTE)
TIDEGLASS_HARMLESS(DeskletLayerSetColorMatrix, HWND, UINT, BOOL, void*)
TIDEGLASS_HARMLESS(DeskletLayerSetHue, HWND, UINT, BOOL, int)
TIDEGLASS_HARMLESS(DeskletLayerSetImage, HWND, UINT, BOOL, Gdiplus::Image*, BOOL)
TIDEGLASS_HARMLESS(DeskletLayerSetImageFile, HWND, UINT, BOOL, const char*)
TIDEGLASS_HARMLESS(DeskletLayerSetRotation, HWND, UINT, BOOL, INT)
TIDEGLASS_HARMLESS(DeskletLayerSetSaturation, HWND, UINT, BOOL, UINT)
TIDEGLASS_HARMLESS(DeskletLayerSetVisibility, HWND, UINT, BOOL, BOOL)
TIDEGLASS_HARMLESS(DeskletAddDragDropFormat, HWND, void*)
TIDEGLASS_HARMLESS(DeskletRemoveDragDropFormat, HWND, void*)
TIDEGLASS_HARMLESS(DeskletGetDefaultMenu, HWND, int)
TIDEGLASS_HARMLESS(DeskletDoDefaultMenuCommand, HWND, int, int)
TIDEGLASS_HARMLESS(DeskletLayerSetIconState, HWND, UINT, BOOL)
TIDEGLASS_HARMLESS(DeskletSetSubLabel, HWND, const char*)
TIDEGLASS_HARMLESS(DeskletMove, HWND, RECT*, BOOL)

#undef TIDEGLASS_HARMLESS

}  // extern "C"
