// One widget in this process: the plug-in's desklet object, its window on the desktop and its
// place in the INI file. It answers the host functions the plug-in calls, the widget's menu and
// the scripted steps, and decides how the process ends.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "host_ini.h"
#include "support/key_typing.h"
#include "support/plugin_library.h"
#include "widget_window.h"

namespace host {

class HostApp {
public:
    HostApp(const PluginLibrary& plugin, HostIni ini);
    ~HostApp();
    HostApp(const HostApp&) = delete;
    HostApp& operator=(const HostApp&) = delete;

    // Creates the window and the desklet object; false when the plug-in refused or removed it.
    bool start();
    // Writes the plug-in's section (OnSave) and the host's own keys.
    void save();
    // Takes the widget off the screen at once (ending it can take a while).
    void vanish();
    // Saves (unless told it is saved already, or the exit code says it failed), destroys the
    // desklet and the window; the process then ends with `exitCode`. When the whole process
    // ends, the window is left to the system, which takes it with the process.
    void exit(int exitCode = 0, bool saved = false, bool processEnds = false);
    // Exit, for every widget of the process when it has more than this one.
    void exitAll();

    bool finished() const { return finished_; }
    // Ends the widget if the plug-in removed it.
    void checkRemoved();
    const HostIni& ini() const { return ini_; }

    // What the menu's "New widget", "Close widget" and "Exit" ask of the process (Exit alone
    // ends this widget when unset; Close widget then does the same).
    std::function<void()> onNewWidget;
    std::function<void()> onClose;
    std::function<void()> onExitAll;
    // The icon's "Click-through" and the hotkey reach the window through these.
    WidgetWindow& widgetWindow() { return window_; }
    void savePlacement();
    int exitCode() const { return exitCode_; }
    HWND window() const { return window_.handle(); }

    // Runs the message loop for `ms` milliseconds, or until the host is finished.
    void run(DWORD ms);
    // Runs the plug-in's update step now, as its poll timer (identifier 1) would.
    void tick();
    // Gives the widget one key message, as the keyboard would.
    void sendKey(UINT message, WPARAM wParam, LPARAM lParam);
    KeySink keySink();
    // Writes the overlay currently shown as a PNG file.
    bool snapshot(const std::string& path) const;

private:
    void command(WPARAM id);
    static HostApp* ofWindow(HWND window);

    const PluginLibrary& plugin_;
    HostIni ini_;
    WidgetWindow window_;
    void* desklet_ = nullptr;
    bool removed_ = false;
    bool finished_ = false;
    int exitCode_ = 0;
};

}  // namespace host
