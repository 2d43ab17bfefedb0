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
};

Json JsonRows(const Table& table);

// A text, or null for one that could not be made (a date out of range).
Json TextOrNull(const std::optional<std::string>& text);

// The value as a CSV field holds it: null empty, numbers as JSON writes them.
std::string CellText(const Json& value);

// JSON text for the terminal and files: indented, invalid UTF-8 replaced.
std::string JsonText(const Json& value);

}  // namespace tarifuhr::report
