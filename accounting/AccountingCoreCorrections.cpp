// SPDX-License-Identifier: MIT
// The core's corrections of a period: the provider's figures taken over,
// prepaid credit topped up.
#include <algorithm>

#include "accounting/AccountingCore.h"
#include "accounting/ChargingRules.h"
#include "accounting/NumberText.h"
#include "accounting/TariffLimits.h"

namespace tarifuhr {
namespace {

void CheckAmount(double value, const AmountField& field, char separator) {
  if (!IsAmount(value, field.max))
    throw ValueOutOfRange(FloatToText(value, separator), field.label, field.max, separator);
}

}  // namespace

void AccountingCore::TakeProviderFigures(int index, const ProviderFigures& figures) {
  TariffRecord& t = tariffs_.at(static_cast<size_t>(index));
  const char separator = services_.regional.decimalSeparator;
  CheckAmount(figures.periodSeconds, kPeriodSecondsField, separator);
  CheckAmount(figures.periodCosts, kPeriodCostsField, separator);
  CheckAmount(static_cast<double>(figures.volumeUsed), kVolumeUsedField, separator);

  const TDateTime now = services_.clock.Now();
  // The log's sums must come out at the period's figures again. Its byte
  // counts cannot go below zero: a volume set lower stands in the period
  // only.
  ConnectionRecord correction;
  correction.entry = kCorrectionEntry;
  correction.start = correction.end = now;
  correction.cost = figures.periodCosts - t.PeriodCosts;
  correction.received = std::max<int64_t>(0, figures.volumeUsed - VolumeUsed(t));
  services_.log.Append(correction);  // first: a failure changes nothing

  t.PeriodSeconds = figures.periodSeconds;
  t.PeriodCosts = figures.periodCosts;
  t.PeriodBytes = std::max<int64_t>(0, figures.volumeUsed - t.ConnectionBytes);
  RecomputeAllowances(t, DateOf(now));
  TakeLog();
  TariffsChanged();
  SaveUser();
}

void AccountingCore::RechargeCredit(int index, double amount) {
  TariffRecord& t = tariffs_.at(static_cast<size_t>(index));
  const char separator = services_.regional.decimalSeparator;
  const AmountField& budget = BudgetOf(t) == BudgetKind::Time ? kTimeLimitField : kCostLimitField;
  const double limit = BudgetOf(t) == BudgetKind::Time ? t.TimeLimit : t.CostLimit;
  CheckAmount(amount, {kRechargeLabel, budget.max - limit}, separator);
  Recharge(t, amount);
  RecomputeAllowances(t, Today(services_.clock));
  TariffsChanged();
  SaveUser();
}

}  // namespace tarifuhr
