// SPDX-License-Identifier: MIT
#include "accounting/TariffStore.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "accounting/ByteLayout.h"
#include "accounting/NumberText.h"
#include "accounting/TariffLimits.h"

namespace tarifuhr {

void CheckTariffValues(const TariffValues& v) {
  const auto check = [](double value, const AmountField& field) {
    if (!IsAmount(value, field.max))
      throw ValueOutOfRange(FloatToText(value, ','), field.label, field.max, ',');
  };
  check(v.PricePerMinute, kPricePerMinuteField);
  check(v.CostLimit, kCostLimitField);
  check(v.TimeLimit, kTimeLimitField);
  check(v.DialInFee, kDialInFeeField);
  check(v.PeriodSeconds, kPeriodSecondsField);
  check(v.PeriodCosts, kPeriodCostsField);
  check(static_cast<double>(v.VolumeLimit), kVolumeLimitField);
  check(static_cast<double>(v.VolumeUnit), kVolumeUnitField);
  check(v.VolumeUnitPrice, kVolumeUnitPriceField);
  check(v.OffPeakPricePerMinute, kOffPeakPriceField);
  check(v.OffPeakUnitPrice, kOffPeakUnitPriceField);
  if (v.VolumeUsed) check(static_cast<double>(*v.VolumeUsed), kVolumeUsedField);
  if (v.PeriodType > static_cast<uint8_t>(PeriodKind::Prepaid))
    throw ValueOutOfRange(std::to_string(v.PeriodType), "Zeitraum", static_cast<double>(PeriodKind::Prepaid),
                          ',');
  const bool everyDays = v.PeriodType == static_cast<uint8_t>(PeriodKind::Days);
  if (everyDays ? v.PeriodDays < 1 || v.PeriodDays > kMaxPeriodDays : v.PeriodDays != 0)
    throw ValueOutOfRange(std::to_string(v.PeriodDays), kPeriodDaysField.label, kMaxPeriodDays, ',', 1);
  for (const double date : {v.StartDate, v.WindowFrom, v.WindowTo, v.OffPeakFrom, v.OffPeakTo})
    if (!(std::isfinite(date) && date >= kFirstDate && date <= kLastDate + 1))
      throw ValueOutOfRange(FloatToText(date, ','), "Startdatum", kLastDate, ',');
}

int StoreTariff(std::vector<TariffRecord>& tariffs, int index, const TariffValues& v) {
  CheckTariffValues(v);
  if (index == -1) {
    tariffs.emplace_back();
    index = static_cast<int>(tariffs.size()) - 1;
  } else if (index < 0 || static_cast<size_t>(index) >= tariffs.size()) {
    throw std::out_of_range("tariff index");
  }
  TariffRecord& t = tariffs[static_cast<size_t>(index)];
  t.Name = CutToShortString(v.Name, 20);
  t.StartDate = v.StartDate;
  t.PricePerMinute = v.PricePerMinute;
  t.CostLimit = v.CostLimit;
  t.TimeLimit = v.TimeLimit;
  t.DailyAllowance = 0;
  t.TodayAllowance = 0;
  t.WindowFrom = v.WindowFrom;
  t.WindowTo = v.WindowTo;
  t.InTotals = v.InTotals;
  t.EntryName = CutToShortString(v.EntryName, 20);
  t.UserName = CutToShortString(v.UserName, 50);
  t.Password = CutToShortString(v.Password, 20);
  t.PeriodSeconds = v.PeriodSeconds;
  t.PeriodCosts = v.PeriodCosts;
  t.DialInFee = v.DialInFee;
  t.VolumeLimit = v.VolumeLimit;
  t.VolumeUnit = v.VolumeUnit;
  t.VolumeUnitPrice = v.VolumeUnitPrice;
  t.VolumeDailyAllowance = 0;
  t.HangUpWhenVolumeUsed = v.HangUpWhenVolumeUsed;
  t.HangUpWhenBudgetUsed = v.HangUpWhenBudgetUsed;
  t.PeriodType = v.PeriodType;
  t.PeriodDays = v.PeriodDays;
  t.OffPeakFrom = v.OffPeakFrom;
  t.OffPeakTo = v.OffPeakTo;
  t.OffPeakPricePerMinute = v.OffPeakPricePerMinute;
  t.OffPeakUnitPrice = v.OffPeakUnitPrice;
  // The open connection's bytes reach the period when it ends.
  if (v.VolumeUsed) t.PeriodBytes = std::max<int64_t>(0, *v.VolumeUsed - t.ConnectionBytes);
  return index;
}

bool SameTariffSettings(const TariffRecord& a, const TariffRecord& b) {
  return a.Name == b.Name && a.PricePerMinute == b.PricePerMinute && a.CostLimit == b.CostLimit &&
         a.TimeLimit == b.TimeLimit && a.WindowFrom == b.WindowFrom && a.WindowTo == b.WindowTo &&
         a.InTotals == b.InTotals && a.DialInFee == b.DialInFee && a.EntryName == b.EntryName &&
         a.UserName == b.UserName && a.Password == b.Password && a.VolumeLimit == b.VolumeLimit &&
         a.VolumeUnit == b.VolumeUnit && a.VolumeUnitPrice == b.VolumeUnitPrice &&
         a.HangUpWhenVolumeUsed == b.HangUpWhenVolumeUsed &&
         a.HangUpWhenBudgetUsed == b.HangUpWhenBudgetUsed && a.PeriodType == b.PeriodType &&
         a.PeriodDays == b.PeriodDays && a.OffPeakFrom == b.OffPeakFrom && a.OffPeakTo == b.OffPeakTo &&
         a.OffPeakPricePerMinute == b.OffPeakPricePerMinute && a.OffPeakUnitPrice == b.OffPeakUnitPrice;
}

void EditedTariff::Set(const std::string& user, int index, const TariffRecord& record) {
  user_ = user;
  index_ = index;
  settings_ = record;
}

void EditedTariff::Clear() {
  user_.clear();
  index_ = -1;
  settings_ = {};
}

void EditedTariff::TariffRemoved(int index) {
  if (index_ < 0) return;
  if (index == index_)
    index_ = -2;  // gone for good
  else if (index < index_)
    --index_;
}

int EditedTariff::Locate(const std::string& currentUser, const std::vector<TariffRecord>& tariffs) const {
  if (index_ < 0 || user_ != currentUser || static_cast<size_t>(index_) >= tariffs.size()) return -1;
  if (!SameTariffSettings(tariffs[static_cast<size_t>(index_)], settings_)) return -1;
  return index_;
}

}  // namespace tarifuhr
