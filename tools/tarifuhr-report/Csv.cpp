// SPDX-License-Identifier: MIT
#include "Csv.h"

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
  std::string out = CsvLine(table.columns);
  for (const auto& row : table.rows) {
    std::vector<std::string> fields;
    fields.reserve(row.size());
    for (const Json& value : row) fields.push_back(CellText(value));
    out += CsvLine(fields);
  }
  return out;
}

}  // namespace tarifuhr::report
