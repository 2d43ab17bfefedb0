// SPDX-License-Identifier: MIT
// What the core hands the window: its snapshot, taken part by part.
#include "accounting/AccountingCore.h"

#include "accounting/ChargingRules.h"

namespace tarifuhr {

namespace {

StripFigures FiguresOf(const TariffRecord& t) {
  StripFigures f;
  f.secondsToday = t.SecondsToday;
  // A time or cost budget's minutes before a data volume's bytes.
  if (HasBudget(t)) {
    f.allowance = AllowanceKind::Time;
    f.dailyAllowanceSeconds = t.DailyAllowance * 60;
    f.secondsLeftToday = SecondsLeftToday(t);
  } else if (HasVolumeLimit(t)) {
    f.allowance = AllowanceKind::Volume;
    f.volumeAllowedToday = VolumeAllowedToday(t);
    f.volumeLeftToday = VolumeLeftToday(t);
  }
  f.hasVolumeLimit = HasVolumeLimit(t);
  if (f.hasVolumeLimit) {
    f.volumeUsed = VolumeUsed(t);
    f.volumeLimit = t.VolumeLimit;
  }
  f.connectionBytes = t.ConnectionBytes;
  f.periodCosts = t.PeriodCosts;
  return f;
}

}  // namespace

void AccountingCore::Publish(unsigned parts) {
  snapshot_.user = currentUser_;
  snapshot_.changed = parts | pendingParts_;
  pendingParts_ = 0;
  display_.Show(snapshot_);
}

void AccountingCore::TakeLog() {
  snapshot_.log = services_.log.ReadTail(kHistoryLines);
  pendingParts_ |= AccountingSnapshot::kLog;
}

void AccountingCore::TakeFigures(bool online, bool statisticsOk) {
  snapshot_.figures.reset();
  if (activeTariff_ == -1 || !online || !statisticsOk) return;
  TariffRecord& t = tariffs_[static_cast<size_t>(activeTariff_)];
  t.ConnectionBytes = connection_.received + connection_.sent - bytesInPeriod_;
  snapshot_.figures = FiguresOf(t);
}

void AccountingCore::RetakeFigures() {
  // Shown figures belong to the active tariff as the tick counted it; after
  // a store or a removal they may be another's, or changed.
  if (!snapshot_.figures) return;
  if (activeTariff_ == -1)
    snapshot_.figures.reset();
  else
    snapshot_.figures = FiguresOf(tariffs_[static_cast<size_t>(activeTariff_)]);
}

void AccountingCore::TakeVolumeLeft() {
  snapshot_.volume.reset();
  if (activeTariff_ == -1) return;
  const TariffRecord& t = tariffs_[static_cast<size_t>(activeTariff_)];
  if (HasVolumeLimit(t)) snapshot_.volume = VolumeLeft{VolumeLeftToday(t), VolumeLeftInPeriod(t)};
}

void AccountingCore::TakeOverview() {
  snapshot_.overview.clear();
  for (size_t i = 0; i < tariffs_.size(); ++i) {
    const TariffRecord& t = tariffs_[i];
    const bool active = static_cast<int>(i) == activeTariff_;
    OverviewRow row;
    row.name = t.Name;
    row.periodSeconds = t.PeriodSeconds;
    row.dailyAllowanceSeconds = t.DailyAllowance * 60;
    if (HasBudget(t)) row.secondsLeftToday = SecondsLeftToday(t);
    if (HasVolumeLimit(t)) {
      // What is left of the period's volume.
      TariffRecord shown = t;
      if (!active) shown.ConnectionBytes = 0;
      row.volumeLeftInPeriod = VolumeLeftInPeriod(shown);
    }
    row.storedBytes = t.PeriodBytes;
    row.bytes = t.PeriodBytes + (active ? t.ConnectionBytes : 0);
    row.periodCosts = t.PeriodCosts;
    snapshot_.overview.push_back(row);
  }
}

}  // namespace tarifuhr
