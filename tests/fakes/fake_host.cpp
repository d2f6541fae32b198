#include "fakes/fake_host.h"

namespace tideglass::fakes {

void FakeHost::setImageOverlay(WindowHandle window, void* image) {
    if (log)
        log->push_back("setImageOverlay");
    calls.push_back({"setImageOverlay", window, image, 0, 0});
}

void FakeHost::remove(WindowHandle window) {
    if (log)
        log->push_back("remove");
    calls.push_back({"remove", window, nullptr, 0, 0});
}

void FakeHost::setSize(WindowHandle window, int32_t width, int32_t height) {
    if (log)
        log->push_back("setSize");
    calls.push_back({"setSize", window, nullptr, width, height});
}

void FakeHost::setStatic(WindowHandle window) {
    if (log)
        log->push_back("setStatic");
    calls.push_back({"setStatic", window, nullptr, 0, 0});
}

int32_t FakeHost::addPropertySheet(WindowHandle window, void* page) {
    if (log)
        log->push_back("addPropertySheet");
    calls.push_back({"addPropertySheet", window, page, 0, 0});
    return nextSheetResult++;
}

std::vector<std::string> FakeHost::names() const {
    std::vector<std::string> result;
    for (const auto& c : calls)
        result.push_back(c.name);
    return result;
}

const FakeHost::Call* FakeHost::last(const std::string& name) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->name == name)
            return &*it;
    }
    return nullptr;
}

}  // namespace tideglass::fakes
