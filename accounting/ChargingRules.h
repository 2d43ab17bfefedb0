// SPDX-License-Identifier: MIT
#pragma once
// How a tariff is charged: monthly periods, allowances, the daily time
// window and the charges of a connection. Each rule works on one tariff
// and the date and time it is given.

#include <cstdint>
#include <optional>

#include "accounting/TariffRecord.h"
#include "platform/DateTime.h"

namespace tarifuhr {

enum class BudgetKind { None, Time, Cost };

BudgetKind BudgetOf(const TariffRecord& t);
bool HasBudget(const TariffRecord& t);
// The period's time or cost budget is reached.
bool IsBudgetUsedUp(const TariffRecord& t);

// The tariff's kind of period; N days without a usable N are a month.
PeriodKind PeriodKindOf(const TariffRecord& t);

// One calendar month after the start, clamped to that month's last day.
TDateTime PeriodEnd(TDateTime startDate);
// The day the tariff's running period ends and the next begins: a month
// or N days after its start. Prepaid credit has no end: nullopt.
std::optional<TDateTime> PeriodEndOf(const TariffRecord& t);
// The start of the period before the running one (a month or N days
// earlier); for prepaid credit the start itself.
TDateTime PreviousPeriodStart(const TariffRecord& t);
// period end - today, truncated toward zero.
int DaysToEnd(TDateTime periodEnd, TDateTime today);

// A new period begins when the start lies a period or more behind today:
// on the anniversary itself, and also when the PC was not counting then.
// The start moves to the latest anniversary (monthly, or every N days)
// not after today and the period's counters start from zero. Returns the
// period end to count the days to: the end before any change, so 0 days
// (allowances kept) in the second a new period begins. Prepaid credit
// never rolls over; its end is tomorrow, so all that is left is today's.
TDateTime RollOverPeriod(TariffRecord& t, TotalsRecord& totals, TDateTime today);
// Pulls a start date in the future back to the month before today's (or
// N days at a time to the latest not after today), for a period that has
// not counted anything yet (a tariff made ahead of time).
void CatchUpPeriod(TariffRecord& t, TDateTime today);

// Tops up prepaid credit by `amount` in the budget's own unit (minutes for
// a time budget, else cents, which gives a tariff without budget a cost
// budget). Starts no new period.
void Recharge(TariffRecord& t, double amount);
// What is left of the budget in its own unit (minutes or cents; 0 without
// one), and the period's figures set so that `left` is.
double CreditLeft(const TariffRecord& t);
void SetCreditLeft(TariffRecord& t, double left);

// Tomorrow for prepaid credit (all that is left is today's), else the
// running period's end.
TDateTime AllowanceEnd(const TariffRecord& t, TDateTime today);
// The allowances of time, costs and volume from the period's figures as
// they stand, at once rather than at the next counted second.
void RecomputeAllowances(TariffRecord& t, TDateTime today);

// Whole minutes allowed today; kept when a divisor is 0.
void UpdateTodayAllowance(TariffRecord& t, int daysToEnd);
// Minutes per day left in the period, unrounded; kept when a divisor is 0.
void UpdateDailyAllowance(TariffRecord& t, int daysToEnd);
// The allowances (time, cost and volume) the tariff's next counted second
// would give on `today`, for a tariff that is not counting: the period is
// taken as it will be then, the counters are left alone.
void ComputeAllowances(TariffRecord& t, TDateTime today);
// Seconds left of today's allowance ("Z.Konto"); negative when used up.
double SecondsLeftToday(const TariffRecord& t);

// A day after LastDay resets the day counters; a clock behind LastDay
// keeps them. The bytes of an open connection stay
// with the connection and reach PeriodBytes when it ends.
void ApplyDayChange(TariffRecord& t, TDateTime today);

// Data volume. Used: the period's bytes and the open connection's.
bool HasVolumeLimit(const TariffRecord& t);
int64_t VolumeUsed(const TariffRecord& t);
int64_t VolumeLeftInPeriod(const TariffRecord& t);
bool IsVolumeUsedUp(const TariffRecord& t);
// Bytes a day still allowed; kept when the divisor is 0.
void UpdateVolumeDailyAllowance(TariffRecord& t, int daysToEnd);
// Today's volume allowance, in whole bytes.
int64_t VolumeAllowedToday(const TariffRecord& t);
// Of today's volume allowance; negative when used up.
int64_t VolumeLeftToday(const TariffRecord& t);
// Billing units a connection of `bytes` has begun: 250 KB at 100 KB are 3.
int64_t UnitsBegun(int64_t bytes, int64_t unit);

// True when the tariff has a time window and the hour of `now` lies
// outside it. Only hours count; a window whose from-hour is later than its
// to-hour runs over midnight.
bool IsOutsideTimeWindow(const TariffRecord& t, TDateTime now);

// Whether the tariff's cheaper hours hold the hour of `at`: from the
// from-hour up to, not including, the to-hour; over midnight when the
// to-hour comes first. Equal hours: no cheaper hours.
bool IsOffPeak(const TariffRecord& t, TDateTime at);
// The price of a minute, or of a volume unit, that begins at `at`.
double PriceOfMinute(const TariffRecord& t, TDateTime at);
double PriceOfUnit(const TariffRecord& t, TDateTime at);

// A minute is charged at the connection's counted seconds 0, 60, 120, ...
inline constexpr int32_t kSecondsPerCharge = 60;
inline bool IsChargeSecond(int32_t connectionSeconds, int32_t nextChargeSecond) {
  return connectionSeconds == nextChargeSecond;
}

// An open connection's bytes go to the period once, when it ends (or is
// saved).
inline void FoldConnectionBytes(TariffRecord& t) {
  t.PeriodBytes += t.ConnectionBytes;
  t.ConnectionBytes = 0;
}

// Rounds halves to the even number, as the platform's Round does.
double RoundHalfEven(double v);

}  // namespace tarifuhr
