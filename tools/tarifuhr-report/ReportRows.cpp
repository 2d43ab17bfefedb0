// SPDX-License-Identifier: MIT
#include "ReportRows.h"

#include <cmath>
#include <map>

#include "IsoDates.h"
#include "accounting/ByteLayout.h"
#include "accounting/ConnectionHistory.h"
#include "accounting/Statistics.h"

namespace tarifuhr::report {
namespace {

// Shares of a connection leave float dust (1799.9999999998 s); thousandths
// of a second are finer than anything the program counts.
double Rounded(double value) { return std::round(value * 1000) / 1000; }

bool EntryMatches(const ConnectionRecord& r, const Filter& filter) {
  return !filter.entry || r.entry == *filter.entry;
}

struct Sum {
  double seconds = 0;
  int64_t received = 0;
  int64_t sent = 0;
  double cost = 0;
};

// The filter's days, summed per period named by `period`.
template <typename PeriodName>
Table SumTable(const std::vector<ConnectionRecord>& records, const Filter& filter, const char* column,
               PeriodName period) {
  std::vector<ConnectionRecord> chosen;
  for (const ConnectionRecord& r : records) {
    // A start no calendar can name is a damaged record; it has no day.
    if (EntryMatches(r, filter) && IsoDate(r.start)) chosen.push_back(r);
  }
  const TDateTime first = filter.from.value_or(EncodeDate(1, 1, 1));
  const TDateTime last = filter.to.value_or(EncodeDate(9999, 12, 31));
  std::map<std::string, Sum> sums;  // ISO names sort by time
  for (const DayUse& use : UseByDay(chosen, first, last)) {
    const auto name = period(use.day);
    if (!name) continue;
    Sum& sum = sums[*name];
    sum.seconds += use.seconds;
    sum.received += use.received;
    sum.sent += use.sent;
    sum.cost += use.cost;
  }
  Table table{{column, "seconds", "received", "sent", "cost"}, {}, {"cost"}};
  for (const auto& [name, sum] : sums)
    table.rows.push_back({name, Rounded(sum.seconds), sum.received, sum.sent, Amount(sum.cost)});
  return table;
}

}  // namespace

Table LogTable(const std::vector<ConnectionRecord>& records, const Filter& filter) {
  Table table{{"entry", "start", "end", "seconds", "received", "sent", "cost"}, {}, {"cost"}};
  for (const ConnectionRecord& r : records) {
    if (!EntryMatches(r, filter)) continue;
    const double day = std::floor(r.start);
    if (filter.from && !(day >= *filter.from)) continue;
    if (filter.to && !(day <= *filter.to)) continue;
    table.rows.push_back({r.entry, TextOrNull(IsoDateTime(r.start)), TextOrNull(IsoDateTime(r.end)),
                          r.seconds, r.received, r.sent, Amount(r.cost)});
  }
  return table;
}

Table DayTable(const std::vector<ConnectionRecord>& records, const Filter& filter) {
  return SumTable(records, filter, "date", IsoDate);
}

Table MonthTable(const std::vector<ConnectionRecord>& records, const Filter& filter) {
  return SumTable(records, filter, "month", IsoMonth);
}

Table PeriodTable(const std::vector<ConnectionRecord>& records, const std::vector<TariffRecord>& tariffs,
                  TDateTime today) {
  Table table{{"tariff", "period", "first", "last", "seconds", "received", "sent", "cost"}, {}, {"cost"}};
  for (const TariffRecord& t : tariffs) {
    // The log keeps the entry as cut to its field.
    const std::string entry = CutToShortString(t.EntryName, 20);
    for (const auto& [name, range] :
         {std::pair{"aktuell", CurrentPeriod(t, today)}, std::pair{"vorher", PreviousPeriod(t, today)}}) {
      Sum sum;
      for (const DayUse& use : UseByDay(records, range.firstDay, range.lastDay)) {
        if (use.entry != entry) continue;
        sum.seconds += use.seconds;
        sum.received += use.received;
        sum.sent += use.sent;
        sum.cost += use.cost;
      }
      table.rows.push_back({t.Name, name, TextOrNull(IsoDate(range.firstDay)),
                            TextOrNull(IsoDate(range.lastDay)), Rounded(sum.seconds), sum.received, sum.sent,
                            Amount(sum.cost)});
    }
  }
  return table;
}

}  // namespace tarifuhr::report
