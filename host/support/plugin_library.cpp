#include "support/plugin_library.h"

namespace host {

std::string executableFolder() {
    char buffer[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, length);
    return path.substr(0, path.find_last_of("\\/") + 1);
}

std::string systemErrorText(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length > 0 ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!result.empty() &&
           (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    return result.empty() ? "error " + std::to_string(error) : result;
}

namespace {

template <typename Function>
bool bind(HMODULE module, const char* name, Function& out) {
    out = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return out != nullptr;
}

}  // namespace

PluginLibrary::PluginLibrary(const std::string& path)
    : path_(path.empty() ? executableFolder() + "tideglass.dll" : path) {
    // No system box about a damaged or missing file: the caller reports the failure itself.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    module_ = LoadLibraryA(path_.c_str());
    const DWORD loadError = GetLastError();
    SetErrorMode(previousMode);
    if (module_ == nullptr) {
        problem_ = "could not be loaded: " + systemErrorText(loadError);
        return;
    }
    const bool found[] = {bind(module_, "OnGetInformation", entry_.OnGetInformation),
                          bind(module_, "OnCreate", entry_.OnCreate),
                          bind(module_, "OnDestroy", entry_.OnDestroy),
                          bind(module_, "OnProcessMessage", entry_.OnProcessMessage),
                          bind(module_, "OnSave", entry_.OnSave),
                          bind(module_, "OnAddPropertySheets", entry_.OnAddPropertySheets)};
    const char* const names[] = {"OnGetInformation", "OnCreate", "OnDestroy",
                                 "OnProcessMessage", "OnSave",   "OnAddPropertySheets"};
    for (std::size_t i = 0; i < sizeof found / sizeof found[0]; ++i) {
        if (!found[i]) {
            problem_ = std::string("is not a desklet plug-in: it has no export ") + names[i];
            return;
        }
    }
    complete_ = true;
}

PluginLibrary::~PluginLibrary() {
    if (module_ != nullptr)
        FreeLibrary(module_);
}

}  // namespace host
