// SPDX-License-Identifier: MIT
#pragma once
// The user's regional settings: decimal separator, short date and time
// formats, as patterns such as "dd.MM.yyyy" and "HH:mm:ss".

#include <string>

#include "platform/DateTime.h"

namespace tarifuhr {

struct RegionalSettings {
  char decimalSeparator = ',';
  std::string shortDateFormat = "dd.MM.yyyy";
  std::string timeFormat = "HH:mm:ss";

  static RegionalSettings German() { return {}; }
  // From a locale name such as "en_US.UTF-8"; German when the name is
  // empty, C or POSIX, or names a locale the system does not have.
  static RegionalSettings FromLocaleName(const std::string& name);
  // From LC_ALL, else LC_TIME/LC_NUMERIC, else LANG.
  static RegionalSettings FromEnvironment();
};

// Pattern letters: d dd M MM yy yyyy h hh H HH m mm s ss AP; anything else
// is copied.
std::string FormatDateTimePattern(const std::string& pattern, TDateTime value);
std::string FormatShortDate(const RegionalSettings& rs, TDateTime value);
std::string FormatTime(const RegionalSettings& rs, TDateTime value);

// strftime conversions of nl_langinfo as patterns ("%d.%m.%Y" -> "dd.MM.yyyy").
std::string PatternFromStrftime(const std::string& fmt);

}  // namespace tarifuhr
