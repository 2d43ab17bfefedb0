// SPDX-License-Identifier: MIT
#include "platform/RegionalSettings.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdio>
#include <cstdlib>

namespace tarifuhr {
namespace {

std::string Pad(int v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, v);
  return buf;
}

size_t RunLength(const std::string& p, size_t i) {
  size_t n = 1;
  while (i + n < p.size() && p[i + n] == p[i]) ++n;
  return n;
}

}  // namespace

RegionalSettings RegionalSettings::FromLocaleName(const std::string& name) {
  RegionalSettings rs;
  if (name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0) return rs;
  locale_t loc = newlocale(LC_NUMERIC_MASK | LC_TIME_MASK, name.c_str(), static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return rs;
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  if (radix && radix[0] && !radix[1]) rs.decimalSeparator = radix[0];
  const std::string date = PatternFromStrftime(nl_langinfo_l(D_FMT, loc));
  const std::string time = PatternFromStrftime(nl_langinfo_l(T_FMT, loc));
  if (!date.empty()) rs.shortDateFormat = date;
  if (!time.empty()) rs.timeFormat = time;
  freelocale(loc);
  return rs;
}

RegionalSettings RegionalSettings::FromEnvironment() {
  for (const char* var : {"LC_ALL", "LC_TIME", "LC_NUMERIC", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) return FromLocaleName(v);
  }
  return German();
}

std::string PatternFromStrftime(const std::string& fmt) {
  std::string out;
  for (size_t i = 0; i < fmt.size(); ++i) {
    if (fmt[i] != '%' || i + 1 >= fmt.size()) {
      out += fmt[i];
      continue;
    }
    char c = fmt[++i];
    if (c == 'E' || c == 'O') {  // alternative forms: use the plain one
      if (i + 1 >= fmt.size()) break;
      c = fmt[++i];
    }
    switch (c) {
      case 'd': out += "dd"; break;
      case 'e': out += "d"; break;
      case 'm': out += "MM"; break;
      case 'Y': out += "yyyy"; break;
      case 'y': out += "yy"; break;
      case 'H': out += "HH"; break;
      case 'I': out += "hh"; break;
      case 'M': out += "mm"; break;
      case 'S': out += "ss"; break;
      case 'p': out += "AP"; break;
      case 'D': out += "MM/dd/yy"; break;
      case 'F': out += "yyyy-MM-dd"; break;
      case 'T': out += "HH:mm:ss"; break;
      case 'R': out += "HH:mm"; break;
      case 'r': out += "hh:mm:ss AP"; break;
      case '%': out += '%'; break;
      default: return {};  // a form we do not know: keep the default
    }
  }
  return out;
}

std::string FormatDateTimePattern(const std::string& p, TDateTime value) {
  const CivilDate d = DecodeDate(value);
  const CivilTime t = DecodeTime(value);
  std::string out;
  for (size_t i = 0; i < p.size();) {
    const size_t n = RunLength(p, i);
    const char c = p[i];
    if (c == 'A' && p.compare(i, 2, "AP") == 0) {
      out += t.hour < 12 ? "AM" : "PM";
      i += 2;
      continue;
    }
    switch (c) {
      case 'd': out += Pad(d.day, n >= 2 ? 2 : 1); break;
      case 'M': out += Pad(d.month, n >= 2 ? 2 : 1); break;
      case 'y': out += n >= 4 ? Pad(d.year, 4) : Pad(d.year % 100, 2); break;
      case 'H': out += Pad(t.hour, n >= 2 ? 2 : 1); break;
      case 'h': out += Pad(t.hour % 12 == 0 ? 12 : t.hour % 12, n >= 2 ? 2 : 1); break;
      case 'm': out += Pad(t.minute, n >= 2 ? 2 : 1); break;
      case 's': out += Pad(t.second, n >= 2 ? 2 : 1); break;
      default: out.append(n, c); break;
    }
    i += n;
  }
  return out;
}

std::string FormatShortDate(const RegionalSettings& rs, TDateTime value) {
  return FormatDateTimePattern(rs.shortDateFormat, value);
}

std::string FormatTime(const RegionalSettings& rs, TDateTime value) {
  return FormatDateTimePattern(rs.timeFormat, value);
}

}  // namespace tarifuhr
