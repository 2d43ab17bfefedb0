// SPDX-License-Identifier: MIT
#pragma once
// Tables as CSV after RFC 4180, which spreadsheets and scripts read alike.

#include <string>
#include <vector>

#include "Table.h"

namespace tarifuhr::report {

// One record: fields joined by commas, quoted where they hold a comma, a
// quote, CR or LF, ended with CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

// The header line and one line per row.
std::string CsvText(const Table& table);

}  // namespace tarifuhr::report
