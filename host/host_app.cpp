#include "host_app.h"

#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "support/host_functions.h"
#include "support/key_typing.h"
#include "support/png_encoder.h"
#include "widget_menu.h"

namespace host {

namespace {

constexpr LONG kWidgetGap = 8;

// The widgets of this process that have started and not yet ended.
std::vector<HostApp*>& liveApps() {
    static std::vector<HostApp*> apps;
    return apps;
}

// Where a new widget of `self`'s size can stand from `start` on without covering another
// Tideglass widget (of this or another host process): below the one in the way, and in the next
// column once the work area ends.
POINT clearPlace(HWND self, POINT start) {
    RECT own{};
    GetWindowRect(self, &own);
    const LONG width = own.right - own.left, height = own.bottom - own.top;
    std::vector<RECT> others;
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, WidgetWindow::kClassName, nullptr))) {
        RECT rect{};
        if (window != self && IsWindowVisible(window) && GetWindowRect(window, &rect) &&
            rect.right - rect.left > 1)
            others.push_back(rect);
    }
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    POINT at = start;
    for (std::size_t tries = 0; tries <= 4 * others.size(); ++tries) {
        const RECT mine{at.x, at.y, at.x + width, at.y + height};
        const RECT* inTheWay = nullptr;
        for (const RECT& other : others) {
            RECT both;
            if (IntersectRect(&both, &mine, &other)) {
                inTheWay = &other;
                break;
            }
        }
        if (inTheWay == nullptr)
            return at;
        at.y = inTheWay->bottom + kWidgetGap;
        if (at.y + height > work.bottom) {
            at.y = start.y;
            at.x = inTheWay->right + kWidgetGap;
        }
    }
    return start;
}

}  // namespace

HostApp::HostApp(const PluginLibrary& plugin, HostIni ini)
    : plugin_(plugin), ini_(std::move(ini)) {}

HostApp::~HostApp() {
    if (!finished_)
        exit(exitCode_);
}

bool HostApp::start() {
    Placement placement = ini_.loadPlacement();
    // A place saved on a screen that is no longer there would leave the widget out of reach.
    if (MonitorFromPoint(placement.position, MONITOR_DEFAULTTONULL) == nullptr)
        placement.position = Placement().position;
    WidgetWindow::Events events;
    events.forward = [this](UINT message, WPARAM wParam, LPARAM lParam) {
        if (desklet_ != nullptr)
            plugin_.entry().OnProcessMessage(desklet_, window_.handle(), message, wParam, lParam);
    };
    events.contextMenu = [this](POINT at) {
        command(showWidgetMenu(window_.handle(), at,
                               {window_.onTop(), window_.clickThrough(), window_.opacity()}));
    };
    events.command = [this](WPARAM id) { command(id); };
    events.close = [this] { exit(); };
    events.endSession = [this] { save(); };
    // The host's own keys are written at once, so the place holds even if the host is killed.
    events.moved = [this] { savePlacement(); };
    if (!window_.create(placement.position, placement.onTop, placement.clickThrough, events)) {
        std::fprintf(stderr, "the widget's window could not be created: %s\n",
                     systemErrorText(GetLastError()).c_str());
        exit(2);
        return false;
    }

    // The host functions reach each widget of the process through its window.
    liveApps().push_back(this);
    HostRecorder& recorder = HostRecorder::instance();
    recorder.onOverlay = [](HWND window, Gdiplus::Image* image) {
        if (HostApp* app = ofWindow(window))
            app->window_.present(image);
    };
    recorder.onSetSize = [](HWND window, SIZE size) {
        if (HostApp* app = ofWindow(window))
            app->window_.resize(size);
    };
    recorder.onRemove = [](HWND window) {
        if (HostApp* app = ofWindow(window))
            app->removed_ = true;
    };

    // A widget saved before gets its file and section back; a new one starts with defaults.
    const bool saved = ini_.hasWidgetSection();
    desklet_ = plugin_.entry().OnCreate(window_.handle(), plugin_.module(),
                                        saved ? ini_.file().c_str() : nullptr,
                                        saved ? ini_.section().c_str() : nullptr);
    if (desklet_ == nullptr || removed_) {
        exit(1);
        return false;
    }
    // A new widget has its size now; it does not go on top of one already on the desktop.
    if (!ini_.hasPlacement()) {
        window_.moveTo(clearPlace(window_.handle(), placement.position));
        savePlacement();
    }
    window_.setOpacity(placement.opacity);
    window_.show();
    return true;
}

HostApp* HostApp::ofWindow(HWND window) {
    for (HostApp* app : liveApps())
        if (app->window_.handle() == window)
            return app;
    return nullptr;
}

void HostApp::save() {
    if (desklet_ == nullptr)
        return;
    plugin_.entry().OnSave(desklet_, ini_.file().c_str(), ini_.section().c_str(), FALSE);
    savePlacement();
}

void HostApp::savePlacement() {
    Placement placement;
    placement.position = window_.position();
    placement.onTop = window_.onTop();
    placement.opacity = window_.opacity();
    placement.clickThrough = window_.clickThrough();
    if (!ini_.savePlacement(placement))
        std::fprintf(stderr, "could not write %s: %s\n", ini_.file().c_str(),
                     systemErrorText(GetLastError()).c_str());
}

void HostApp::vanish() {
    window_.vanish();
}

void HostApp::exitAll() {
    if (onExitAll)
        onExitAll();
    else
        exit();
}

void HostApp::exit(int exitCode, bool saved, bool processEnds) {
    if (finished_)
        return;
    window_.vanish();
    if (exitCode == 0 && !saved)
        save();
    if (desklet_ != nullptr) {
        void* desklet = desklet_;
        desklet_ = nullptr;
        plugin_.entry().OnDestroy(desklet, window_.handle());
    }
    std::vector<HostApp*>& apps = liveApps();
    apps.erase(std::remove(apps.begin(), apps.end(), this), apps.end());
    if (apps.empty()) {
        HostRecorder& recorder = HostRecorder::instance();
        recorder.onOverlay = nullptr;
        recorder.onSetSize = nullptr;
        recorder.onRemove = nullptr;
        // The plug-in's images are gone with the last widget.
        recorder.clear();
    }
    if (processEnds)
        window_.leaveToTheSystem();
    else
        window_.destroy();
    exitCode_ = exitCode;
    finished_ = true;
}

void HostApp::command(WPARAM id) {
    switch (id) {
        case kConfigure:
            if (desklet_ != nullptr && configureWidget(window_.handle(), plugin_.entry(), desklet_))
                save();
            break;
        case kAlwaysOnTop:
            window_.setOnTop(!window_.onTop());
            break;
        case kPaste:  // through the widget's own keys for them
            pressNamedKey(keySink(), "Shift+Insert");
            break;
        case kCopyText:
            pressNamedKey(keySink(), "Ctrl+Shift+C");
            break;
        case kSaveNow:
            save();
            break;
        case kNewWidget:
            if (onNewWidget)
                onNewWidget();
            break;
        case kExit:
            exitAll();
            break;
        case kCloseWidget:
            if (onClose)
                onClose();
            else
                exit();
            break;
        case kClickThrough:
            window_.setClickThrough(!window_.clickThrough());
            savePlacement();
            break;
        default:
            if (id >= kOpacityFirst && id < kOpacityFirst + std::size(kOpacities)) {
                window_.setOpacity(kOpacities[id - kOpacityFirst]);
                savePlacement();
            }
            break;
    }
}

void HostApp::checkRemoved() {
    if (removed_ && !finished_)
        exit(1);
}

void HostApp::run(DWORD ms) {
    const DWORD start = GetTickCount();
    while (!finished_) {
        MSG msg;
        while (!finished_ && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                exit(static_cast<int>(msg.wParam));
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        checkRemoved();
        const DWORD elapsed = GetTickCount() - start;
        if (finished_ || (ms != INFINITE && elapsed >= ms))
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms == INFINITE ? INFINITE : ms - elapsed,
                                  QS_ALLINPUT);
    }
}

KeySink HostApp::keySink() {
    return [this](UINT message, WPARAM wParam, LPARAM lParam) { sendKey(message, wParam, lParam); };
}

void HostApp::tick() {
    if (!finished_)
        SendMessageA(window_.handle(), WM_TIMER, 1, 0);
}

void HostApp::sendKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!finished_)
        SendMessageA(window_.handle(), message, wParam, lParam);
}

bool HostApp::snapshot(const std::string& path) const {
    Gdiplus::Image* image = window_.image();
    return image != nullptr && savePng(*image, path);
}

}  // namespace host
