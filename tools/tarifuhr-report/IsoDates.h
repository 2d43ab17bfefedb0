// SPDX-License-Identifier: MIT
#pragma once
// ISO 8601 texts of the program's local date-time values, and the dates the
// command line gives.

#include <optional>
#include <string>

#include "platform/DateTime.h"

namespace tarifuhr::report {

// Nothing for values outside the years 1 to 9999 (a damaged record).
std::optional<std::string> IsoDate(TDateTime value);       // 2026-12-07
std::optional<std::string> IsoMonth(TDateTime value);      // 2026-12
std::optional<std::string> IsoDateTime(TDateTime value);   // 2026-12-07T23:30:00
std::optional<std::string> IsoTimeOfDay(TDateTime value);  // 23:30:00

// A date written JJJJ-MM-TT; nothing when it isn't one.
std::optional<TDateTime> ParseIsoDate(const std::string& text);

}  // namespace tarifuhr::report
