// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/DateTime.h"

namespace tarifuhr {
namespace {

TEST(DateTime, CalendarDatesMatchThePlatformDayNumbers) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(2026, 12, 7), 46363);
  EXPECT_EQ(DecodeDate(46363.75), (CivilDate{2026, 12, 7}));
  EXPECT_EQ(DecodeDate(EncodeDate(2024, 2, 29)), (CivilDate{2024, 2, 29}));
}

TEST(DateTime, TimeOfDayRoundTripsToTheMillisecond) {
  const TDateTime t = EncodeDate(2026, 12, 7) + EncodeTime(8, 5, 3, 250);
  EXPECT_EQ(DecodeTime(t), (CivilTime{8, 5, 3, 250}));
  EXPECT_EQ(HourOf(t), 8);
  EXPECT_EQ(DateOf(t), 46363);
  // Just below midnight rounds into the next day, consistently for both parts.
  const TDateTime almost = 46363 + 0.99999999999;
  EXPECT_EQ(DateOf(almost), 46364);
  EXPECT_EQ(DecodeTime(almost).hour, 0);
  EXPECT_EQ(HourOf(EncodeTime(23, 59, 59)), 23);
}

TEST(DateTime, MonthsAreAddedWithTheDayClampedToTheMonthsEnd) {
  EXPECT_EQ(AddMonthsClamped(EncodeDate(2026, 3, 15), 1), EncodeDate(2026, 4, 15));
  EXPECT_EQ(AddMonthsClamped(EncodeDate(2026, 12, 15), 1), EncodeDate(2027, 1, 15));
  EXPECT_EQ(AddMonthsClamped(EncodeDate(2026, 1, 31), 1), EncodeDate(2026, 2, 28));
  EXPECT_EQ(AddMonthsClamped(EncodeDate(2028, 1, 30), 1), EncodeDate(2028, 2, 29));
  EXPECT_EQ(AddMonthsClamped(EncodeDate(2026, 3, 31), -1), EncodeDate(2026, 2, 28));
  EXPECT_EQ(AddMonthsClamped(EncodeDate(2026, 1, 10), -1), EncodeDate(2025, 12, 10));
  EXPECT_EQ(DateInMonthClamped(2026, 4, 31), EncodeDate(2026, 4, 30));
}

TEST(DateTime, NextSecondBoundary) {
  const TDateTime base = EncodeDate(2026, 12, 7) + EncodeTime(12, 0, 0);
  EXPECT_EQ(MillisecondsToNextSecond(base + EncodeTime(0, 0, 0, 10)), 990);
  EXPECT_EQ(MillisecondsToNextSecond(base + EncodeTime(0, 0, 0, 990)), 10);
  EXPECT_EQ(MillisecondsToNextSecond(base), 1000);
}

TEST(DateTime, ManualClockMovesOnlyWhenTold) {
  ManualClock clock(EncodeDate(2026, 12, 7) + EncodeTime(23, 59, 59));
  EXPECT_EQ(Today(clock), 46363);
  clock.AdvanceSeconds(1);
  EXPECT_EQ(Today(clock), 46364);
  EXPECT_EQ(DecodeTime(clock.Now()), (CivilTime{0, 0, 0, 0}));
}

TEST(DateTime, SystemClockIsLocalTime) {
  const TDateTime now = SystemClock().Now();
  EXPECT_GT(now, EncodeDate(2020, 1, 1));
  EXPECT_LT(now, EncodeDate(2200, 1, 1));
}

}  // namespace
}  // namespace tarifuhr
