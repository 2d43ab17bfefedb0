// SPDX-License-Identifier: MIT
#include "mail/HeaderValues.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
  const struct {
    TimeZoneId id;
    int bias;
    const char* suffix;
  } cases[] = {{TimeZoneId::Standard, -60, "+0100"},  // Central Europe in winter
               {TimeZoneId::Daylight, -60, "+0200"},  // and in summer
               {TimeZoneId::Unknown, -330, "+0530"},  // no daylight saving, daylight bias 0
               {TimeZoneId::Standard, 300, "-0500"}, {TimeZoneId::Standard, 210, "-0330"},
               {TimeZoneId::Standard, 0, "GMT"},     {TimeZoneId::Invalid, -60, "-0000"}};
  for (const auto& c : cases)
    EXPECT_EQ(ZoneSuffix(FixedTimeZone(Zone(c.id, c.bias, 0, c.id == TimeZoneId::Unknown ? 0 : -60))),
              c.suffix);
  // Unknown takes the daylight bias too.
  EXPECT_EQ(ZoneSuffix(FixedTimeZone(Zone(TimeZoneId::Unknown, -60, 0, -60))), "+0200");
}

TEST(MailDate, EnglishNamesAndPadding) {
  const FixedTimeZone cet(Zone(TimeZoneId::Standard, -60, 0, -60));
  EXPECT_EQ(MailDate(EncodeDateTime({2026, 12, 6}, {9, 5, 3}), cet), "Sun, 6 Dec 2026 09:05:03 +0100");
  EXPECT_EQ(MailDate(EncodeDateTime({2024, 2, 29}, {23, 59, 59}), cet), "Thu, 29 Feb 2024 23:59:59 +0100");
  EXPECT_EQ(MailDate(EncodeDateTime({1999, 12, 31}, {12, 0, 0}), cet), "Fri, 31 Dec 1999 12:00:00 +0100");
}

TEST(PadNumber, LeadingZerosOnlyUpToTheWidth) {
  for (auto [n, width, text] :
       {std::tuple{9, 2, "09"}, {0, 2, "00"}, {123, 2, "123"}, {7, 4, "0007"}, {5, 0, "5"}})
    EXPECT_EQ(PadNumber(n, width), text);
}

TEST(MessageIdAndBoundary, FormAndUniqueness) {
  const ManualClock clock(EncodeDateTime({2026, 3, 4}, {10, 0, 0}));
  std::set<std::string> ids, boundaries;
  for (int i = 0; i < 50; ++i) {
    const std::string id = MakeMessageId("a.b.c", clock), boundary = MakeBoundary();
    ids.insert(id);
    boundaries.insert(boundary);
    EXPECT_THAT(id, ::testing::MatchesRegex("<ZIM\\.2026\\.03\\.04\\.[a-t]{16}@a\\.b\\.c>"));
    EXPECT_THAT(boundary, ::testing::MatchesRegex("--_ZIM_bound_[a-y]{12}"));
  }
  // Made in the same instant, they still differ.
  EXPECT_EQ(ids.size(), 50u);
  EXPECT_EQ(boundaries.size(), 50u);
}

}  // namespace
}  // namespace tarifuhr
