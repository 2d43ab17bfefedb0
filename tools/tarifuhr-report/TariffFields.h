// SPDX-License-Identifier: MIT
#pragma once
// Every field of a user's tariffs and totals, named as in the records.

#include "Table.h"
#include "UserData.h"

namespace tarifuhr::report {

// One row per tariff. Dates as JJJJ-MM-TT, the time window as HH:MM:SS
// (the program reads only the day, resp. the time of day, of them).
Table TariffTable(const std::vector<TariffRecord>& tariffs);

// {"user": title, "totals": {...}, "tariffs": [...]}
Json UserJson(const UserData& data);

}  // namespace tarifuhr::report
