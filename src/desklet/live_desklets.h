// The desklets the host has not destroyed yet. The host's sheet can stay open after its widget is
// gone, and the host may build its next widget at the same address: a property page therefore
// knows its desklet only by a token that is never given out twice, and reaches it only through a
// HeldDesklet, which finds it among the live ones and keeps it from being freed while the page
// uses it.
#pragma once

#include <cstdint>

namespace tideglass {

class Configurable;

// 0 stands for no desklet. Pointer-sized, so it travels in a page's creation record.
using DeskletToken = uintptr_t;

// Returns the desklet's token, new for every call.
DeskletToken addLiveDesklet(Configurable* desklet);
// After this no HeldDesklet can find the desklet; those made before still hold it.
void removeLiveDesklet(DeskletToken token);

class HeldDesklet {
public:
    // Empty when `token` is 0 or its desklet is no longer live.
    explicit HeldDesklet(DeskletToken token);
    ~HeldDesklet();
    HeldDesklet(const HeldDesklet&) = delete;
    HeldDesklet& operator=(const HeldDesklet&) = delete;

    explicit operator bool() const { return desklet_ != nullptr; }
    Configurable* operator->() const { return desklet_; }

private:
    Configurable* desklet_ = nullptr;
};

}  // namespace tideglass
