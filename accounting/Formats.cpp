// SPDX-License-Identifier: MIT
#include "accounting/Formats.h"

#include <charconv>
#include <cmath>

namespace tarifuhr {

std::string FormatDuration(double seconds) {
  std::string prefix;
  if (seconds < 0) {
    prefix = "-";
    seconds = -seconds;
  }
  if (!std::isfinite(seconds) || seconds > 9.2e18) seconds = 0;
  const auto total = static_cast<uint64_t>(std::trunc(seconds));
  // Formatted by hand: the overview formats hundreds of these a second.
  std::string out = prefix;
  const uint64_t hours = total / 3600;
  if (hours < 10) out += '0';
  out += std::to_string(hours);
  const auto two = [&out](uint64_t v) {
    out += static_cast<char>('0' + v / 10);
    out += static_cast<char>('0' + v % 10);
  };
  out += ':';
  two(total / 60 % 60);
  out += ':';
  two(total % 60);
  return out;
}

std::string GroupDigits(int n, char sep, int64_t value) {
  const std::string digits = std::to_string(value);
  std::string reversed;
  int collected = 0;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (collected == n) {
      reversed += sep;
      collected = 0;
    }
    reversed += *it;
    ++collected;
  }
  return {reversed.rbegin(), reversed.rend()};
}

std::string FormatBytes(int64_t bytes) { return GroupDigits(3, '.', bytes) + " B"; }

std::string FormatVolume(int64_t bytes, const RegionalSettings& rs) {
  constexpr double kKilo = 1024.0;
  const double b = static_cast<double>(bytes);
  const double magnitude = std::fabs(b);
  const char* unit = " KB";
  double value = b / kKilo;
  int decimals = 0;
  if (magnitude >= kKilo * kKilo * kKilo) {
    value = b / (kKilo * kKilo * kKilo);
    unit = " GB";
    decimals = 2;
  } else if (magnitude >= kKilo * kKilo) {
    value = b / (kKilo * kKilo);
    unit = " MB";
    decimals = 1;
  }
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  std::string out(buf, res.ptr);
  if (out == "-0") out = "0";
  for (char& c : out)
    if (c == '.') c = rs.decimalSeparator;
  return out + unit;
}

std::string FormatMoney(double cents, const RegionalSettings& rs) {
  double units = cents / 100.0;
  if (!std::isfinite(units)) units = 0;
  char buf[400];
  const auto res = std::to_chars(buf, buf + sizeof buf, units, std::chars_format::fixed, 2);
  std::string out(buf, res.ptr);
  if (out == "-0.00") out = "0.00";
  for (char& c : out)
    if (c == '.') c = rs.decimalSeparator;
  return out;
}

}  // namespace tarifuhr
