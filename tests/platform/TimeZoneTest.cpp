// SPDX-License-Identifier: MIT
#include "platform/TimeZone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tarifuhr {
namespace {

// Runs the system backend under another TZ and restores the old one.
class TzTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* tz = std::getenv("TZ")) saved_ = tz;
  }
  void TearDown() override {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  TimeZoneInformation Under(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
    return SystemTimeZone().Get();
  }
  static bool IsDst() {
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return local.tm_isdst > 0;
  }
  std::optional<std::string> saved_;
};

TEST_F(TzTest, BiasesOfZonesWithAndWithoutDaylightSaving) {
  // The last one is a POSIX rule without the tz database.
  const struct {
    const char* tz;
    int bias, daylightBias;
  } zones[] = {{"UTC", 0, 0},
               {"Asia/Kolkata", -330, 0},
               {"Europe/Berlin", -60, -60},
               {"America/St_Johns", 210, -60},
               {"EST5EDT,M3.2.0,M11.1.0", 300, -60}};
  for (const auto& z : zones) {
    const TimeZoneInformation info = Under(z.tz);
    EXPECT_EQ(info.bias, z.bias) << z.tz;
    EXPECT_EQ(info.daylightBias, z.daylightBias) << z.tz;
    if (z.daylightBias == 0) {
      EXPECT_EQ(info.id, TimeZoneId::Unknown) << z.tz;
    }
  }
  const TimeZoneInformation cet = Under("Europe/Berlin");
  EXPECT_EQ(cet.id, IsDst() ? TimeZoneId::Daylight : TimeZoneId::Standard);
  EXPECT_EQ(cet.standardBias, 0);
}

}  // namespace
}  // namespace tarifuhr
