// SPDX-License-Identifier: MIT
#include "Csv.h"

#include <algorithm>

namespace tarifuhr::report {
namespace {

std::string Field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    out += Field(fields[i]);
  }
  return out + "\r\n";
}

std::string CsvText(const Table& table) {
  std::vector<bool> isAmount;
  for (const std::string& column : table.columns)
    isAmount.push_back(std::find(table.amounts.begin(), table.amounts.end(), column) != table.amounts.end());
  std::string out = CsvLine(table.columns);
  for (const auto& row : table.rows) {
    std::vector<std::string> fields;
    fields.reserve(row.size());
    for (size_t i = 0; i < row.size(); ++i)
      fields.push_back(i < isAmount.size() && isAmount[i] ? AmountText(row[i]) : CellText(row[i]));
    out += CsvLine(fields);
  }
  return out;
}

}  // namespace tarifuhr::report
