// SPDX-License-Identifier: MIT
#pragma once
// The platform's date-time value: a double counting days since 30.12.1899,
// the fraction being the local time of day.

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>

namespace tarifuhr {

using TDateTime = double;

struct CivilDate {
  int year = 1899;
  int month = 12;
  int day = 30;
  bool operator==(const CivilDate&) const = default;
};

struct CivilTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  bool operator==(const CivilTime&) const = default;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Whole day number of a calendar date (30.12.1899 = 0).
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond = 0);
TDateTime EncodeDateTime(const CivilDate& date, const CivilTime& time);
CivilDate DecodeDate(TDateTime value);
// Rounded to the millisecond, so 0.5 days is exactly 12:00:00.000.
CivilTime DecodeTime(TDateTime value);

// The whole day of a value and the hour of its time of day.
TDateTime DateOf(TDateTime value);
int HourOf(TDateTime value);

// Same day number, months later (negative: earlier); a day the target
// month lacks becomes that month's last day.
TDateTime AddMonthsClamped(TDateTime date, int months);

// The calendar date `day` in the given month, clamped to its last day.
TDateTime DateInMonthClamped(int year, int month, int day);

// Source of "now" as a local date-time value; tests inject their own.
// Beside the wall clock, which the user, NTP or a time zone may move, a
// monotonic clock that only moves forward and stands still while the PC
// sleeps: it tells how long the program really ran. Its readings compare
// only within one boot.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual TDateTime Now() const = 0;
  // Milliseconds on the monotonic clock.
  virtual int64_t MonotonicMs() const = 0;
  // Names the boot the monotonic clock counts from; empty when unknown.
  virtual std::string BootId() const = 0;
};

class SystemClock final : public Clock {
 public:
  TDateTime Now() const override;
  // CLOCK_MONOTONIC; the kernel's boot id.
  int64_t MonotonicMs() const override;
  std::string BootId() const override;
};

// A clock that stands still until the test moves it. Atomic, because the
// simulated network reads it on an asynchronous dial's thread.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(TDateTime now = 0) : now_(now) {}
  TDateTime Now() const override { return now_.load(); }
  int64_t MonotonicMs() const override { return monotonicMs_.load(); }
  std::string BootId() const override { return bootId_; }
  // Sets the wall clock alone, as NTP, the user or a sleep does.
  void Set(TDateTime now) { now_.store(now); }
  // Time passes: both clocks move on.
  void AdvanceSeconds(double seconds) {
    now_.store(now_.load() + seconds / 86400.0);
    monotonicMs_ += static_cast<int64_t>(seconds * 1000.0 + 0.5);
  }
  // Time passes until `now` (not before the current time).
  void PassTo(TDateTime now) {
    monotonicMs_ += static_cast<int64_t>((now - now_.load()) * 86400000.0 + 0.5);
    now_.store(now);
  }
  // Another boot: the monotonic clock starts again.
  void Reboot(std::string bootId, int64_t monotonicMs = 0) {
    bootId_ = std::move(bootId);
    monotonicMs_ = monotonicMs;
  }

 private:
  std::atomic<TDateTime> now_;
  std::atomic<int64_t> monotonicMs_ = 1000000;
  std::string bootId_ = "boot-1";
};

inline TDateTime Today(const Clock& clock) { return DateOf(clock.Now()); }

// Milliseconds from `now` to the start of the next second of the day.
int MillisecondsToNextSecond(TDateTime now);

}  // namespace tarifuhr
