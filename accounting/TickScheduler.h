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
  // Seconds between two counted ones that were not counted: the timer
  // could not fire (the program was stopped, the window blocked, or it was
  // not running at all). While the wall clock agrees with the monotonic
  // one, its seconds tell exactly; when the two disagree, the wall clock was
  // stepped (NTP, DST, the user, a sleep) and the monotonic clock, which
  // stands still while the PC sleeps, tells how long the program was away.
  // A step is neither counted nor taken off. At most kMaxSecondsMissed.
  static int64_t SecondsMissed(TDateTime lastWall, int64_t lastMonotonicMs, TDateTime nowWall,
                               int64_t nowMonotonicMs) {
    const int64_t wallSeconds = SecondOf(nowWall) - SecondOf(lastWall);
    const int64_t monotonicMs = nowMonotonicMs - lastMonotonicMs;
    if (monotonicMs < 0) return 0;
    const int64_t drift = wallSeconds * 1000 - monotonicMs;
    const int64_t passed =
        drift >= -kStepToleranceMs && drift <= kStepToleranceMs ? wallSeconds : monotonicMs / 1000;
    return passed <= 1 ? 0 : passed - 1 < kMaxSecondsMissed ? passed - 1 : kMaxSecondsMissed;
  }
  // One catch-up counts at most a day; more would rather be a fault than
  // a connection the program did not see.
  static constexpr int64_t kMaxSecondsMissed = 24 * 60 * 60;
  // How far the two clocks may part between two ticks before it counts as
  // a step: a timer that fires late, and the rounding of the wall seconds.
  static constexpr int64_t kStepToleranceMs = 1500;

  static int64_t SecondOf(TDateTime now) {
    const int64_t ms = std::llround(now * 86400000.0);  // as DecodeTime rounds
    return ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
  }

 private:
  int64_t lastSecond_ = INT64_MIN;
};

}  // namespace tarifuhr
