// SPDX-License-Identifier: MIT
#include "IsoDates.h"

#include <cmath>
#include <cstdio>

namespace tarifuhr::report {
namespace {

bool Representable(TDateTime value) {
  static const TDateTime first = EncodeDate(1, 1, 1);
  static const TDateTime end = EncodeDate(10000, 1, 1);
  // The decoders round to the millisecond, which may carry into year 10000.
  return std::isfinite(value) && value >= first && value < end - 1.0 / 86400000;
}

std::string Format(const char* format, int a, int b, int c = 0) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, a, b, c);
  return buf;
}

}  // namespace

std::optional<std::string> IsoDate(TDateTime value) {
  if (!Representable(value)) return std::nullopt;
  const CivilDate d = DecodeDate(value);
  return Format("%04d-%02d-%02d", d.year, d.month, d.day);
}

std::optional<std::string> IsoMonth(TDateTime value) {
  if (!Representable(value)) return std::nullopt;
  const CivilDate d = DecodeDate(value);
  return Format("%04d-%02d", d.year, d.month);
}

std::optional<std::string> IsoTimeOfDay(TDateTime value) {
  if (!Representable(value)) return std::nullopt;
  // Milliseconds are cut off, as the program's log window shows times.
  const CivilTime t = DecodeTime(value);
  return Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

std::optional<std::string> IsoDateTime(TDateTime value) {
  const auto date = IsoDate(value);
  if (!date) return std::nullopt;
  return *date + "T" + *IsoTimeOfDay(value);
}

std::optional<TDateTime> ParseIsoDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  int number[3] = {0, 0, 0};
  const size_t starts[3] = {0, 5, 8};
  const size_t lengths[3] = {4, 2, 2};
  for (int i = 0; i < 3; ++i) {
    for (size_t k = starts[i]; k < starts[i] + lengths[i]; ++k) {
      if (text[k] < '0' || text[k] > '9') return std::nullopt;
      number[i] = number[i] * 10 + (text[k] - '0');
    }
  }
  const auto [year, month, day] = number;
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
  return EncodeDate(year, month, day);
}

}  // namespace tarifuhr::report
