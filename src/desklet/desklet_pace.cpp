// The pace of the update step: the one poll timer runs at the period the poll rate asks for, set
// again only when that period changes, so an idle widget's timer is set once and left alone.
#include "desklet/desklet.h"
#include "desklet/messages.h"
#include "ports/user_interface.h"

namespace tideglass {

void Desklet::pacedStep(bool afterInput) {
    UserInterface& ui = platform_.ui;
    const uint64_t start = ui.steadyMicroseconds();
    if (afterInput)
        pollRate_.input(start);
    const uint32_t presentsBefore = presents_;
    const uint64_t drawnBefore = drawingUs_;
    updateStep();
    const uint64_t end = ui.steadyMicroseconds();
    pollRate_.read(end, presents_ != presentsBefore, end - start, drawingUs_ - drawnBefore);
    paceTimer(end);
}

uint64_t Desklet::nowMs() const {
    return platform_.ui.steadyMicroseconds() / 1000;
}

// A step that the host's destroy overtook (from a box's message loop) leaves the timer killed.
void Desklet::paceTimer(uint64_t nowUs) {
    const uint32_t period = pollRate_.periodMs(nowUs);
    if (destroyed_ || period == timerPeriodMs_)
        return;
    timerPeriodMs_ = period;
    platform_.ui.setTimer(window, kPollTimerId, period);
}

}  // namespace tideglass
