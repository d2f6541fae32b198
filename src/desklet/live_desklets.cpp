#include "desklet/live_desklets.h"

#include <mutex>
#include <set>

#include "desklet/configurable.h"

namespace tideglass {
namespace {

struct LiveSet {
    std::mutex mutex;
    std::set<Configurable*> desklets;
};

LiveSet& liveSet() {
    static LiveSet set;
    return set;
}

}  // namespace

void addLiveDesklet(Configurable* desklet) {
    LiveSet& live = liveSet();
    std::lock_guard<std::mutex> hold(live.mutex);
    live.desklets.insert(desklet);
}

void removeLiveDesklet(Configurable* desklet) {
    LiveSet& live = liveSet();
    std::lock_guard<std::mutex> hold(live.mutex);
    live.desklets.erase(desklet);
}

// Found and held in one go, so a destroy on another thread cannot come in between.
HeldDesklet::HeldDesklet(Configurable* candidate) {
    LiveSet& live = liveSet();
    std::lock_guard<std::mutex> hold(live.mutex);
    if (candidate != nullptr && live.desklets.count(candidate) != 0) {
        candidate->hold();
        desklet_ = candidate;
    }
}

HeldDesklet::~HeldDesklet() {
    if (desklet_ != nullptr)
        desklet_->release();
}

}  // namespace tideglass
