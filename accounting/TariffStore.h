// SPDX-License-Identifier: MIT
#pragma once
// Writing the tariff editor's values into the current user's tariff list,
// and keeping track of which record an open edit belongs to.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "accounting/TariffRecord.h"

namespace tarifuhr {

// The values the editor shows, already converted.
struct TariffValues {
  std::string Name;
  TDateTime StartDate = 0;
  double PricePerMinute = 0;
  double CostLimit = 0;
  double TimeLimit = 0;
  TDateTime WindowFrom = 0;
  TDateTime WindowTo = 0;
  bool InTotals = false;
  std::string EntryName;
  std::string UserName;
  std::string Password;
  double PeriodSeconds = 0;
  double PeriodCosts = 0;
  double DialInFee = 0;
  int64_t VolumeLimit = 0;
  int64_t VolumeUnit = 0;
  double VolumeUnitPrice = 0;
  bool HangUpWhenVolumeUsed = false;
  bool HangUpWhenBudgetUsed = false;
  uint8_t PeriodType = 0;  // a PeriodKind
  int32_t PeriodDays = 0;
  TDateTime OffPeakFrom = 0;
  TDateTime OffPeakTo = 0;
  double OffPeakPricePerMinute = 0;
  double OffPeakUnitPrice = 0;
  // The period's volume used, the open connection's included; none keeps
  // the counted bytes.
  std::optional<int64_t> VolumeUsed;
};

// Throws ValueOutOfRange for a value no tariff can have (see TariffLimits),
// naming the editor's field.
void CheckTariffValues(const TariffValues& values);

// Writes the values into record `index`, or into a new all-zero record
// appended when `index` is -1. Short strings are cut to their file widths,
// the daily allowances set to 0 (the tick recomputes them); the tick's
// other counters keep their values. Returns the index written. Throws
// std::out_of_range for any other index outside the list, ValueOutOfRange
// (CheckTariffValues) before anything changes.
int StoreTariff(std::vector<TariffRecord>& tariffs, int index, const TariffValues& values);

// The record an edit was opened on: the user, its place in that user's
// list, and the settings only the editor changes, so that a store after
// the list changed never lands on another tariff.
class EditedTariff {
 public:
  void Set(const std::string& user, int index, const TariffRecord& record);
  void Clear();
  bool IsSet() const { return index_ != -1; }

  // The current user's tariff `index` was removed: later records moved one
  // place forward, and the edited one may be gone.
  void TariffRemoved(int index);

  // Where the edited record is now, or -1 when it is gone (other user,
  // removed, or changed by something other than this edit).
  int Locate(const std::string& currentUser, const std::vector<TariffRecord>& tariffs) const;

 private:
  std::string user_;
  int index_ = -1;
  TariffRecord settings_;
};

// Equal in every field the editor sets apart from the period figures.
bool SameTariffSettings(const TariffRecord& a, const TariffRecord& b);

}  // namespace tarifuhr
