// Loads tideglass.dll as a desklet host does and exposes its six entry points.
#pragma once

#include <windows.h>

#include <string>

namespace host {

struct PluginEntryPoints {
    void(WINAPI* OnGetInformation)(char*, char*, int*, char*) = nullptr;
    void*(WINAPI* OnCreate)(HWND, HINSTANCE, const char*, const char*) = nullptr;
    void(WINAPI* OnDestroy)(void*, HWND) = nullptr;
    void(WINAPI* OnProcessMessage)(void*, HWND, UINT, WPARAM, LPARAM) = nullptr;
    void(WINAPI* OnSave)(void*, const char*, const char*, BOOL) = nullptr;
    int(WINAPI* OnAddPropertySheets)(void*, int) = nullptr;
};

class PluginLibrary {
public:
    // `path` empty: tideglass.dll beside the running executable.
    explicit PluginLibrary(const std::string& path = {});
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool loaded() const { return module_ != nullptr && complete_; }
    HMODULE module() const { return module_; }
    const PluginEntryPoints& entry() const { return entry_; }
    const std::string& path() const { return path_; }
    // Why the plug-in is not usable (empty when it is): the load failure or the missing export.
    const std::string& problem() const { return problem_; }

private:
    std::string path_;
    HMODULE module_ = nullptr;
    bool complete_ = false;
    std::string problem_;
    PluginEntryPoints entry_;
};

// The folder of the running executable, with a trailing backslash.
std::string executableFolder();
// The system's text for an error code, without the trailing line break.
std::string systemErrorText(DWORD error);

}  // namespace host
