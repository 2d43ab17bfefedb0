#include "accounting/Formats.h"

#include <cmath>
#include <cstdio>

namespace tarifuhr {

std::string FormatDuration(double seconds) {
  std::string prefix;
  if (seconds < 0) {
    prefix = "-";
    seconds = -seconds;
  }
  if (!std::isfinite(seconds) || seconds > 9.2e18) seconds = 0;
  const auto total = static_cast<uint64_t>(std::trunc(seconds));
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02llu:%02llu:%02llu",
                static_cast<unsigned long long>(total / 3600),
                static_cast<unsigned long long>(total / 60 % 60),
                static_cast<unsigned long long>(total % 60));
  return prefix + buf;
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

std::string FormatMoney(double cents, const RegionalSettings& rs) {
  double units = cents / 100.0;
  if (!std::isfinite(units)) units = 0;
  char buf[400];
  std::snprintf(buf, sizeof buf, "%2.2f", units);
  std::string out = buf;
  if (out == "-0.00") out = "0.00";
  for (char& c : out)
    if (c == '.') c = rs.decimalSeparator;
  return out;
}

}  // namespace tarifuhr
