// The desklets the host has not destroyed yet. A property page holds its desklet by address,
// and the host's sheet can stay open after the widget is gone: a page reaches its desklet only
// through a HeldDesklet, which finds it among the live ones and keeps it from being freed while
// the page uses it.
#pragma once

namespace tideglass {

class Configurable;

void addLiveDesklet(Configurable* desklet);
// After this no HeldDesklet can find `desklet`; those made before still hold it.
void removeLiveDesklet(Configurable* desklet);

class HeldDesklet {
public:
    // Empty when `candidate` is null or no longer live.
    explicit HeldDesklet(Configurable* candidate);
    ~HeldDesklet();
    HeldDesklet(const HeldDesklet&) = delete;
    HeldDesklet& operator=(const HeldDesklet&) = delete;

    explicit operator bool() const { return desklet_ != nullptr; }
    Configurable* operator->() const { return desklet_; }

private:
    Configurable* desklet_ = nullptr;
};

}  // namespace tideglass
