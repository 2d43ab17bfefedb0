// SPDX-License-Identifier: MIT
#include "accounting/Statistics.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarifuhr {
namespace {

ConnectionRecord Record(const std::string& entry, TDateTime start, TDateTime end, int32_t seconds,
                        double cost, int64_t bytes = 0) {
  ConnectionRecord r;
  r.entry = entry;
  r.start = start;
  r.end = end;
  r.seconds = seconds;
  r.cost = cost;
  r.received = bytes;
  return r;
}

TariffRecord Tariff(TDateTime start, double periodCosts = 0) {
  TariffRecord t;
  t.Name = "Tarif";
  t.EntryName = "Netz";
  t.StartDate = start;
  t.PeriodCosts = periodCosts;
  return t;
}

const TDateTime kDecember = EncodeDate(2026, 12, 1);

TEST(Statistics, PeriodsFollowTheTariffsStartAndTheCalendar) {
  const TariffRecord t = Tariff(EncodeDate(2026, 3, 31) + 0.75);
  EXPECT_EQ(CurrentPeriod(t, kDecember), (DayRange{EncodeDate(2026, 3, 31), EncodeDate(2026, 4, 29)}));
  // February has no 31st: the period before begins on its last day.
  EXPECT_EQ(PreviousPeriod(t, kDecember), (DayRange{EncodeDate(2026, 2, 28), EncodeDate(2026, 3, 30)}));
  EXPECT_EQ(CalendarMonth(2028, 2), (DayRange{EncodeDate(2028, 2, 1), EncodeDate(2028, 2, 29)}));
  EXPECT_EQ(CalendarMonth(2028, 2).Days(), 29);
}

TEST(Statistics, EveryDayOfThePeriodIsThereAndEachEntryHasItsRow) {
  const std::vector<ConnectionRecord> log = {
      Record("Zweit", kDecember + 2.5, kDecember + 2.6, 600, 20, 1000),
      Record("Erst", kDecember + 2.1, kDecember + 2.2, 120, 4, 10),
      Record("Erst", kDecember + 30.1, kDecember + 30.2, 60, 2, 5),
      Record("Erst", kDecember - 1, kDecember - 0.9, 999, 99, 99),  // November
  };
  const PeriodStatistics s = BuildStatistics(log, CalendarMonth(2026, 12));
  ASSERT_EQ(s.days.size(), 31u);
  EXPECT_EQ(s.days.front(), kDecember);
  EXPECT_EQ(s.days.back(), kDecember + 30);
  EXPECT_EQ(s.entries, (std::vector<std::string>{"Erst", "Zweit"}));
  EXPECT_DOUBLE_EQ(s.minutes[0][2], 2);
  EXPECT_DOUBLE_EQ(s.minutes[0][30], 1);
  EXPECT_DOUBLE_EQ(s.minutes[1][2], 10);
  EXPECT_DOUBLE_EQ(s.costs[1][2], 20);
  EXPECT_DOUBLE_EQ(s.dayBytes[1][2], 1000);
  EXPECT_DOUBLE_EQ(s.dayBytes[0][30], 5);
  EXPECT_DOUBLE_EQ(s.minutes[0][0], 0);
  EXPECT_DOUBLE_EQ(s.seconds, 780);
  EXPECT_EQ(s.bytes, 1015);
  EXPECT_DOUBLE_EQ(s.cost, 26);
}

TEST(Statistics, AConnectionOverMidnightCountsOnTheDaysOfThePeriodItReaches) {
  // From the last evening of November into the first of December, and from
  // the last of December into the new year: half of each lies inside.
  const std::vector<ConnectionRecord> log = {
      Record("Netz", kDecember - 1.0 / 24, kDecember + 1.0 / 24, 7200, 60),
      Record("Netz", kDecember + 31 - 1.0 / 24, kDecember + 31 + 1.0 / 24, 7200, 60),
  };
  const PeriodStatistics s = BuildStatistics(log, CalendarMonth(2026, 12));
  ASSERT_EQ(s.entries.size(), 1u);
  EXPECT_NEAR(s.minutes[0][0], 60, 1e-6);
  EXPECT_NEAR(s.minutes[0][30], 60, 1e-6);
  EXPECT_NEAR(s.costs[0][30], 30, 1e-6);
  EXPECT_NEAR(s.seconds, 7200, 1e-6);
}

TEST(Statistics, ATariffsPeriodShowsOnlyItsEntryAsTheLogKeepsIt) {
  const std::string longEntry = "Ein sehr langer Eintragsname";
  const std::vector<ConnectionRecord> log = {
      Record(longEntry.substr(0, 20), kDecember + 0.5, kDecember + 0.6, 60, 3),
      Record("Anderer", kDecember + 0.5, kDecember + 0.6, 60, 5),
  };
  const PeriodStatistics s = BuildStatistics(log, CalendarMonth(2026, 12), longEntry);
  EXPECT_EQ(s.entries, (std::vector<std::string>{longEntry.substr(0, 20)}));
  EXPECT_DOUBLE_EQ(s.cost, 3);
}

TEST(Statistics, NDayPeriodsAndPrepaidCreditHaveTheirOwnRanges) {
  TariffRecord t = Tariff(kDecember + 5, 500);
  t.PeriodType = static_cast<uint8_t>(PeriodKind::Days);
  t.PeriodDays = 28;
  EXPECT_EQ(CurrentPeriod(t, kDecember + 9), (DayRange{kDecember + 5, kDecember + 32}));
  t.PeriodType = static_cast<uint8_t>(PeriodKind::Prepaid);  // up to today, and as long before
  EXPECT_EQ(PreviousPeriod(t, kDecember + 9), (DayRange{kDecember, kDecember + 4}));
  EXPECT_DOUBLE_EQ(ProjectCosts(t, kDecember + 9).cost, 500);
}

TEST(Statistics, AnEmptyLogStillHasTheDaysButNoUse) {
  const PeriodStatistics s = BuildStatistics({}, CurrentPeriod(Tariff(kDecember + 14), kDecember));
  EXPECT_EQ(s.days.size(), 31u);  // 15.12. to 14.1.
  EXPECT_TRUE(s.entries.empty());
  EXPECT_TRUE(s.minutes.empty());
  EXPECT_EQ(s.seconds, 0);
  EXPECT_EQ(s.bytes, 0);
  EXPECT_EQ(s.cost, 0);
}

TEST(Statistics, TheProjectionCarriesTheAveragePerDaySoFarToThePeriodsEnd) {
  TariffRecord t = Tariff(kDecember, 1000);
  // The tenth day of 31, today counted.
  const TDateTime today = kDecember + 9 + 0.3;
  EXPECT_DOUBLE_EQ(ProjectCosts(t, today).cost, 3100);
  EXPECT_FALSE(ProjectCosts(t, today).budget);
  t.CostLimit = 5000;
  EXPECT_EQ(ProjectCosts(t, today).budget, 5000);
  // A time budget is not a sum of money.
  t.TimeLimit = 600;
  EXPECT_FALSE(ProjectCosts(t, today).budget);
  // The first day: its costs alone, times the period's days.
  EXPECT_DOUBLE_EQ(ProjectCosts(t, kDecember + 0.1).cost, 31000);
}

TEST(Statistics, TimeAndVolumeAreProjectedLikeTheCosts) {
  TariffRecord t = Tariff(kDecember);
  const TDateTime today = kDecember + 9 + 0.3;  // day 10 of 31
  EXPECT_FALSE(ProjectTime(t, today));
  EXPECT_FALSE(ProjectVolume(t, today, true));
  t.TimeLimit = 5400;
  t.PeriodSeconds = 36000;
  EXPECT_DOUBLE_EQ(ProjectTime(t, today).value().seconds, 111600);
  EXPECT_DOUBLE_EQ(ProjectTime(t, today).value().budget, 324000);

  // 1 GB in ten days of a 5 GB volume: 3,1 GB at the end, enough.
  constexpr int64_t kGB = int64_t{1} << 30;
  t.VolumeLimit = 5 * kGB;
  t.PeriodBytes = kGB - 1000;
  t.ConnectionBytes = 1000;
  std::optional<VolumeProjection> v = ProjectVolume(t, today, true);
  ASSERT_TRUE(v);
  EXPECT_DOUBLE_EQ(v->bytes, 3.1 * kGB);
  EXPECT_EQ(v->limit, 5 * kGB);
  EXPECT_FALSE(v->lastDay);
  // 2 GB in ten days of an inactive tariff: 0,2 GB a day reaches 5 GB on
  // day 25.
  t.PeriodBytes = 2 * kGB;
  EXPECT_EQ(ProjectVolume(t, today, false)->lastDay, kDecember + 24);
}

TEST(Statistics, AxesStepByWholeNumbersWithoutRepeatingALabel) {
  EXPECT_EQ(WholeAxisFor(0), (WholeAxis{1, 2}));
  EXPECT_EQ(WholeAxisFor(7), (WholeAxis{8, 5}));
  for (double highest : {0.3, 1.0, 2.5, 9.9, 47.0, 101.0, 1234.0, 1e6}) {
    const WholeAxis a = WholeAxisFor(highest);
    EXPECT_GE(a.top, highest);
    EXPECT_EQ(std::fmod(a.top, a.ticks - 1), 0) << highest;
    EXPECT_LE(a.ticks, 6) << highest;
  }
}

}  // namespace
}  // namespace tarifuhr
