#include "support/plugin_library.h"

namespace host {

std::string executableFolder() {
    char buffer[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer, length);
    return path.substr(0, path.find_last_of("\\/") + 1);
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
    module_ = LoadLibraryA(path_.c_str());
    if (module_ == nullptr)
        return;
    complete_ = bind(module_, "OnGetInformation", entry_.OnGetInformation) &
                bind(module_, "OnCreate", entry_.OnCreate) &
                bind(module_, "OnDestroy", entry_.OnDestroy) &
                bind(module_, "OnProcessMessage", entry_.OnProcessMessage) &
                bind(module_, "OnSave", entry_.OnSave) &
                bind(module_, "OnAddPropertySheets", entry_.OnAddPropertySheets);
}

PluginLibrary::~PluginLibrary() {
    if (module_ != nullptr)
        FreeLibrary(module_);
}

}  // namespace host
