// SPDX-License-Identifier: MIT
#pragma once
// Every field of a user's tariffs and totals, named as in the records.

#include "Table.h"
#include "UserData.h"

namespace tarifuhr::report {

// One row per tariff. Dates as JJJJ-MM-TT, the time window as HH:MM:SS
// (the program reads only the day, resp. the time of day, of them).
// UserName and Password only `withCredentials`.
Table TariffTable(const std::vector<TariffRecord>& tariffs, bool withCredentials);

// {"user": title, "totals": {...}, "tariffs": [...]}
Json UserJson(const UserData& data, bool withCredentials);

}  // namespace tarifuhr::report
