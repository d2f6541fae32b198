// Records the host calls the plug-in makes.
#pragma once

#include <string>
#include <vector>

#include "ports/host.h"

namespace tideglass::fakes {

class FakeHost : public Host {
public:
    struct Call {
        std::string name;
        WindowHandle window;
        void* pointer;
        int32_t width;
        int32_t height;
    };

    void setImageOverlay(WindowHandle window, void* image) override;
    void remove(WindowHandle window) override;
    void setSize(WindowHandle window, int32_t width, int32_t height) override;
    void setStatic(WindowHandle window) override;
    int32_t addPropertySheet(WindowHandle window, void* page) override;

    std::vector<Call> calls;
    int32_t nextSheetResult = 0;
    std::vector<std::string>* log = nullptr;

    std::vector<std::string> names() const;
    const Call* last(const std::string& name) const;
};

}  // namespace tideglass::fakes
