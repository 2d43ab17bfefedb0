#include "mail/HeaderValues.h"

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

// `count` letters from 'a' to `last` at `pos` of `s`.
bool LettersAt(const std::string& s, size_t pos, size_t count, char last) {
  if (s.size() < pos + count) return false;
  for (size_t i = pos; i < pos + count; ++i)
    if (s[i] < 'a' || s[i] > last) return false;
  return true;
}

TEST(MessageIdAndBoundary, FormAndUniqueness) {
  const ManualClock clock(EncodeDateTime({2026, 3, 4}, {10, 0, 0}));
  std::set<std::string> ids, boundaries;
  for (int i = 0; i < 50; ++i) {
    const std::string m = MakeMessageId("a.b.c", clock);
    const std::string b = MakeBoundary();
    EXPECT_EQ(m.size(), 39u) << m;
    EXPECT_EQ(m.rfind("<ZIM.2026.03.04.", 0), 0u) << m;
    EXPECT_TRUE(LettersAt(m, 16, 16, 't')) << m;
    EXPECT_EQ(m.substr(32), "@a.b.c>") << m;
    EXPECT_EQ(b.size(), 25u) << b;
    EXPECT_EQ(b.rfind("--_ZIM_bound_", 0), 0u) << b;
    EXPECT_TRUE(LettersAt(b, 13, 12, 'y')) << b;
    ids.insert(m);
    boundaries.insert(b);
  }
  // Made in the same instant, they still differ.
  EXPECT_EQ(ids.size(), 50u);
  EXPECT_EQ(boundaries.size(), 50u);
}

}  // namespace
}  // namespace tarifuhr
