// A test host around the real DLL: a widget window whose messages go to OnProcessMessage, the
// plug-in's entry points, a watcher that closes and records error boxes, and helpers to type into
// the widget and to look at the console and the child program the plug-in runs.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "support/host_functions.h"
#include "support/key_typing.h"
#include "support/message_boxes.h"
#include "support/plugin_library.h"

namespace e2e {

class WidgetHost {
public:
    WidgetHost();
    ~WidgetHost();  // destroys the desklet (if any) and the window
    WidgetHost(const WidgetHost&) = delete;
    WidgetHost& operator=(const WidgetHost&) = delete;

    bool loaded() const { return plugin_.loaded(); }
    const host::PluginEntryPoints& entry() const { return plugin_.entry(); }
    HMODULE module() const { return plugin_.module(); }
    HWND window() const { return window_; }
    void* desklet() const { return desklet_; }

    // OnCreate for this widget (with an INI file and section when both are given).
    void* create(const char* iniFile = nullptr, const char* iniSection = nullptr);
    void destroy();
    void save(const std::string& iniFile, const std::string& section);
    void send(UINT message, WPARAM wParam, LPARAM lParam);

    // Keys given to the widget as a host gives them: modifiers as keys of their own and the
    // thread's keyboard state showing them held (see host/support/key_typing.h).
    void typeKey(UINT virtualKey);
    void typeText(const std::string& text);
    bool pressKey(const std::string& name);  // "Enter", "Ctrl+C", "Up", ...
    host::KeySink keySink();

    host::BoxWatcher& boxes() { return boxes_; }
    host::HostRecorder& recorder() { return host::HostRecorder::instance(); }

    // WM_TIMER with identifier 1 seen by the widget window, and when.
    std::vector<DWORD> timerTicks() const { return ticks_; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    host::PluginLibrary plugin_;
    host::BoxWatcher boxes_;
    HWND window_ = nullptr;
    void* desklet_ = nullptr;
    std::vector<DWORD> ticks_;
};

// The timer's period as seen in the ticks' times: the lower quartile of the gaps between them. A
// loaded machine delays single timer messages and stretches their gaps, but seldom a quarter.
double typicalTickPeriod(const std::vector<DWORD>& ticks);

// The console's visible text, row by row, read through CONOUT$ (empty if there is no console).
std::vector<std::string> consoleRows();
// Console screen-buffer information of this process's console.
bool consoleInfo(CONSOLE_SCREEN_BUFFER_INFO& info);

// Ids of the running processes whose parent is this process and whose image is `exeName`.
std::vector<DWORD> childProcesses(const char* exeName = "cmd.exe");
bool processRunning(DWORD pid);
// Suspends (or resumes) every thread of a process, as a hung process would stand still.
bool suspendProcess(DWORD pid, bool suspend);
// Every running process started by `root` and by those it started, with its image name.
std::map<DWORD, std::string> descendants(DWORD root);

// The clipboard's Unicode text, and replacing it (opened for `owner`).
std::wstring clipboardText(HWND owner);
bool setClipboardText(HWND owner, const std::wstring& text);

// The rows of a rectangle of the console's buffer, read in UTF-16.
std::vector<std::wstring> consoleRowsAt(SHORT left, SHORT top, SHORT columns, SHORT rows);

// A fresh file path in the temporary folder (deleted if it existed).
std::string tempFile(const std::string& name);
std::string readIniValue(const std::string& file, const std::string& section,
                         const std::string& key);

}  // namespace e2e
