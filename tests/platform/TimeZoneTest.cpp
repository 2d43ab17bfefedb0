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
    if (saved_) setenv("TZ", saved_->c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  TimeZoneInformation Under(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
    return SystemTimeZone().Get();
  }
  static bool IsDst() {
    const time_t now = time(nullptr);
    struct tm local{};
    localtime_r(&now, &local);
    return local.tm_isdst > 0;
  }
  std::optional<std::string> saved_;
};

TEST_F(TzTest, ZoneWithoutDaylightSaving) {
  TimeZoneInformation utc = Under("UTC");
  EXPECT_EQ(utc.id, TimeZoneId::Unknown);
  EXPECT_EQ(utc.bias, 0);
  EXPECT_EQ(utc.daylightBias, 0);
  TimeZoneInformation india = Under("Asia/Kolkata");
  EXPECT_EQ(india.id, TimeZoneId::Unknown);
  EXPECT_EQ(india.bias, -330);
}

TEST_F(TzTest, CentralEuropeAndNewfoundland) {
  TimeZoneInformation cet = Under("Europe/Berlin");
  EXPECT_EQ(cet.id, IsDst() ? TimeZoneId::Daylight : TimeZoneId::Standard);
  EXPECT_EQ(cet.bias, -60);
  EXPECT_EQ(cet.standardBias, 0);
  EXPECT_EQ(cet.daylightBias, -60);
  TimeZoneInformation nst = Under("America/St_Johns");
  EXPECT_EQ(nst.bias, 210);
  EXPECT_EQ(nst.daylightBias, -60);
  // A POSIX rule without the tz database.
  TimeZoneInformation posix = Under("EST5EDT,M3.2.0,M11.1.0");
  EXPECT_EQ(posix.bias, 300);
  EXPECT_EQ(posix.daylightBias, -60);
}

}  // namespace
}  // namespace tarifuhr
