// SPDX-License-Identifier: MIT
#include "accounting/TariffLimits.h"

#include <cmath>

#include "accounting/NumberText.h"

namespace tarifuhr {
namespace {

// Clears `value` when `ok` says it can't be; true when it was kept.
template <class T>
bool Keep(T& value, bool ok) {
  if (!ok) value = 0;
  return ok;
}

bool IsDate(double d) { return std::isfinite(d) && d >= kFirstDate && d <= kLastDate; }
// A time of day that may carry a date part.
bool IsDateTime(double d) { return std::isfinite(d) && d >= kFirstDate && d <= kLastDate + 1; }

}  // namespace

bool IsAmount(double value, double max) { return std::isfinite(value) && value >= 0 && value <= max; }

ValueOutOfRange::ValueOutOfRange(const std::string& text, const std::string& field, double max, char sep,
                                 double min)
    : std::runtime_error("'" + text + "' ist für „" + field + "“ kein gültiger Wert: möglich sind " +
                         FloatToText(min, sep) + " bis " + FloatToText(max, sep) + ".") {}

double AmountFromText(const std::string& text, char sep, const AmountField& field, double perUnit) {
  const double value = TextToFloat(text, sep);
  const double max = field.max / perUnit;
  if (!IsAmount(value, max)) throw ValueOutOfRange(text, field.label, max, sep);
  return value;
}

bool ClearImpossibleValues(TariffRecord& t) {
  bool ok = true;
  const auto keep = [&ok](auto& value, bool possible) { ok = Keep(value, possible) && ok; };
  keep(t.StartDate, IsDate(t.StartDate));
  keep(t.LastDay, IsDate(t.LastDay));
  keep(t.SecondsToday, t.SecondsToday >= 0);
  keep(t.ConnectionBytes, t.ConnectionBytes >= 0);
  keep(t.PricePerMinute, IsAmount(t.PricePerMinute, kMaxPricePerMinute));
  keep(t.CostLimit, IsAmount(t.CostLimit, kMaxCostLimit));
  keep(t.TimeLimit, IsAmount(t.TimeLimit, kMaxTimeLimit));
  keep(t.PeriodSeconds, IsAmount(t.PeriodSeconds, kMaxPeriodSeconds));
  keep(t.PeriodCosts, IsAmount(t.PeriodCosts, kMaxPeriodCosts));
  // Allowances are negative once a budget is overdrawn.
  keep(t.DailyAllowance, std::isfinite(t.DailyAllowance));
  keep(t.TodayAllowance, std::isfinite(t.TodayAllowance));
  keep(t.PeriodBytes, t.PeriodBytes >= 0);
  keep(t.WindowFrom, IsDateTime(t.WindowFrom));
  keep(t.WindowTo, IsDateTime(t.WindowTo));
  keep(t.DialInFee, IsAmount(t.DialInFee, kMaxDialInFee));
  keep(t.VolumeLimit, t.VolumeLimit >= 0 && t.VolumeLimit <= kMaxVolumeBytes);
  keep(t.VolumeUnit, t.VolumeUnit >= 0 && t.VolumeUnit <= kMaxVolumeBytes);
  keep(t.VolumeUnitPrice, IsAmount(t.VolumeUnitPrice, kMaxVolumeUnitPrice));
  keep(t.BytesToday, t.BytesToday >= 0);
  keep(t.VolumeDailyAllowance, std::isfinite(t.VolumeDailyAllowance));
  keep(t.PeriodType, t.PeriodType <= static_cast<uint8_t>(PeriodKind::Prepaid));
  const bool everyDays = t.PeriodType == static_cast<uint8_t>(PeriodKind::Days);
  keep(t.PeriodDays, everyDays ? t.PeriodDays >= 1 && t.PeriodDays <= kMaxPeriodDays : t.PeriodDays == 0);
  // A period of N days without its N is no period: back to the month.
  if (everyDays && t.PeriodDays == 0) t.PeriodType = 0;
  keep(t.OffPeakFrom, IsDateTime(t.OffPeakFrom));
  keep(t.OffPeakTo, IsDateTime(t.OffPeakTo));
  keep(t.OffPeakPricePerMinute, IsAmount(t.OffPeakPricePerMinute, kMaxPricePerMinute));
  keep(t.OffPeakUnitPrice, IsAmount(t.OffPeakUnitPrice, kMaxVolumeUnitPrice));
  return ok;
}

bool ClearImpossibleValues(TotalsRecord& t) {
  bool ok = true;
  const auto keep = [&ok](double& value, bool possible) { ok = Keep(value, possible) && ok; };
  // OnlineSeconds loses each period's costs at a roll-over: any sign.
  keep(t.OnlineSeconds, std::isfinite(t.OnlineSeconds));
  keep(t.AllowanceSum, std::isfinite(t.AllowanceSum));
  keep(t.RemainingSum, std::isfinite(t.RemainingSum));
  keep(t.LastOnlineDay, IsDate(t.LastOnlineDay));
  return ok;
}

}  // namespace tarifuhr
