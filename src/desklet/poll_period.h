// The period the poll timer runs at, from the stored poll interval.
#pragma once

#include <cstdint>

namespace tideglass {

// Faster than the system's timers resolve, the update step would only load the host; slower
// than a minute, the widget would look dead. The timer itself reads 0 as its own minimum and a
// negative interval as a period of weeks.
constexpr int32_t kShortestPollPeriodMs = 15;
constexpr int32_t kLongestPollPeriodMs = 60000;

// A stored interval outside the bounds is used at the nearer one; the setting keeps its value.
constexpr uint32_t pollPeriodMs(int32_t interval) {
    return static_cast<uint32_t>(interval < kShortestPollPeriodMs  ? kShortestPollPeriodMs
                                 : interval > kLongestPollPeriodMs ? kLongestPollPeriodMs
                                                                   : interval);
}

}  // namespace tideglass
