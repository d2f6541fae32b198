#include "desklet/live_desklets.h"

#include <mutex>
#include <set>

namespace tideglass {
namespace {

struct LiveSet {
    std::mutex mutex;
    std::set<const Configurable*> desklets;
};

LiveSet& liveSet() {
    static LiveSet set;
    return set;
}

}  // namespace

void addLiveDesklet(const Configurable* desklet) {
    LiveSet& live = liveSet();
    std::lock_guard<std::mutex> hold(live.mutex);
    live.desklets.insert(desklet);
}

void removeLiveDesklet(const Configurable* desklet) {
    LiveSet& live = liveSet();
    std::lock_guard<std::mutex> hold(live.mutex);
    live.desklets.erase(desklet);
}

Configurable* liveDesklet(Configurable* desklet) {
    LiveSet& live = liveSet();
    std::lock_guard<std::mutex> hold(live.mutex);
    return live.desklets.count(desklet) != 0 ? desklet : nullptr;
}

}  // namespace tideglass
