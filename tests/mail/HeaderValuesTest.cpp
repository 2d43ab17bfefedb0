#include "mail/HeaderValues.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace tarifuhr {
namespace {

TimeZoneInformation Zone(TimeZoneId id, int bias, int standardBias, int daylightBias) {
  TimeZoneInformation info;
  info.id = id;
  info.bias = bias;
  info.standardBias = standardBias;
  info.daylightBias = daylightBias;
  return info;
}

TEST(ZoneSuffix, EveryCaseOfTheOffset) {
  // Central Europe in winter, in summer.
  EXPECT_EQ(ZoneSuffix(FixedTimeZone(Zone(TimeZoneId::Standard, -60, 0, -60))), "+0100");
  EXPECT_EQ(ZoneSuffix(FixedTimeZone(Zone(TimeZoneId::Daylight, -60, 0, -60))), "+0200");
  EXPECT_EQ(ZoneSuffix(FixedTimeZone(Zone(TimeZoneId::Unknown, -330, 0, 0))), "+0530");
  EXPECT_EQ(ZoneSuffix(FixedTimeZone(Zone(TimeZoneId::Standard, 300, 0, -60))), "-0500");
  EXPECT_EQ(ZoneSuffix(FixedTimeZone(Zone(TimeZoneId::Standard, 210, 0, -60))), "-0330");
  EXPECT_EQ(ZoneSuffix(FixedTimeZone(Zone(TimeZoneId::Standard, 0, 0, -60))), "GMT");
  // Unknown (no daylight saving) takes the daylight bias too.
  EXPECT_EQ(ZoneSuffix(FixedTimeZone(Zone(TimeZoneId::Unknown, -60, 0, -60))), "+0200");
  EXPECT_EQ(ZoneSuffix(FixedTimeZone(Zone(TimeZoneId::Invalid, -60, 0, -60))), "-0000");
}

TEST(MailDate, EnglishNamesAndPadding) {
  const FixedTimeZone cet(Zone(TimeZoneId::Standard, -60, 0, -60));
  EXPECT_EQ(MailDate(EncodeDateTime({2026, 12, 6}, {9, 5, 3}), cet), "Sun, 6 Dec 2026 09:05:03 +0100");
  EXPECT_EQ(MailDate(EncodeDateTime({2026, 1, 1}, {23, 59, 59}), cet), "Thu, 1 Jan 2026 23:59:59 +0100");
  EXPECT_EQ(MailDate(EncodeDateTime({2024, 2, 29}, {0, 0, 0}), cet), "Thu, 29 Feb 2024 00:00:00 +0100");
  EXPECT_EQ(MailDate(EncodeDateTime({1999, 12, 31}, {12, 0, 0}), cet), "Fri, 31 Dec 1999 12:00:00 +0100");
}

TEST(PadNumber, LeadingZerosOnlyUpToTheWidth) {
  EXPECT_EQ(PadNumber(9, 2), "09");
  EXPECT_EQ(PadNumber(0, 2), "00");
  EXPECT_EQ(PadNumber(123, 2), "123");
  EXPECT_EQ(PadNumber(7, 4), "0007");
  EXPECT_EQ(PadNumber(5, 0), "5");
}

TEST(MessageIdAndBoundary, FormAndUniqueness) {
  const ManualClock clock(EncodeDateTime({2026, 3, 4}, {10, 0, 0}));
  const std::regex id(R"(<ZIM\.2026\.03\.04\.[a-t]{16}@a\.b\.c>)");
  const std::regex boundary(R"(--_ZIM_bound_[a-y]{12})");
  std::set<std::string> ids, boundaries;
  for (int i = 0; i < 50; ++i) {
    const std::string m = MakeMessageId("a.b.c", clock);
    const std::string b = MakeBoundary();
    EXPECT_TRUE(std::regex_match(m, id)) << m;
    EXPECT_TRUE(std::regex_match(b, boundary)) << b;
    ids.insert(m);
    boundaries.insert(b);
  }
  // Made in the same instant, they still differ.
  EXPECT_EQ(ids.size(), 50u);
  EXPECT_EQ(boundaries.size(), 50u);
}

}  // namespace
}  // namespace tarifuhr
