// SPDX-License-Identifier: MIT
#include "accounting/Statistics.h"

#include <algorithm>
#include <cmath>

#include "accounting/ByteLayout.h"
#include "accounting/ChargingRules.h"
#include "accounting/ConnectionHistory.h"

namespace tarifuhr {

int DayRange::Days() const {
  return std::max(0, static_cast<int>(std::floor(lastDay) - std::floor(firstDay)) + 1);
}

DayRange CurrentPeriod(const TariffRecord& t, TDateTime today) {
  const TDateTime start = DateOf(t.StartDate);
  if (const auto end = PeriodEndOf(t)) return {start, *end - 1};
  // Prepaid credit: from its start up to today.
  return {start, std::max(start, DateOf(today))};
}

DayRange PreviousPeriod(const TariffRecord& t, TDateTime today) {
  const TDateTime start = DateOf(t.StartDate);
  if (PeriodEndOf(t)) return {PreviousPeriodStart(t), start - 1};
  // Credit has no period before: as many days before its start.
  const int days = CurrentPeriod(t, today).Days();
  return {start - days, start - 1};
}

DayRange CalendarMonth(int year, int month) {
  return {EncodeDate(year, month, 1), EncodeDate(year, month, DaysInMonth(year, month))};
}

PeriodStatistics BuildStatistics(const std::vector<ConnectionRecord>& records, const DayRange& period,
                                 const std::optional<std::string>& entry) {
  PeriodStatistics s;
  const int dayCount = period.Days();
  if (dayCount == 0) return s;
  const TDateTime first = DateOf(period.firstDay);
  for (int i = 0; i < dayCount; ++i) s.days.push_back(first + i);

  std::vector<DayUse> use = UseByDay(records, first, first + dayCount - 1);
  if (entry) {
    // The log keeps the entry as cut to its field.
    const std::string kept = CutToShortString(*entry, 20);
    std::erase_if(use, [&kept](const DayUse& u) { return u.entry != kept; });
  }
  for (const DayUse& u : use) s.entries.push_back(u.entry);
  std::sort(s.entries.begin(), s.entries.end());
  s.entries.erase(std::unique(s.entries.begin(), s.entries.end()), s.entries.end());

  s.minutes.assign(s.entries.size(), std::vector<double>(static_cast<size_t>(dayCount), 0.0));
  s.costs = s.minutes;
  s.dayBytes = s.minutes;
  for (const DayUse& u : use) {
    const auto e = static_cast<size_t>(std::lower_bound(s.entries.begin(), s.entries.end(), u.entry) -
                                       s.entries.begin());
    const auto d = static_cast<size_t>(std::floor(u.day) - first);
    s.minutes[e][d] += u.seconds / 60;
    s.costs[e][d] += u.cost;
    s.dayBytes[e][d] += static_cast<double>(u.received + u.sent);
    s.seconds += u.seconds;
    s.bytes += u.received + u.sent;
    s.cost += u.cost;
  }
  return s;
}

namespace {

// Days of the running period so far, today included, and all of them.
std::pair<int, int> ElapsedAndDays(const TariffRecord& t, TDateTime today) {
  const DayRange period = CurrentPeriod(t, today);
  const int days = period.Days();
  return {std::clamp(DayRange{period.firstDay, DateOf(today)}.Days(), 1, std::max(days, 1)), days};
}

}  // namespace

CostProjection ProjectCosts(const TariffRecord& t, TDateTime today) {
  const auto [elapsed, days] = ElapsedAndDays(t, today);
  CostProjection p;
  p.cost = t.PeriodCosts / elapsed * days;
  if (BudgetOf(t) == BudgetKind::Cost) p.budget = t.CostLimit;
  return p;
}

std::optional<TimeProjection> ProjectTime(const TariffRecord& t, TDateTime today) {
  if (BudgetOf(t) != BudgetKind::Time) return std::nullopt;
  const auto [elapsed, days] = ElapsedAndDays(t, today);
  return TimeProjection{t.PeriodSeconds / elapsed * days, t.TimeLimit * 60};
}

std::optional<VolumeProjection> ProjectVolume(const TariffRecord& t, TDateTime today, bool active) {
  if (!HasVolumeLimit(t)) return std::nullopt;
  const auto [elapsed, days] = ElapsedAndDays(t, today);
  const double used = static_cast<double>(t.PeriodBytes + (active ? t.ConnectionBytes : 0));
  const double perDay = used / elapsed;
  VolumeProjection p{perDay * days, t.VolumeLimit, std::nullopt};
  if (p.bytes > static_cast<double>(t.VolumeLimit)) {
    // The day whose use reaches the limit, the first day counting as one.
    const double reached = std::ceil(static_cast<double>(t.VolumeLimit) / perDay);
    p.lastDay = CurrentPeriod(t, today).firstDay + std::max(reached, 1.0) - 1;
  }
  return p;
}

WholeAxis WholeAxisFor(double highest) {
  if (!(highest > 0)) return {};
  // Steps of 1, 2 or 5 times a power of ten, at most five of them.
  double step = 1;
  for (double power = 1;; power *= 10) {
    const double found = highest / 5 <= power ? power : highest / 5 <= 2 * power ? 2 * power : 5 * power;
    if (highest / 5 <= 5 * power) {
      step = found;
      break;
    }
  }
  const double steps = std::max(1.0, std::ceil(highest / step));
  return {steps * step, static_cast<int>(steps) + 1};
}

}  // namespace tarifuhr
