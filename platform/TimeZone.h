// SPDX-License-Identifier: MIT
#pragma once
// The system's time-zone information as the mail Date header needs it:
// biases in minutes with UTC = local time + bias, and which one is in force.

namespace tarifuhr {

enum class TimeZoneId {
  Unknown,   // the zone has no daylight saving time
  Standard,  // standard time is in force
  Daylight,  // daylight saving time is in force
  Invalid,   // the system can't tell
};

struct TimeZoneInformation {
  TimeZoneId id = TimeZoneId::Invalid;
  int bias = 0;          // minutes; -60 for Central Europe
  int standardBias = 0;  // added to bias in standard time, usually 0
  int daylightBias = 0;  // added to bias in daylight time, usually -60
};

class TimeZoneSource {
 public:
  virtual ~TimeZoneSource() = default;
  virtual TimeZoneInformation Get() const = 0;
};

// The local zone of the running system (TZ, /etc/localtime).
const TimeZoneSource& SystemTimeZone();

// A fixed answer, for tests and for callers that know the zone.
class FixedTimeZone final : public TimeZoneSource {
 public:
  explicit FixedTimeZone(TimeZoneInformation info) : info_(info) {}
  TimeZoneInformation Get() const override { return info_; }

 private:
  TimeZoneInformation info_;
};

}  // namespace tarifuhr
