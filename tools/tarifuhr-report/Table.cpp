// SPDX-License-Identifier: MIT
#include "Table.h"

namespace tarifuhr::report {

Json JsonRows(const Table& table) {
  Json out = Json::array();
  for (const auto& row : table.rows) {
    Json object = Json::object();
    for (size_t i = 0; i < table.columns.size() && i < row.size(); ++i) object[table.columns[i]] = row[i];
    out.push_back(std::move(object));
  }
  return out;
}

Json TextOrNull(const std::optional<std::string>& text) { return text ? Json(*text) : Json(); }

std::string CellText(const Json& value) {
  if (value.is_null()) return {};
  if (value.is_string()) return value.get<std::string>();
  return value.dump();
}

std::string JsonText(const Json& value) {
  return value.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace tarifuhr::report
