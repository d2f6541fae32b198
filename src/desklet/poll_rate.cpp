#include "desklet/poll_rate.h"

#include <algorithm>

namespace tideglass {

void PollRate::input(uint64_t nowUs) {
    typed_ = true;
    lastInputUs_ = nowUs;
}

void PollRate::read(uint64_t nowUs, bool changed, uint64_t stepUs, uint64_t drawingUs) {
    if (!changed) {
        changedRun_ = 0;
        if (++quietRun_ >= kQuietReads)
            streaming_ = false;
        return;
    }
    // One step held up (a box shown by a failed restart, a host that stalled) must not slow the
    // widget down for long: none counts for more than the idle period.
    const uint64_t limit = uint64_t(idleMs_) * 1000;
    const auto smooth = [&](uint64_t& average, uint64_t sample) {
        sample = std::min(sample, limit);
        average = changedOnce_ ? (3 * average + sample) / 4 : sample;
    };
    smooth(stepUs_, stepUs);
    smooth(drawingUs_, drawingUs);
    changedOnce_ = true;
    lastChangeUs_ = nowUs;
    quietRun_ = 0;
    if (++changedRun_ >= kStreamReads)
        streaming_ = true;
}

bool PollRate::typing(uint64_t nowUs) const {
    return typed_ && nowUs - lastInputUs_ < uint64_t(kTypingWindowMs) * 1000;
}

// Never slower than the idle period: a poll interval set faster than these rates is kept.
uint32_t PollRate::activePeriodMs(uint64_t nowUs) const {
    const uint32_t wanted = typing(nowUs) ? kTypingPeriodMs : kFramePeriodMs;
    const uint64_t costUs = std::max(drawingUs_ * kPeriodPerDrawing, stepUs_ * kPeriodPerStep);
    const uint64_t bound = (costUs + 999) / 1000;
    return uint32_t(std::min<uint64_t>(idleMs_, std::max<uint64_t>(wanted, bound)));
}

// A single change gets one read a frame later, to see whether output goes on.
uint32_t PollRate::periodMs(uint64_t nowUs) const {
    if (typing(nowUs) || streaming_ || changedRun_ > 0)
        return activePeriodMs(nowUs);
    return idleMs_;
}

bool PollRate::readsAtOnce(uint64_t nowUs) const {
    return !changedOnce_ || nowUs - lastChangeUs_ >= uint64_t(activePeriodMs(nowUs)) * 1000;
}

}  // namespace tideglass
