#include "desklet/restart_pacing.h"

namespace tideglass {

void RestartPacing::started(uint64_t now) {
    startedAt_ = now;
    nextStart_ = now;
    running_ = true;
    startFailed_ = false;
}

void RestartPacing::ended(uint64_t now, uint32_t pollPeriodMs) {
    if (!running_)
        return;
    running_ = false;
    const bool quick = now - startedAt_ < uint64_t(kQuickEndMs) + pollPeriodMs;
    pause_ = quick ? nextRestartPause(pause_, pollPeriodMs) : 0;
    nextStart_ = now + pause_;
}

void RestartPacing::failed(uint64_t now, uint32_t pollPeriodMs) {
    running_ = false;
    startFailed_ = true;
    pause_ = nextRestartPause(pause_, pollPeriodMs);
    nextStart_ = now + pause_;
}

uint64_t RestartPacing::noticedWait(uint64_t now) const {
    if (running_ || pause_ < kShortestNoticedPauseMs || now >= nextStart_)
        return 0;
    return nextStart_ - now;
}

std::u16string restartNotice(bool startFailed, uint64_t waitMs) {
    if (waitMs == 0)
        return {};
    const std::string seconds = std::to_string((waitMs + 999) / 1000);
    const std::string text = std::string(startFailed ? "The program could not be started."
                                                     : "The program ended at once.") +
                             " Next start in " + seconds + " s";
    return std::u16string(text.begin(), text.end());
}

}  // namespace tideglass
