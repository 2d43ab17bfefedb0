// SPDX-License-Identifier: MIT
#include "accounting/ChargingRules.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarifuhr {

BudgetKind BudgetOf(const TariffRecord& t) {
  if (t.TimeLimit > 0) return BudgetKind::Time;
  if (t.CostLimit > 0) return BudgetKind::Cost;
  return BudgetKind::None;
}

bool HasBudget(const TariffRecord& t) { return BudgetOf(t) != BudgetKind::None; }

bool IsBudgetUsedUp(const TariffRecord& t) {
  switch (BudgetOf(t)) {
    case BudgetKind::Time: return t.PeriodSeconds / 60 >= t.TimeLimit;
    case BudgetKind::Cost: return t.PeriodCosts >= t.CostLimit;
    case BudgetKind::None: break;
  }
  return false;
}

PeriodKind PeriodKindOf(const TariffRecord& t) {
  switch (t.PeriodType) {
    case static_cast<uint8_t>(PeriodKind::Days):
      if (t.PeriodDays >= 1 && t.PeriodDays <= kMaxPeriodDays) return PeriodKind::Days;
      break;
    case static_cast<uint8_t>(PeriodKind::Prepaid): return PeriodKind::Prepaid;
    default: break;
  }
  return PeriodKind::CalendarMonth;
}

TDateTime PeriodEnd(TDateTime startDate) { return DateOf(AddMonthsClamped(DateOf(startDate), 1)); }

std::optional<TDateTime> PeriodEndOf(const TariffRecord& t) {
  switch (PeriodKindOf(t)) {
    case PeriodKind::Days: return DateOf(t.StartDate) + t.PeriodDays;
    case PeriodKind::Prepaid: return std::nullopt;
    case PeriodKind::CalendarMonth: break;
  }
  return PeriodEnd(t.StartDate);
}

TDateTime PreviousPeriodStart(const TariffRecord& t) {
  const TDateTime start = DateOf(t.StartDate);
  switch (PeriodKindOf(t)) {
    case PeriodKind::Days: return start - t.PeriodDays;
    case PeriodKind::Prepaid: return start;
    case PeriodKind::CalendarMonth: break;
  }
  return DateOf(AddMonthsClamped(start, -1));
}

int DaysToEnd(TDateTime periodEnd, TDateTime today) {
  return static_cast<int>(std::trunc(periodEnd - today));
}

namespace {

int64_t MonthIndex(const CivilDate& d) { return int64_t{d.year} * 12 + (d.month - 1); }

TDateTime Anniversary(const CivilDate& start, int64_t monthIndex) {
  const int64_t year = monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
  return DateInMonthClamped(static_cast<int>(year), static_cast<int>(monthIndex - year * 12 + 1), start.day);
}

}  // namespace

namespace {

// The latest start of a period of `days` days not after today.
TDateTime LatestStartOfDays(TDateTime start, int days, TDateTime today) {
  return start + std::floor((DateOf(today) - start) / days) * days;
}

}  // namespace

TDateTime RollOverPeriod(TariffRecord& t, TotalsRecord& totals, TDateTime today) {
  TDateTime newStart = 0;
  switch (PeriodKindOf(t)) {
    case PeriodKind::Prepaid: return AllowanceEnd(t, today);
    case PeriodKind::Days: {
      const TDateTime start = DateOf(t.StartDate);
      if (today < start + t.PeriodDays) return start + t.PeriodDays;
      newStart = LatestStartOfDays(start, t.PeriodDays, today);
      break;
    }
    case PeriodKind::CalendarMonth: {
      const CivilDate start = DecodeDate(t.StartDate);
      int64_t latest = MonthIndex(DecodeDate(today));
      if (Anniversary(start, latest) > today) --latest;
      if (latest <= MonthIndex(start)) return PeriodEnd(t.StartDate);
      newStart = Anniversary(start, latest);
      break;
    }
  }
  // Last period's use must not count against this one's budget, however
  // many anniversaries passed while the PC was off.
  if (t.InTotals) totals.OnlineSeconds -= t.PeriodCosts;
  t.StartDate = newStart;
  t.PeriodSeconds = 0;
  t.PeriodCosts = 0;
  t.PeriodBytes = 0;
  return today;
}

void CatchUpPeriod(TariffRecord& t, TDateTime today) {
  // A period that has counted anything is kept while the clock lies before
  // it: the clock is wrong (NTP step, a dead clock battery), not the start.
  if (t.PeriodSeconds != 0 || t.PeriodCosts != 0 || t.PeriodBytes != 0) return;
  switch (PeriodKindOf(t)) {
    case PeriodKind::Prepaid: return;
    case PeriodKind::Days:
      if (DateOf(t.StartDate) > today)
        t.StartDate = LatestStartOfDays(DateOf(t.StartDate), t.PeriodDays, today);
      return;
    case PeriodKind::CalendarMonth: break;
  }
  const CivilDate start = DecodeDate(t.StartDate);
  const CivilDate now = DecodeDate(today);
  if (MonthIndex(start) <= MonthIndex(now)) return;
  t.StartDate = Anniversary(start, MonthIndex(now) - 1);
  t.PeriodSeconds = 1;
  t.PeriodCosts = 0;
  t.PeriodBytes = 0;
}

double RoundHalfEven(double v) { return std::nearbyint(v); }

TDateTime AllowanceEnd(const TariffRecord& t, TDateTime today) {
  return PeriodEndOf(t).value_or(DateOf(today) + 1);
}

void RecomputeAllowances(TariffRecord& t, TDateTime today) {
  const int days = DaysToEnd(AllowanceEnd(t, today), DateOf(today));
  UpdateTodayAllowance(t, days);
  UpdateDailyAllowance(t, days);
  UpdateVolumeDailyAllowance(t, days);
}

void UpdateTodayAllowance(TariffRecord& t, int daysToEnd) {
  const double used = t.PeriodSeconds / 60.0;
  switch (BudgetOf(t)) {
    case BudgetKind::Time:
      if (daysToEnd != 0) t.TodayAllowance = RoundHalfEven((t.TimeLimit - used) / daysToEnd);
      break;
    case BudgetKind::Cost:
      if (daysToEnd != 0 && t.PricePerMinute != 0)
        t.TodayAllowance = RoundHalfEven((t.CostLimit / t.PricePerMinute - used) / daysToEnd);
      break;
    case BudgetKind::None: t.TodayAllowance = 0; break;
  }
}

void UpdateDailyAllowance(TariffRecord& t, int daysToEnd) {
  const double used = t.PeriodSeconds / 60.0;
  switch (BudgetOf(t)) {
    case BudgetKind::Time:
      if (daysToEnd != 0) t.DailyAllowance = (t.TimeLimit - used) / daysToEnd;
      break;
    case BudgetKind::Cost:
      if (daysToEnd != 0 && t.PricePerMinute != 0)
        t.DailyAllowance = (t.CostLimit - used * t.PricePerMinute) / daysToEnd / t.PricePerMinute;
      break;
    case BudgetKind::None: t.DailyAllowance = 0; break;
  }
}

void ComputeAllowances(TariffRecord& t, TDateTime today) {
  // On a copy: a new period or the catch-up resets counters only when the
  // tariff counts again. A catch-up may leave a period that has ended, so
  // the roll-over is asked once more.
  TariffRecord next = t;
  TotalsRecord untouched;
  RollOverPeriod(next, untouched, today);
  CatchUpPeriod(next, today);
  RollOverPeriod(next, untouched, today);
  RecomputeAllowances(next, today);
  t.TodayAllowance = next.TodayAllowance;
  t.DailyAllowance = next.DailyAllowance;
  t.VolumeDailyAllowance = next.VolumeDailyAllowance;
}

double SecondsLeftToday(const TariffRecord& t) { return t.TodayAllowance * 60 - t.SecondsToday; }

void ApplyDayChange(TariffRecord& t, TDateTime today) {
  // Only forward: a clock set back a day and forward again is still today.
  if (today <= t.LastDay) return;
  t.LastDay = today;
  t.SecondsToday = 0;
  t.BytesToday = 0;
}

bool HasVolumeLimit(const TariffRecord& t) { return t.VolumeLimit > 0; }

namespace {

// Counts from a damaged file may be anything: saturate rather than wrap.
int64_t Saturated(bool overflowed, int64_t value, bool towardsMax) {
  if (!overflowed) return value;
  return towardsMax ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

}  // namespace

int64_t VolumeUsed(const TariffRecord& t) {
  int64_t sum = 0;
  const bool overflowed = __builtin_add_overflow(t.PeriodBytes, t.ConnectionBytes, &sum);
  return Saturated(overflowed, sum, t.PeriodBytes > 0);
}

int64_t VolumeLeftInPeriod(const TariffRecord& t) {
  const int64_t used = VolumeUsed(t);
  int64_t left = 0;
  const bool overflowed = __builtin_sub_overflow(t.VolumeLimit, used, &left);
  return Saturated(overflowed, left, used < 0);
}

bool IsVolumeUsedUp(const TariffRecord& t) { return HasVolumeLimit(t) && VolumeUsed(t) >= t.VolumeLimit; }

void UpdateVolumeDailyAllowance(TariffRecord& t, int daysToEnd) {
  if (!HasVolumeLimit(t))
    t.VolumeDailyAllowance = 0;
  else if (daysToEnd != 0)
    t.VolumeDailyAllowance = static_cast<double>(VolumeLeftInPeriod(t)) / daysToEnd;
}

namespace {

int64_t WholeBytes(double bytes) {
  if (std::isnan(bytes)) return 0;
  constexpr double kBound = 9e18;  // inside int64_t's range
  return static_cast<int64_t>(std::clamp(bytes, -kBound, kBound));
}

}  // namespace

int64_t VolumeAllowedToday(const TariffRecord& t) { return WholeBytes(t.VolumeDailyAllowance); }

int64_t VolumeLeftToday(const TariffRecord& t) {
  return WholeBytes(t.VolumeDailyAllowance - static_cast<double>(t.BytesToday));
}

int64_t UnitsBegun(int64_t bytes, int64_t unit) {
  if (unit <= 0 || bytes <= 0) return 0;
  return bytes / unit + (bytes % unit != 0 ? 1 : 0);
}

bool IsOutsideTimeWindow(const TariffRecord& t, TDateTime now) {
  if (t.WindowFrom == t.WindowTo) return false;
  const int hour = HourOf(now);
  const int from = HourOf(t.WindowFrom);
  const int to = HourOf(t.WindowTo);
  if (from <= to) return hour < from || hour > to;
  return hour < from && hour > to;  // over midnight, e.g. 23:00-09:00
}

void Recharge(TariffRecord& t, double amount) {
  if (BudgetOf(t) == BudgetKind::Time)
    t.TimeLimit += amount;
  else
    t.CostLimit += amount;
}

double CreditLeft(const TariffRecord& t) {
  switch (BudgetOf(t)) {
    case BudgetKind::Time: return t.TimeLimit - t.PeriodSeconds / 60;
    case BudgetKind::Cost: return t.CostLimit - t.PeriodCosts;
    case BudgetKind::None: break;
  }
  return 0;
}

void SetCreditLeft(TariffRecord& t, double left) {
  switch (BudgetOf(t)) {
    case BudgetKind::Time: t.PeriodSeconds = (t.TimeLimit - left) * 60; break;
    case BudgetKind::Cost: t.PeriodCosts = t.CostLimit - left; break;
    case BudgetKind::None: break;
  }
}

bool IsOffPeak(const TariffRecord& t, TDateTime at) {
  const int from = HourOf(t.OffPeakFrom);
  const int to = HourOf(t.OffPeakTo);
  if (from == to) return false;
  const int hour = HourOf(at);
  if (from < to) return hour >= from && hour < to;
  return hour >= from || hour < to;  // over midnight, e.g. 18:00-08:00
}

double PriceOfMinute(const TariffRecord& t, TDateTime at) {
  return IsOffPeak(t, at) ? t.OffPeakPricePerMinute : t.PricePerMinute;
}

double PriceOfUnit(const TariffRecord& t, TDateTime at) {
  return IsOffPeak(t, at) ? t.OffPeakUnitPrice : t.VolumeUnitPrice;
}

}  // namespace tarifuhr
