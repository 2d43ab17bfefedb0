// SPDX-License-Identifier: MIT
#pragma once
// The whole connection log, read without changing it, and the use of each
// day from it: what the statistics window and the export tool show.

#include <cstdint>
#include <string>
#include <vector>

#include "accounting/ConnectionLog.h"
#include "platform/DateTime.h"
#include "platform/Files.h"

namespace tarifuhr {

// Every complete record of the log, oldest first; a torn last record is
// left out, as the program's loader leaves it. A missing log has none. Never
// creates or changes the file. Throws FileError when it can't be read.
std::vector<ConnectionRecord> ReadWholeLog(const std::string& path);

// One entry's use on one day.
struct DayUse {
  TDateTime day = 0;  // the day's midnight
  std::string entry;
  double seconds = 0;
  int64_t received = 0;
  int64_t sent = 0;
  double cost = 0;
  bool operator==(const DayUse&) const = default;
};

// The use per day and entry from `firstDay` to `lastDay` (dates, both
// included), by day, then entry. A connection over midnight is shared
// between its days in the proportion of its time on each: its counted
// seconds, its bytes (whole bytes, none lost) and its cost.
std::vector<DayUse> UseByDay(const std::vector<ConnectionRecord>& records, TDateTime firstDay,
                             TDateTime lastDay);

}  // namespace tarifuhr
