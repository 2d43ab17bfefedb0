// SPDX-License-Identifier: MIT
#include "accounting/NumberText.h"

#include <charconv>
#include <cmath>

namespace tarifuhr {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

FloatConversionError::FloatConversionError(const std::string& text)
    : std::runtime_error("'" + text + "' ist kein gültiger Gleitkommawert") {}

double TextToFloat(const std::string& text, char sep) {
  size_t b = 0;
  size_t e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  // The number in the form from_chars reads, whatever the process locale.
  std::string plain;
  size_t i = b;
  if (i < e && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') plain += '-';
    ++i;
  }
  size_t digits = 0;
  while (i < e && IsDigit(text[i])) plain += text[i++], ++digits;
  if (i < e && text[i] == sep) {
    plain += '.';
    ++i;
    while (i < e && IsDigit(text[i])) plain += text[i++], ++digits;
  }
  if (digits == 0) throw FloatConversionError(text);
  if (i < e && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < e && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    size_t expDigits = 0;
    while (i < e && IsDigit(text[i])) plain += text[i++], ++expDigits;
    if (expDigits == 0) throw FloatConversionError(text);
  }
  if (i != e) throw FloatConversionError(text);
  double value = 0;
  const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value))
    throw FloatConversionError(text);
  return value;
}

std::string FloatToText(double value, char sep) {
  if (value == 0) return "0";  // also -0
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  if (ec != std::errc()) return "0";
  std::string s(buf, end);
  // "1e-06" -> "1E-6", "1e+15" -> "1E15".
  if (const size_t ePos = s.find('e'); ePos != std::string::npos) {
    std::string mantissa = s.substr(0, ePos);
    std::string exponent = s.substr(ePos + 1);
    const bool negative = !exponent.empty() && exponent[0] == '-';
    if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+')) exponent.erase(0, 1);
    while (exponent.size() > 1 && exponent[0] == '0') exponent.erase(0, 1);
    s = mantissa + "E" + (negative ? "-" : "") + exponent;
  }
  for (char& c : s)
    if (c == '.') c = sep;
  return s;
}

std::optional<char> FilterNumberKey(NumberKind kind, char key, const std::string& fieldText, char sep) {
  if (key == kBackspace || IsDigit(key)) return key;
  if (kind == NumberKind::Decimal && (key == '.' || key == ',' || key == sep)) {
    if (fieldText.find(sep) != std::string::npos) return std::nullopt;
    return sep;
  }
  return std::nullopt;
}

}  // namespace tarifuhr
