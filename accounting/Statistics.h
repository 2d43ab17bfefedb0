// SPDX-License-Identifier: MIT
#pragma once
// The figures of the statistics window: the use of a period day by day and
// entry by entry, its totals, and where a tariff's costs are heading.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "accounting/ConnectionLog.h"
#include "accounting/TariffRecord.h"
#include "platform/DateTime.h"

namespace tarifuhr {

// Whole days, both included.
struct DayRange {
  TDateTime firstDay = 0;
  TDateTime lastDay = 0;
  int Days() const;
  bool operator==(const DayRange&) const = default;
};

// The tariff's running period: from its start date to the day before its
// end; prepaid credit's from its start to today.
DayRange CurrentPeriod(const TariffRecord& t, TDateTime today);
// The period before it: a month or N days earlier, clamped as the period
// end is; before prepaid credit as many days as it has run.
DayRange PreviousPeriod(const TariffRecord& t, TDateTime today);
DayRange CalendarMonth(int year, int month);

struct PeriodStatistics {
  std::vector<TDateTime> days;       // every day of the period, used or not
  std::vector<std::string> entries;  // those with use, in name order
  // Indexed [entry][day] as the two lists above.
  std::vector<std::vector<double>> minutes;
  std::vector<std::vector<double>> costs;     // cents
  std::vector<std::vector<double>> dayBytes;  // received and sent
  double seconds = 0;
  int64_t bytes = 0;  // received and sent
  double cost = 0;    // cents
};

// The use in `period`; with `entry`, only that dial-up entry's (cut to the
// length the log keeps).
PeriodStatistics BuildStatistics(const std::vector<ConnectionRecord>& records, const DayRange& period,
                                 const std::optional<std::string>& entry = std::nullopt);

struct CostProjection {
  double cost = 0;               // cents at the period's end
  std::optional<double> budget;  // cents; none without a cost budget
};

// The tariff's costs of its running period, as counted for its budget,
// carried on to the period's end at their average per day so far (today
// included).
CostProjection ProjectCosts(const TariffRecord& t, TDateTime today);

struct TimeProjection {
  double seconds = 0;  // online at the period's end
  double budget = 0;   // seconds of the time budget
};

// The same for the online time of a tariff with a time budget; none
// without one.
std::optional<TimeProjection> ProjectTime(const TariffRecord& t, TDateTime today);

struct VolumeProjection {
  double bytes = 0;  // used at the period's end
  int64_t limit = 0;
  // The day the volume is used up at that pace, when that is before the
  // period's end.
  std::optional<TDateTime> lastDay;
};

// The same for the data volume, the open connection's bytes included when
// the tariff is the active one; none without a volume limit.
std::optional<VolumeProjection> ProjectVolume(const TariffRecord& t, TDateTime today, bool active);

// A value axis from 0 with whole-number steps: no two labels alike
// however small the values.
struct WholeAxis {
  double top = 1;
  int ticks = 2;  // labels, 0 and `top` included
  bool operator==(const WholeAxis&) const = default;
};
WholeAxis WholeAxisFor(double highest);

}  // namespace tarifuhr
