#include "host_app.h"

#include <gdiplus.h>

#include <cstdio>

#include "support/host_functions.h"
#include "support/png_encoder.h"
#include "widget_menu.h"

namespace host {

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
        command(showWidgetMenu(window_.handle(), at, window_.onTop()));
    };
    events.command = [this](WPARAM id) { command(id); };
    events.close = [this] { exit(); };
    events.endSession = [this] { save(); };
    // The host's own keys are written at once, so the place holds even if the host is killed.
    events.moved = [this] { savePlacement(); };
    if (!window_.create(placement.position, placement.onTop, events)) {
        std::fprintf(stderr, "the widget's window could not be created: %s\n",
                     systemErrorText(GetLastError()).c_str());
        exit(2);
        return false;
    }

    HostRecorder& recorder = HostRecorder::instance();
    recorder.onOverlay = [this](Gdiplus::Image* image) { window_.present(image); };
    recorder.onSetSize = [this](HWND, SIZE size) { window_.resize(size); };
    recorder.onRemove = [this](HWND) { removed_ = true; };

    // A widget saved before gets its file and section back; a new one starts with defaults.
    const bool saved = ini_.hasWidgetSection();
    desklet_ = plugin_.entry().OnCreate(window_.handle(), plugin_.module(),
                                        saved ? ini_.file().c_str() : nullptr,
                                        saved ? ini_.section().c_str() : nullptr);
    if (desklet_ == nullptr || removed_) {
        exit(1);
        return false;
    }
    window_.show();
    return true;
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
    if (!ini_.savePlacement(placement))
        std::fprintf(stderr, "could not write %s: %s\n", ini_.file().c_str(),
                     systemErrorText(GetLastError()).c_str());
}

void HostApp::exit(int exitCode) {
    if (finished_)
        return;
    if (exitCode == 0)
        save();
    HostRecorder& recorder = HostRecorder::instance();
    recorder.onOverlay = nullptr;
    recorder.onSetSize = nullptr;
    recorder.onRemove = nullptr;
    if (desklet_ != nullptr) {
        void* desklet = desklet_;
        desklet_ = nullptr;
        plugin_.entry().OnDestroy(desklet, window_.handle());
    }
    // The plug-in's images are gone with it.
    recorder.clear();
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
        case kSaveNow:
            save();
            break;
        case kExit:
            exit();
            break;
        default:
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

void HostApp::sendKey(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!finished_)
        SendMessageA(window_.handle(), message, wParam, lParam);
}

bool HostApp::snapshot(const std::string& path) const {
    Gdiplus::Image* image = window_.image();
    return image != nullptr && savePng(*image, path);
}

}  // namespace host
