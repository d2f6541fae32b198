// The widgets of this process: the first in the section named on the command line, the others
// in sections of the same name numbered from 2, each saved there and restored at the next start.
// The process's icon and hotkey serve all of them; closing the last one, or Exit, ends them all.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host_app.h"
#include "process_window.h"
#include "support/plugin_library.h"

namespace host {

class Widgets {
public:
    Widgets(const PluginLibrary& plugin, std::string ini, std::string section);
    ~Widgets();
    Widgets(const Widgets&) = delete;
    Widgets& operator=(const Widgets&) = delete;

    // Starts the first saved widget (the first section's, unless it was closed while others
    // stayed), or one new widget when none was saved; false when none could start. The other
    // saved widgets follow one by one from the message loop, so each one already started draws
    // its console meanwhile.
    bool startAll();
    // The first widget still running (the script's and the hotkey's), null when none is.
    HostApp* first();
    // Its exit code once every widget has ended.
    int exitCode() const;

    // Another widget, in the first free section, saved at once so it comes back.
    void addNew();
    // Ends one widget for good: its sections go, and with the last one the process ends.
    void close(HostApp& widget);
    // Every widget off the screen at once, then every one saved, then every one ended.
    void exitAll(int exitCode);

    // The message loop, until every widget has ended.
    void run();

private:
    static constexpr int kMostWidgets = 64;

    std::string numbered(int n) const { return section_ + " " + std::to_string(n); }
    bool inUse(const std::string& section) const;
    HostApp& add(const std::string& section);
    bool startWidget(HostApp& widget);
    void restoreNext();
    void iconMenu(POINT at);
    void hotkey();

    const PluginLibrary& plugin_;
    std::string ini_;
    std::string section_;
    std::vector<std::unique_ptr<HostApp>> widgets_;
    std::vector<std::string> toRestore_;  // saved sections not started yet, in order
    ProcessWindow processWindow_;
    HWND returnFocusTo_ = nullptr;  // what had the keyboard before the hotkey
    int exitCode_ = 0;
};

}  // namespace host
