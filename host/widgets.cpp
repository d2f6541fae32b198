#include "widgets.h"

#include <cstdio>

#include "host_ini.h"
#include "hotkey.h"
#include "widget_menu.h"

namespace host {

Widgets::Widgets(const PluginLibrary& plugin, std::string ini, std::string section)
    : plugin_(plugin), ini_(std::move(ini)), section_(std::move(section)) {}

Widgets::~Widgets() {
    exitAll(0);
}

bool Widgets::inUse(const std::string& section) const {
    for (const auto& widget : widgets_)
        if (widget->ini().section() == section && !widget->finished())
            return true;
    return false;
}

HostApp& Widgets::add(const std::string& section) {
    widgets_.push_back(std::make_unique<HostApp>(plugin_, HostIni(ini_, section)));
    HostApp& widget = *widgets_.back();
    widget.onNewWidget = [this] { addNew(); };
    widget.onClose = [this, &widget] { close(widget); };
    widget.onExitAll = [this] { exitAll(0); };
    return widget;
}

// A widget that fails to start reports its own failure; only the first one's ends the process.
bool Widgets::startWidget(HostApp& widget) {
    return widget.start();
}

bool Widgets::startAll() {
    ProcessWindow::Events events;
    events.iconMenu = [this](POINT at) { iconMenu(at); };
    events.hotkey = [this] { hotkey(); };
    events.next = [this] { restoreNext(); };
    if (processWindow_.create(events)) {
        Hotkey key;
        const std::string name = loadHotkey(ini_);
        if (!parseHotkey(name, key))
            std::fprintf(stderr, "the hotkey %s is not known; try %s\n", name.c_str(),
                         kDefaultHotkey);
        else if (!processWindow_.registerHotkey(key))
            std::fprintf(stderr, "the hotkey %s is taken by another program\n", name.c_str());
    }
    std::vector<std::string> saved;
    for (int n = 2; n <= kMostWidgets; ++n) {
        if (HostIni(ini_, numbered(n)).hasWidgetSection())
            saved.push_back(numbered(n));
    }
    const HostIni main(ini_, section_);
    // The first widget's section was closed while others stayed: it stays closed.
    if (main.closed() && !main.hasWidgetSection() && !saved.empty()) {
        toRestore_.assign(saved.begin() + 1, saved.end());
        startWidget(add(saved.front()));
    } else {
        main.clearClosed();
        toRestore_ = saved;
        // A first widget that cannot start ends the process, as it always has.
        if (!startWidget(add(section_))) {
            toRestore_.clear();
            return false;
        }
    }
    std::fflush(stderr);
    if (processWindow_.handle() == nullptr) {
        // No window to be called back on: all of them now.
        while (!toRestore_.empty())
            restoreNext();
    } else if (toRestore_.empty()) {
        processWindow_.addIcon();
    } else {
        processWindow_.postNext();
    }
    return first() != nullptr || !toRestore_.empty();
}

void Widgets::restoreNext() {
    if (toRestore_.empty())
        return;
    // A start can take seconds (a console agent getting its console ready): every widget up
    // so far shows its console first.
    for (auto& widget : widgets_)
        widget->tick();
    const std::string section = toRestore_.front();
    toRestore_.erase(toRestore_.begin());
    startWidget(add(section));
    std::fflush(stderr);
    if (!toRestore_.empty())
        processWindow_.postNext();
    else if (first() != nullptr)
        // Last: the taskbar can be slow to answer (Wine starts its own on the first icon).
        processWindow_.addIcon();
}

int Widgets::exitCode() const {
    // The first widget's own code tells when the plug-in removed it.
    return exitCode_ != 0 || widgets_.empty() ? exitCode_ : widgets_.front()->exitCode();
}

HostApp* Widgets::first() {
    for (auto& widget : widgets_)
        if (!widget->finished())
            return widget.get();
    return nullptr;
}

void Widgets::addNew() {
    const HostIni main(ini_, section_);
    if (!inUse(section_) && main.closed()) {
        main.clearClosed();
        HostApp& widget = add(section_);
        if (widget.start())
            widget.save();
        return;
    }
    for (int n = 2; n <= kMostWidgets; ++n) {
        const std::string section = numbered(n);
        const HostIni ini(ini_, section);
        if (inUse(section) || ini.hasWidgetSection() || ini.hasPlacement())
            continue;
        HostApp& widget = add(section);
        if (widget.start())
            widget.save();
        return;
    }
}

void Widgets::close(HostApp& widget) {
    int live = 0;
    for (auto& each : widgets_)
        live += each->finished() ? 0 : 1;
    if (live <= 1) {
        exitAll(0);
        return;
    }
    const HostIni ini = widget.ini();
    widget.exit(0, true);
    ini.removeWidget(ini.section() == section_);
}

void Widgets::exitAll(int exitCode) {
    toRestore_.clear();
    // What a person sees first: every widget and the icon gone at once. Then nothing is lost:
    // every widget is saved before any is ended.
    for (auto& widget : widgets_)
        widget->vanish();
    processWindow_.removeIconSoon();
    if (exitCode == 0) {
        for (auto& widget : widgets_)
            if (!widget->finished())
                widget->save();
    }
    for (auto& widget : widgets_)
        widget->exit(exitCode, true, true);
    if (exitCode_ == 0)
        exitCode_ = exitCode;
}

void Widgets::iconMenu(POINT at) {
    bool clickThrough = false;
    for (auto& widget : widgets_)
        clickThrough =
            clickThrough || (!widget->finished() && widget->widgetWindow().clickThrough());
    switch (showProcessMenu(processWindow_.handle(), at, clickThrough)) {
        case kClickThrough:
            // Turned off for all when any has it: the way back to a widget's own menu.
            for (auto& widget : widgets_) {
                if (widget->finished())
                    continue;
                widget->widgetWindow().setClickThrough(!clickThrough);
                widget->savePlacement();
            }
            break;
        case kSaveNow:
            for (auto& widget : widgets_)
                if (!widget->finished())
                    widget->save();
            break;
        case kNewWidget:
            addNew();
            break;
        case kExit:
            exitAll(0);
            break;
        default:
            break;
    }
}

void Widgets::hotkey() {
    HostApp* widget = first();
    if (widget == nullptr)
        return;
    HWND window = widget->window();
    if (GetForegroundWindow() == window) {
        // The second press gives the keyboard back.
        if (returnFocusTo_ != nullptr && IsWindow(returnFocusTo_))
            SetForegroundWindow(returnFocusTo_);
        returnFocusTo_ = nullptr;
        return;
    }
    returnFocusTo_ = GetForegroundWindow();
    widget->widgetWindow().bringForward();
}

void Widgets::run() {
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                exitAll(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        bool live = false;
        for (auto& widget : widgets_) {
            widget->checkRemoved();
            live = live || !widget->finished();
        }
        if (!live && toRestore_.empty())
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
    }
}

}  // namespace host
