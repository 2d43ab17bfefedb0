// SPDX-License-Identifier: MIT
#pragma once
// What every report prints: named columns and rows of values, as CSV or as
// a JSON array of objects.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace tarifuhr::report {

using Json = nlohmann::ordered_json;

struct Table {
  std::vector<std::string> columns;
  // One value per column: a number, a string, a boolean or null (unknown).
  std::vector<std::vector<Json>> rows;
  // The columns that hold money (made with Amount); CSV writes them with
  // at least two decimals.
  std::vector<std::string> amounts = {};
};

Json JsonRows(const Table& table);

// Money in cents as the program counts it, without the dust of its sums
// (10.700000000000001): rounded to the ten-thousandth of a cent, finer
// than any price a tariff holds, so JSON writes it short (10.7).
Json Amount(double cents);

// An amount as CSV writes it: two decimals, more only where the amount
// has them ("10.70", "1.234"); empty for one that is not finite.
std::string AmountText(const Json& amount);

// A text, or null for one that could not be made (a date out of range).
Json TextOrNull(const std::optional<std::string>& text);

// The value as a CSV field holds it: null empty, numbers as JSON writes them.
std::string CellText(const Json& value);

// JSON text for the terminal and files: indented, invalid UTF-8 replaced.
std::string JsonText(const Json& value);

}  // namespace tarifuhr::report
