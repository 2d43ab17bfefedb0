// SPDX-License-Identifier: MIT
#include "Table.h"

#include <cmath>
#include <cstdio>

namespace tarifuhr::report {
namespace {

constexpr double kAmountSteps = 10000;  // four decimals

}  // namespace

Json JsonRows(const Table& table) {
  Json out = Json::array();
  for (const auto& row : table.rows) {
    Json object = Json::object();
    for (size_t i = 0; i < table.columns.size() && i < row.size(); ++i) object[table.columns[i]] = row[i];
    out.push_back(std::move(object));
  }
  return out;
}

Json Amount(double cents) {
  if (!std::isfinite(cents)) return Json();
  // + 0.0 turns a rounded -0 into 0.
  return std::round(cents * kAmountSteps) / kAmountSteps + 0.0;
}

std::string AmountText(const Json& amount) {
  if (!amount.is_number()) return CellText(amount);
  char text[64];
  std::snprintf(text, sizeof text, "%.4f", amount.get<double>());
  std::string out = text;
  // Two of the four decimals stay; only zeros beyond them go.
  const size_t point = out.find('.');
  while (point != std::string::npos && out.size() > point + 3 && out.back() == '0') out.pop_back();
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
