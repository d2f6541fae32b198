#include "platform/win32/agent_stops.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace tideglass::win32 {
namespace {

// The one wait for the agents told to quit, and how long one that was told may linger while
// others still run before it is ended.
constexpr DWORD kQuitTimeoutMs = 1000;
constexpr ULONGLONG kQuitGraceMs = 3000;

struct Told {
    UniqueKernelHandle process;
    ULONGLONG when;
};

struct Stops {
    std::mutex mutex;
    int running = 0;
    std::vector<Told> told;
};

Stops& stops() {
    static Stops instance;
    return instance;
}

bool ended(HANDLE process) {
    return ::WaitForSingleObject(process, 0) != WAIT_TIMEOUT;
}

// Waits for all of them together, up to one deadline, then ends those still there.
void waitForAll(std::vector<Told>& told) {
    const ULONGLONG deadline = ::GetTickCount64() + kQuitTimeoutMs;
    for (size_t first = 0; first < told.size(); first += MAXIMUM_WAIT_OBJECTS) {
        std::vector<HANDLE> handles;
        for (size_t i = first; i < told.size() && handles.size() < MAXIMUM_WAIT_OBJECTS; ++i)
            handles.push_back(told[i].process.get());
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now < deadline ? DWORD(deadline - now) : 0;
        ::WaitForMultipleObjects(DWORD(handles.size()), handles.data(), TRUE, left);
    }
    for (Told& agent : told)
        if (!ended(agent.process.get()))
            ::TerminateProcess(agent.process.get(), 1);
    told.clear();
}

}  // namespace

void agentStarted() {
    Stops& s = stops();
    std::lock_guard<std::mutex> guard(s.mutex);
    ++s.running;
}

void agentTold(UniqueKernelHandle process) {
    Stops& s = stops();
    std::lock_guard<std::mutex> guard(s.mutex);
    const ULONGLONG now = ::GetTickCount64();
    s.told.push_back(Told{std::move(process), now});
    if (--s.running > 0) {
        // Others go on: forget those that have gone, end those that overstayed, wait for none.
        auto gone = [now](Told& agent) {
            if (ended(agent.process.get()))
                return true;
            if (now - agent.when < kQuitGraceMs)
                return false;
            ::TerminateProcess(agent.process.get(), 1);
            return true;
        };
        s.told.erase(std::remove_if(s.told.begin(), s.told.end(), gone), s.told.end());
        return;
    }
    s.running = 0;
    waitForAll(s.told);
}

}  // namespace tideglass::win32
