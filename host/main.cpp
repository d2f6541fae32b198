// Tideglass Host: runs the Tideglass desklet as a widget on any Windows desktop, without a widget
// host. It loads tideglass.dll (beside the exe, or --plugin), shows the widget as a layered
// window, keeps its settings in an INI file and, for the demo and the tests, runs a script of
// steps given on the command line. Exit codes: 0 done, 1 the widget failed or was removed, or a
// scripted step failed, 2 the host could not start (bad command line, missing or wrong plug-in).
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "host_app.h"
#include "options.h"
#include "script.h"
#include "support/gdiplus_session.h"
#include "support/key_typing.h"
#include "support/message_boxes.h"
#include "support/plugin_library.h"
#include "widgets.h"

namespace {

constexpr char kCaption[] = "Tideglass Host";

std::vector<std::string> commandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide != nullptr && i < count; ++i) {
        // Paths go to the ANSI file functions; the text to type keeps every character (UTF-8).
        const UINT codePage = i > 1 && std::wcscmp(wide[i - 1], L"--type") == 0 ? CP_UTF8 : CP_ACP;
        const int size =
            WideCharToMultiByte(codePage, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(size > 0 ? static_cast<size_t>(size) : 1u, '\0');
        WideCharToMultiByte(codePage, 0, wide[i], -1, &argument[0], size, nullptr, nullptr);
        argument.resize(argument.size() - 1);
        arguments.push_back(argument);
    }
    LocalFree(wide);
    return arguments;
}

// Printed always; shown in a box only to a person (a scripted run must never wait for a click).
int fail(bool scripted, const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    std::fflush(stderr);
    if (!scripted)
        MessageBoxA(nullptr, message.c_str(), kCaption, MB_ICONERROR | MB_OK);
    return 2;
}

// The default child starts in %HOMEPATH%, which has no drive: it resolves against the current
// directory's drive, so the host starts from the system drive as a desktop program does.
void startOnSystemDrive() {
    char drive[MAX_PATH] = {};
    if (GetEnvironmentVariableA("SystemDrive", drive, sizeof drive) == 0)
        GetWindowsDirectoryA(drive, 3);
    std::string root(drive);
    if (root.empty() || root.back() != '\\')
        root += '\\';
    SetCurrentDirectoryA(root.c_str());
}

// The plug-in takes its console's handles from the process's standard handles once it has
// allocated the console, and the system fills in only those that are not set. A program started
// from the desktop has none; a host started with its output redirected (by a script or a test)
// would hand the plug-in a file instead of the console. The C runtime keeps its own copies, so
// the host's messages still reach the redirected output.
void clearStandardHandles() {
    SetStdHandle(STD_INPUT_HANDLE, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    SetStdHandle(STD_ERROR_HANDLE, nullptr);
}

}  // namespace

int main() {
    const host::Options options = host::parseOptions(commandLineArguments());
    const bool scripted = !options.script.empty();
    if (options.help) {
        std::printf("%s%s\n", host::kUsage, host::kKeyNames);
        return 0;
    }
    if (!options.error.empty())
        return fail(scripted, options.error + "\n\n" + host::kUsage + host::kKeyNames);
    startOnSystemDrive();
    clearStandardHandles();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    host::GdiplusSession gdiplus;
    if (!gdiplus.ok())
        return fail(scripted, "GDI+ could not be started");

    host::PluginLibrary plugin(options.plugin);
    if (!plugin.loaded())
        return fail(scripted, "The plug-in " + plugin.path() + " " + plugin.problem());

    // Nobody is there to close the plug-in's message boxes in a scripted run: they are printed
    // and closed.
    std::unique_ptr<host::BoxWatcher> boxes;
    if (scripted)
        boxes = std::make_unique<host::BoxWatcher>();

    int status = 0;
    {
        host::Widgets widgets(plugin, options.ini, options.section);
        if (widgets.startAll()) {
            host::HostApp* first = widgets.first();
            if (first != nullptr && !host::runScript(*first, options.script))
                status = 1;
            widgets.run();
        }
        if (widgets.exitCode() != 0)
            status = widgets.exitCode();
    }
    if (boxes) {
        for (const auto& box : boxes->boxes())
            std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
    }
    if (status == 1)
        std::fprintf(stderr, "the widget was removed or a step failed\n");
    return status;
}
