#include "desklet/live_desklets.h"

#include <map>
#include <mutex>

#include "desklet/configurable.h"

namespace tideglass {
namespace {

struct LiveSet {
    std::mutex mutex;
    DeskletToken lastToken = 0;
    std::map<DeskletToken, Configurable*> desklets;
};

LiveSet& liveSet() {
    static LiveSet set;
    return set;
}

}  // namespace

// Even a 32-bit token outlasts any host: one widget created every second would take over a
// hundred years to wrap it.
DeskletToken addLiveDesklet(Configurable* desklet) {
    LiveSet& live = liveSet();
    std::lock_guard<std::mutex> hold(live.mutex);
    const DeskletToken token = ++live.lastToken;
    live.desklets.emplace(token, desklet);
    return token;
}

void removeLiveDesklet(DeskletToken token) {
    LiveSet& live = liveSet();
    std::lock_guard<std::mutex> hold(live.mutex);
    live.desklets.erase(token);
}

// Found and held in one go, so a destroy on another thread cannot come in between.
HeldDesklet::HeldDesklet(DeskletToken token) {
    LiveSet& live = liveSet();
    std::lock_guard<std::mutex> hold(live.mutex);
    const auto found = live.desklets.find(token);
    if (found != live.desklets.end()) {
        found->second->hold();
        desklet_ = found->second;
    }
}

HeldDesklet::~HeldDesklet() {
    if (desklet_ != nullptr)
        desklet_->release();
}

}  // namespace tideglass
