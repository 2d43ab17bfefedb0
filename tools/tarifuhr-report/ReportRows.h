// SPDX-License-Identifier: MIT
#pragma once
// The rows of the log, day and month reports from the connection log.

#include <optional>
#include <string>
#include <vector>

#include "Table.h"
#include "accounting/ConnectionLog.h"
#include "accounting/TariffRecord.h"

namespace tarifuhr::report {

struct Filter {
  std::optional<TDateTime> from;  // first day, included
  std::optional<TDateTime> to;    // last day, included
  std::optional<std::string> entry;
};

// One row per connection that began on a day of the range.
Table LogTable(const std::vector<ConnectionRecord>& records, const Filter& filter);

// One row per day or month with use, over all entries or the filter's one;
// a connection over midnight counts on each day with its share.
Table DayTable(const std::vector<ConnectionRecord>& records, const Filter& filter);
Table MonthTable(const std::vector<ConnectionRecord>& records, const Filter& filter);

// Two rows per tariff, its running period ("aktuell") and the one before
// ("vorher") as the tariff counts them (a month, N days, prepaid credit
// up to `today`): tariff, period, first, last and the sums of its entry.
Table PeriodTable(const std::vector<ConnectionRecord>& records, const std::vector<TariffRecord>& tariffs,
                  TDateTime today);

}  // namespace tarifuhr::report
