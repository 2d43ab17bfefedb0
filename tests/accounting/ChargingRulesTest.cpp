// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <tuple>

#include "accounting/ChargingRules.h"

namespace tarifuhr {
namespace {

TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }

TariffRecord Counting(TDateTime start) {
  TariffRecord t;
  t.StartDate = start;
  t.PeriodSeconds = 500;
  t.PeriodCosts = 300;
  t.PeriodBytes = 4000;
  t.InTotals = true;
  return t;
}

TEST(PeriodRules, RollsOverOnTheMonthlyAnniversary) {
  TariffRecord t = Counting(D(2026, 3, 15));
  TotalsRecord totals{1000, 0, 0, 0};
  const TDateTime end = RollOverPeriod(t, totals, D(2026, 4, 15));
  EXPECT_EQ(end, D(2026, 4, 15));
  EXPECT_EQ(DaysToEnd(end, D(2026, 4, 15)), 0) << "the end before the change";
  EXPECT_EQ(t.StartDate, D(2026, 4, 15));
  EXPECT_EQ(t.PeriodSeconds, 0);
  EXPECT_EQ(t.PeriodCosts, 0);
  EXPECT_EQ(t.PeriodBytes, 0);
  EXPECT_EQ(totals.OnlineSeconds, 700) << "counted tariffs take their costs off the totals";

  TariffRecord notCounted = Counting(D(2026, 3, 15));
  notCounted.InTotals = false;
  RollOverPeriod(notCounted, totals, D(2026, 4, 15));
  EXPECT_EQ(totals.OnlineSeconds, 700);
}

TEST(PeriodRules, DecemberStartsRollOverInJanuary) {
  TariffRecord t = Counting(D(2026, 12, 15));
  TotalsRecord totals;
  RollOverPeriod(t, totals, D(2027, 1, 5));
  CatchUpPeriod(t, D(2027, 1, 5));
  EXPECT_EQ(t.StartDate, D(2026, 12, 15));
  EXPECT_EQ(t.PeriodSeconds, 500);
  EXPECT_EQ(DaysToEnd(PeriodEnd(t.StartDate), D(2027, 1, 5)), 10);
  RollOverPeriod(t, totals, D(2027, 1, 15));
  EXPECT_EQ(t.StartDate, D(2027, 1, 15));
  EXPECT_EQ(t.PeriodSeconds, 0);
}

TEST(PeriodRules, AMissedAnniversaryStartsANewPeriodOnTheLatestOne) {
  TariffRecord t = Counting(D(2026, 3, 15));
  TotalsRecord totals{1000, 0, 0, 0};
  const TDateTime end = RollOverPeriod(t, totals, D(2026, 4, 20));
  EXPECT_EQ(DaysToEnd(end, D(2026, 4, 20)), 0) << "allowances keep their values in this second";
  EXPECT_EQ(t.StartDate, D(2026, 4, 15));
  EXPECT_EQ(t.PeriodSeconds, 0);
  EXPECT_EQ(t.PeriodCosts, 0);
  EXPECT_EQ(t.PeriodBytes, 0);
  EXPECT_EQ(totals.OnlineSeconds, 700) << "as the roll-over does";

  // Months missed, today's day number below the start's, over a year's
  // end: last month's anniversary, clamped to its length.
  TariffRecord u = Counting(D(2025, 11, 30));
  RollOverPeriod(u, totals, D(2026, 3, 10));
  EXPECT_EQ(u.StartDate, D(2026, 2, 28));
  EXPECT_EQ(u.PeriodSeconds, 0);
  EXPECT_EQ(DaysToEnd(PeriodEnd(u.StartDate), D(2026, 3, 10)), 18);

  // Not yet a month behind: nothing moves.
  TariffRecord v = Counting(D(2026, 3, 15));
  RollOverPeriod(v, totals, D(2026, 4, 14));
  CatchUpPeriod(v, D(2026, 4, 14));
  EXPECT_EQ(v.StartDate, D(2026, 3, 15));
  EXPECT_EQ(v.PeriodSeconds, 500);
}

TariffRecord MadeAhead(TDateTime start) {
  TariffRecord t;
  t.StartDate = start;
  return t;
}

TEST(PeriodRules, AStartInTheFutureIsPulledBackOnlyWhileNothingWasCounted) {
  TariffRecord t = MadeAhead(D(2026, 6, 10));
  CatchUpPeriod(t, D(2026, 5, 20));
  EXPECT_EQ(t.StartDate, D(2026, 4, 10));
  EXPECT_EQ(t.PeriodSeconds, 1);
  EXPECT_EQ(t.PeriodCosts, 0);
  EXPECT_EQ(t.PeriodBytes, 0);
  TariffRecord jan = MadeAhead(D(2027, 3, 3));
  CatchUpPeriod(jan, D(2027, 1, 20));
  EXPECT_EQ(jan.StartDate, D(2026, 12, 3));

  // A clock behind a period that has counted (NTP, a dead clock battery)
  // keeps it as it is, with any one of the three counters.
  for (const auto& counted : {std::tuple{600.0, 0.0, int64_t{0}}, std::tuple{0.0, 600.0, int64_t{0}},
                              std::tuple{0.0, 0.0, int64_t{1}}}) {
    TariffRecord kept = MadeAhead(D(2026, 12, 1));
    std::tie(kept.PeriodSeconds, kept.PeriodCosts, kept.PeriodBytes) = counted;
    const TariffRecord before = kept;
    for (const TDateTime wrong : {D(2026, 11, 30), D(2000, 1, 1)}) {
      CatchUpPeriod(kept, wrong);
      TotalsRecord totals;
      RollOverPeriod(kept, totals, wrong);
      EXPECT_EQ(kept, before);
    }
  }
}

TEST(PeriodRules, DaysTheMonthLacksAreClampedToItsLastDay) {
  EXPECT_EQ(PeriodEnd(D(2026, 1, 31)), D(2026, 2, 28));
  EXPECT_EQ(PeriodEnd(D(2028, 1, 30)), D(2028, 2, 29));
  TariffRecord t = Counting(D(2026, 1, 31));
  TotalsRecord totals;
  RollOverPeriod(t, totals, D(2026, 2, 28));
  EXPECT_EQ(t.StartDate, D(2026, 2, 28));
  TariffRecord future = MadeAhead(D(2026, 5, 31));
  CatchUpPeriod(future, D(2026, 3, 2));
  EXPECT_EQ(future.StartDate, D(2026, 2, 28));
}

TEST(Allowances, TimeAndCostBudgets) {
  TariffRecord time;
  time.TimeLimit = 5400;
  time.PeriodSeconds = 1200 * 60;
  UpdateTodayAllowance(time, 20);
  UpdateDailyAllowance(time, 20);
  EXPECT_EQ(time.DailyAllowance, 210);
  EXPECT_EQ(time.TodayAllowance, 210);

  TariffRecord cost;
  cost.CostLimit = 1000;
  cost.PricePerMinute = 2;
  cost.PeriodSeconds = 100 * 60;
  UpdateTodayAllowance(cost, 4);
  UpdateDailyAllowance(cost, 4);
  EXPECT_EQ(cost.DailyAllowance, 100);
  EXPECT_EQ(cost.TodayAllowance, 100);
  cost.SecondsToday = 6001;
  EXPECT_EQ(SecondsLeftToday(cost), -1) << "negative once today's allowance is used up";

  TariffRecord none;
  none.TodayAllowance = 7;
  none.DailyAllowance = 7;
  UpdateTodayAllowance(none, 3);
  UpdateDailyAllowance(none, 3);
  EXPECT_EQ(none.TodayAllowance, 0);
  EXPECT_EQ(none.DailyAllowance, 0);
}

TEST(Allowances, HalvesRoundToEvenAndAZeroDivisorKeepsTheOldValue) {
  TariffRecord t;
  t.TimeLimit = 5;
  UpdateTodayAllowance(t, 2);  // 2.5
  EXPECT_EQ(t.TodayAllowance, 2);
  t.TimeLimit = 7;
  UpdateTodayAllowance(t, 2);  // 3.5
  EXPECT_EQ(t.TodayAllowance, 4);

  t.TodayAllowance = 42;
  t.DailyAllowance = 41.5;
  UpdateTodayAllowance(t, 0);
  UpdateDailyAllowance(t, 0);
  EXPECT_EQ(t.TodayAllowance, 42);
  EXPECT_EQ(t.DailyAllowance, 41.5);

  TariffRecord freeCost;
  freeCost.CostLimit = 100;
  UpdateTodayAllowance(freeCost, 3);
  UpdateDailyAllowance(freeCost, 3);
  EXPECT_EQ(freeCost.TodayAllowance, 0);
  EXPECT_EQ(freeCost.DailyAllowance, 0);
}

TEST(DayChange, ResetsTheDayButLeavesTheConnectionsBytes) {
  TariffRecord t;
  t.LastDay = D(2026, 12, 6);
  t.SecondsToday = 900;
  t.ConnectionBytes = 5000;
  t.PeriodBytes = 100;
  ApplyDayChange(t, D(2026, 12, 7));
  EXPECT_EQ(t.LastDay, D(2026, 12, 7));
  EXPECT_EQ(t.SecondsToday, 0);
  EXPECT_EQ(t.ConnectionBytes, 5000);
  EXPECT_EQ(t.PeriodBytes, 100) << "bytes reach the period once, when the connection ends";
  t.SecondsToday = 5;
  ApplyDayChange(t, D(2026, 12, 7));
  EXPECT_EQ(t.SecondsToday, 5);
  // A clock set back a day is no new day, nor is it when it comes forward.
  ApplyDayChange(t, D(2026, 12, 6));
  ApplyDayChange(t, D(2026, 12, 7));
  EXPECT_EQ(t.SecondsToday, 5);
  EXPECT_EQ(t.LastDay, D(2026, 12, 7));
}

TEST(Volume, AllowanceAndWhatIsLeft) {
  TariffRecord t;
  EXPECT_FALSE(HasVolumeLimit(t));
  t.VolumeDailyAllowance = 7;
  UpdateVolumeDailyAllowance(t, 10);
  EXPECT_EQ(t.VolumeDailyAllowance, 0) << "no limit, no allowance";

  t.VolumeLimit = 1000000;
  t.PeriodBytes = 300000;
  t.ConnectionBytes = 100000;  // the open connection counts as used
  t.BytesToday = 25000;
  EXPECT_EQ(VolumeUsed(t), 400000);
  EXPECT_EQ(VolumeLeftInPeriod(t), 600000);
  UpdateVolumeDailyAllowance(t, 8);
  EXPECT_EQ(t.VolumeDailyAllowance, 75000);
  EXPECT_EQ(VolumeLeftToday(t), 50000);
  UpdateVolumeDailyAllowance(t, 0);
  EXPECT_EQ(t.VolumeDailyAllowance, 75000) << "a divisor of 0 keeps the old value";

  EXPECT_FALSE(IsVolumeUsedUp(t));
  t.ConnectionBytes = 700000;
  EXPECT_TRUE(IsVolumeUsedUp(t));
  UpdateVolumeDailyAllowance(t, 4);
  EXPECT_EQ(t.VolumeDailyAllowance, 0);

  t.LastDay = D(2026, 12, 6);
  ApplyDayChange(t, D(2026, 12, 7));
  EXPECT_EQ(t.BytesToday, 0);
  EXPECT_EQ(t.PeriodBytes, 300000);
}

TEST(Volume, CountsOfADamagedFileSaturate) {
  TariffRecord t;
  t.VolumeLimit = std::numeric_limits<int64_t>::max();
  t.PeriodBytes = std::numeric_limits<int64_t>::min();
  EXPECT_EQ(VolumeLeftInPeriod(t), std::numeric_limits<int64_t>::max());
  t.PeriodBytes = std::numeric_limits<int64_t>::max();
  t.ConnectionBytes = 10;
  EXPECT_EQ(VolumeUsed(t), std::numeric_limits<int64_t>::max());
  t.VolumeDailyAllowance = std::nan("");
  EXPECT_EQ(VolumeLeftToday(t), 0);
  t.VolumeDailyAllowance = 1e300;
  EXPECT_GT(VolumeLeftToday(t), 0);
}

TEST(Volume, EveryBegunUnitCounts) {
  EXPECT_EQ(UnitsBegun(250 * 1024, 100 * 1024), 3);
  EXPECT_EQ(UnitsBegun(200 * 1024, 100 * 1024), 2);
  EXPECT_EQ(UnitsBegun(1, 100 * 1024), 1);
  EXPECT_EQ(UnitsBegun(0, 100 * 1024), 0);
  EXPECT_EQ(UnitsBegun(5000, 0), 0) << "no unit, no volume price";
}

TEST(TimeWindow, OnlyHoursCount) {
  TariffRecord t;
  t.WindowFrom = EncodeTime(8, 30, 0);
  t.WindowTo = EncodeTime(17, 15, 0);
  const TDateTime day = D(2026, 12, 7);
  EXPECT_FALSE(IsOutsideTimeWindow(t, day + EncodeTime(8, 5, 0)));
  EXPECT_FALSE(IsOutsideTimeWindow(t, day + EncodeTime(17, 50, 0)));
  EXPECT_TRUE(IsOutsideTimeWindow(t, day + EncodeTime(7, 59, 0)));
  EXPECT_TRUE(IsOutsideTimeWindow(t, day + EncodeTime(18, 0, 0)));
}

TEST(TimeWindow, AWindowOverMidnightIsOpenAtNight) {
  TariffRecord t;
  t.WindowFrom = EncodeTime(23, 0, 0);
  t.WindowTo = EncodeTime(9, 0, 0);
  const TDateTime day = D(2026, 12, 7);
  EXPECT_FALSE(IsOutsideTimeWindow(t, day + EncodeTime(23, 30, 0)));
  EXPECT_FALSE(IsOutsideTimeWindow(t, day + EncodeTime(0, 0, 0)));
  EXPECT_FALSE(IsOutsideTimeWindow(t, day + EncodeTime(9, 59, 0)));
  EXPECT_TRUE(IsOutsideTimeWindow(t, day + EncodeTime(10, 0, 0)));
  EXPECT_TRUE(IsOutsideTimeWindow(t, day + EncodeTime(22, 59, 0)));
}

TEST(TimeWindow, EqualBoundsMeanNoWindowButADatePartCounts) {
  TariffRecord t;
  EXPECT_FALSE(IsOutsideTimeWindow(t, D(2026, 12, 7) + EncodeTime(3, 0, 0)));
  t.WindowFrom = t.WindowTo = D(2026, 1, 1) + EncodeTime(8, 0, 0);
  EXPECT_FALSE(IsOutsideTimeWindow(t, D(2026, 12, 7) + EncodeTime(3, 0, 0)));
  // Same time of day on different dates is a window of one hour.
  t.WindowTo = D(2026, 1, 2) + EncodeTime(8, 0, 0);
  EXPECT_TRUE(IsOutsideTimeWindow(t, D(2026, 12, 7) + EncodeTime(3, 0, 0)));
  EXPECT_FALSE(IsOutsideTimeWindow(t, D(2026, 12, 7) + EncodeTime(8, 40, 0)));
}

TEST(PeriodKinds, AnNDayPeriodRollsOverOnDayNAndNotOnTheMonthsAnniversary) {
  TariffRecord t = Counting(D(2027, 2, 1));
  t.PeriodType = static_cast<uint8_t>(PeriodKind::Days);
  t.PeriodDays = 30;
  TotalsRecord totals;
  EXPECT_EQ(DaysToEnd(RollOverPeriod(t, totals, D(2027, 3, 1)), D(2027, 3, 1)), 2);
  EXPECT_EQ(t.PeriodSeconds, 500);
  EXPECT_EQ(DaysToEnd(RollOverPeriod(t, totals, D(2027, 3, 3)), D(2027, 3, 3)), 0);
  EXPECT_EQ(std::pair(t.StartDate, t.PeriodSeconds), std::pair(D(2027, 3, 3), 0.0));
  EXPECT_EQ(std::pair(PeriodEndOf(t), PreviousPeriodStart(t)),
            std::pair(std::optional(D(2027, 4, 2)), D(2027, 2, 1)));
  // Missed ones start on the latest; a start ahead goes back N days at a time.
  RollOverPeriod(t, totals, D(2027, 5, 10));
  EXPECT_EQ(t.StartDate, D(2027, 5, 2));
  CatchUpPeriod(t, D(2027, 4, 1));
  EXPECT_EQ(t.StartDate, D(2027, 3, 3));
}

TEST(PeriodKinds, PrepaidCreditGoesDownNeverRollsOverAndARechargeAdds) {
  TariffRecord t = Counting(D(2026, 1, 10));
  t.PeriodType = static_cast<uint8_t>(PeriodKind::Prepaid);
  t.CostLimit = 1000;
  t.PricePerMinute = 2;
  t.PeriodSeconds = 6000;  // 100 minutes
  TotalsRecord totals;
  const int days = DaysToEnd(RollOverPeriod(t, totals, D(2027, 5, 10)), D(2027, 5, 10));
  CatchUpPeriod(t, D(2025, 5, 10));
  EXPECT_EQ(std::pair(t.StartDate, t.PeriodCosts), std::pair(D(2026, 1, 10), 300.0));
  UpdateDailyAllowance(t, days);
  EXPECT_EQ(t.DailyAllowance, 400) << "what is left of the credit is all today's";
  Recharge(t, 1500);
  EXPECT_EQ(std::pair(t.CostLimit, CreditLeft(t)), std::pair(2500.0, 2200.0));
  t.TimeLimit = 60;
  Recharge(t, 30);
  EXPECT_EQ(t.TimeLimit, 90) << "a time budget is topped up in minutes";
}

TEST(CheaperHours, AMinutePaysThePriceOfTheHourItBeginsIn) {
  TariffRecord t;
  t.PricePerMinute = 3;
  t.VolumeUnitPrice = 10;
  t.OffPeakFrom = EncodeTime(18, 0, 0);
  t.OffPeakTo = EncodeTime(8, 0, 0);
  t.OffPeakPricePerMinute = 0.5;
  t.OffPeakUnitPrice = 1;
  const auto at = [](int h, int m, int s) { return D(2026, 12, 7) + EncodeTime(h, m, s); };
  EXPECT_EQ(PriceOfMinute(t, at(17, 59, 30)), 3);
  EXPECT_EQ(PriceOfMinute(t, at(18, 0, 30)), 0.5);
  EXPECT_EQ(PriceOfUnit(t, at(18, 0, 30)), 1);
  // Over midnight up to, not including, 08:00; equal hours are none.
  EXPECT_TRUE(IsOffPeak(t, at(0, 0, 0)) && IsOffPeak(t, at(7, 59, 59)));
  EXPECT_FALSE(IsOffPeak(t, at(8, 0, 0)) || IsOffPeak(t, at(17, 59, 59)));
  t.OffPeakTo = t.OffPeakFrom + EncodeTime(0, 30, 0);
  EXPECT_FALSE(IsOffPeak(t, at(18, 10, 0)));
  t.OffPeakFrom = EncodeTime(12, 0, 0);
  t.OffPeakTo = EncodeTime(14, 0, 0);
  EXPECT_TRUE(IsOffPeak(t, at(13, 59, 0)) && !IsOffPeak(t, at(14, 0, 0)) && !IsOffPeak(t, at(11, 59, 0)));
}

}  // namespace
}  // namespace tarifuhr
