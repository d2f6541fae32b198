// How often the widget reads its console. The poll interval is for a widget where nothing
// happens; after a key, a paste or a wheel turn it reads fast for a moment, so a program's echo
// shows within a frame of being written, and while output keeps coming it reads at a steady
// frame rate. A read that draws may take only a share of its period, so a flood of output costs
// a bounded share of the processor, and of the host's thread, however dear drawing is.
#pragma once

#include <cstdint>

namespace tideglass {

// Reads after input: as fast as the system's timers go, for a while after the last input.
constexpr uint32_t kTypingPeriodMs = 10;
constexpr uint32_t kTypingWindowMs = 250;
// Reads while output streams: about 30 frames a second.
constexpr uint32_t kFramePeriodMs = 33;
// A stream is output seen on this many reads in a row; it has ended after as many reads in a
// row that saw nothing new.
constexpr uint32_t kStreamReads = 2;
constexpr uint32_t kQuietReads = 4;
// Drawing may take a quarter of the period between reads, and the whole step (reading too, which
// is mostly waiting for the console's process) half of it.
constexpr uint32_t kPeriodPerDrawing = 4;
constexpr uint32_t kPeriodPerStep = 2;

class PollRate {
public:
    explicit PollRate(uint32_t idlePeriodMs) : idleMs_(idlePeriodMs) {}

    // The poll interval, the period of a widget where nothing happens.
    void setIdlePeriod(uint32_t periodMs) { idleMs_ = periodMs; }
    // The user typed, pasted or turned the wheel.
    void input(uint64_t nowUs);
    // A read of the console ended at `nowUs`: whether it found a change (and drew it), how long
    // the whole step took and how much of it was drawing.
    void read(uint64_t nowUs, bool changed, uint64_t stepUs, uint64_t drawingUs);

    // The period the poll timer should run at.
    uint32_t periodMs(uint64_t nowUs) const;
    // Whether a read asked for between ticks (the console is known to have changed) may be
    // made at once; otherwise the timer makes it, so such requests cannot outrun the frame rate.
    bool readsAtOnce(uint64_t nowUs) const;

private:
    bool typing(uint64_t nowUs) const;
    uint32_t activePeriodMs(uint64_t nowUs) const;

    uint32_t idleMs_;
    bool typed_ = false;
    uint64_t lastInputUs_ = 0;
    bool changedOnce_ = false;
    uint64_t lastChangeUs_ = 0;
    uint32_t changedRun_ = 0;  // reads in a row that found a change
    uint32_t quietRun_ = 0;    // reads in a row that found none
    bool streaming_ = false;
    // Of a step that drew, smoothed.
    uint64_t stepUs_ = 0;
    uint64_t drawingUs_ = 0;
};

}  // namespace tideglass
