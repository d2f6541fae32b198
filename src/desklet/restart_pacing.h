// How soon the child is started again after it ended or could not be started: at once after a
// child that ran a while, otherwise after a pause that doubles with every quick failure, so that
// a program that cannot run never has the widget start processes on every tick.
#pragma once

#include <cstdint>
#include <string>

namespace tideglass {

// A child that ends sooner than this after its start counts as failing, not as done: it is what
// a wrong command line or a program that cannot start looks like.
constexpr uint32_t kQuickEndMs = 2000;
// The longest pause between two starts of a failing child.
constexpr uint32_t kLongestRestartPauseMs = 30000;
// Pauses shorter than this pass without a word, as the restart at the next tick always has.
constexpr uint32_t kShortestNoticedPauseMs = 1000;

// The pause after a quick failure, given the pause before it (0 after a child that ran a while):
// first one poll period, then twice the last, up to kLongestRestartPauseMs.
constexpr uint32_t nextRestartPause(uint32_t previousPauseMs, uint32_t pollPeriodMs) {
    const uint64_t pause =
        previousPauseMs == 0 ? uint64_t(pollPeriodMs) : 2 * uint64_t(previousPauseMs);
    return pause > kLongestRestartPauseMs ? kLongestRestartPauseMs : uint32_t(pause);
}

// Times are milliseconds on a clock that only goes forward.
class RestartPacing {
public:
    // A child started at `now`.
    void started(uint64_t now);
    // The child was found ended at `now`; only the first call after a start counts. A tick
    // notices an end up to `pollPeriodMs` late, which is allowed for.
    void ended(uint64_t now, uint32_t pollPeriodMs);
    // A start failed at `now`.
    void failed(uint64_t now, uint32_t pollPeriodMs);
    // Forgets the failures so far: the next start may come at once.
    void reset() { *this = RestartPacing(); }

    // Whether a start may be made at `now`.
    bool due(uint64_t now) const { return now >= nextStart_; }
    // Milliseconds until the next start when the widget should say it is waiting; 0 otherwise.
    uint64_t noticedWait(uint64_t now) const;
    bool lastStartFailed() const { return startFailed_; }

private:
    uint64_t startedAt_ = 0;
    uint64_t nextStart_ = 0;
    uint32_t pause_ = 0;
    bool running_ = false;
    bool startFailed_ = false;
};

// The line the widget shows while it waits: "Next start in 8 s", after what went wrong.
std::u16string restartNotice(bool startFailed, uint64_t waitMs);

}  // namespace tideglass
