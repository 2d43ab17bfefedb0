// SPDX-License-Identifier: MIT
#include <ctime>

#include "platform/TimeZone.h"

namespace tarifuhr {
namespace {

// Minutes east of UTC and the DST flag at a given instant, or false.
bool OffsetAt(time_t t, long& minutesEast, bool& dst) {
  struct tm local {};
  if (!localtime_r(&t, &local)) return false;
  minutesEast = local.tm_gmtoff / 60;
  dst = local.tm_isdst > 0;
  return true;
}

class LinuxTimeZone final : public TimeZoneSource {
 public:
  TimeZoneInformation Get() const override {
    tzset();
    const time_t now = time(nullptr);
    long nowEast = 0;
    bool nowDst = false;
    if (!OffsetAt(now, nowEast, nowDst)) return {};
    // The tz database has no separate biases; probe the coming year for
    // an instant of the other kind to learn the other offset.
    bool otherFound = false;
    long otherEast = 0;
    for (int week = 1; week <= 53 && !otherFound; ++week) {
      long east = 0;
      bool dst = false;
      if (OffsetAt(now + week * 7L * 86400L, east, dst) && dst != nowDst) {
        otherFound = true;
        otherEast = east;
      }
    }
    TimeZoneInformation info;
    if (!otherFound) {
      info.id = nowDst ? TimeZoneId::Daylight : TimeZoneId::Unknown;
      info.bias = static_cast<int>(-nowEast);
      return info;
    }
    const long standardEast = nowDst ? otherEast : nowEast;
    const long daylightEast = nowDst ? nowEast : otherEast;
    info.id = nowDst ? TimeZoneId::Daylight : TimeZoneId::Standard;
    info.bias = static_cast<int>(-standardEast);
    info.standardBias = 0;
    info.daylightBias = static_cast<int>(standardEast - daylightEast);
    return info;
  }
};

}  // namespace

const TimeZoneSource& SystemTimeZone() {
  static const LinuxTimeZone zone;
  return zone;
}

}  // namespace tarifuhr
