// SPDX-License-Identifier: MIT
#include "accounting/Formats.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace tarifuhr {

std::string FormatDuration(double seconds) {
  std::string out;
  if (seconds < 0) {
    out += '-';
    seconds = -seconds;
  }
  if (!std::isfinite(seconds) || seconds > 9.2e18) seconds = 0;
  const auto total = static_cast<uint64_t>(std::trunc(seconds));
  // Formatted by hand: the overview formats hundreds of these a second.
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

namespace {

// A number with a fixed count of decimals and the locale's separator; a
// negative zero reads as zero. 400 characters hold any finite double.
std::string FixedDecimals(double value, int decimals, const RegionalSettings& rs, const char* unit = "") {
  char buf[400];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  char* begin = buf;
  if (*begin == '-' && std::string_view(buf + 1, res.ptr).find_first_not_of("0.") == std::string_view::npos)
    ++begin;
  std::string out(begin, res.ptr);
  for (char& c : out)
    if (c == '.') c = rs.decimalSeparator;
  out += unit;
  return out;
}

}  // namespace

std::string FormatVolume(int64_t bytes, const RegionalSettings& rs) {
  constexpr double kKilo = 1024.0;
  const double b = static_cast<double>(bytes);
  const double magnitude = std::fabs(b);
  if (magnitude >= kKilo * kKilo * kKilo) return FixedDecimals(b / (kKilo * kKilo * kKilo), 2, rs, " GB");
  if (magnitude >= kKilo * kKilo) return FixedDecimals(b / (kKilo * kKilo), 1, rs, " MB");
  return FixedDecimals(b / kKilo, 0, rs, " KB");
}

std::string FormatMoney(double cents, const RegionalSettings& rs) {
  const double units = cents / 100.0;
  return FixedDecimals(std::isfinite(units) ? units : 0, 2, rs);
}

std::string OneLine(std::string name) {
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return name;
}

}  // namespace tarifuhr
