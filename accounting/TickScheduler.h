// SPDX-License-Identifier: MIT
#pragma once
// When the accounting tick runs: once per wall-clock second. Instead of
// polling, the timer is armed for just after the next second boundary and
// re-armed after each tick.

#include <cmath>
#include <cstdint>

#include "platform/DateTime.h"

namespace tarifuhr {

class TickScheduler {
 public:
  // Margin after the boundary, so that a timer that fires a little early
  // still lands in the new second.
  static constexpr int kMarginMs = 5;

  // True when `now` lies in another second than the last counted one; the
  // caller then counts this second.
  bool IsNewSecond(TDateTime now) {
    const int64_t second = SecondOf(now);
    if (second == lastSecond_) return false;
    lastSecond_ = second;
    return true;
  }
  // Milliseconds until the timer should fire next.
  static int MillisecondsUntilNextTick(TDateTime now) { return MillisecondsToNextSecond(now) + kMarginMs; }
  static int64_t SecondOf(TDateTime now) {
    const int64_t ms = std::llround(now * 86400000.0);  // as DecodeTime rounds
    return ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
  }

 private:
  int64_t lastSecond_ = INT64_MIN;
};

}  // namespace tarifuhr
