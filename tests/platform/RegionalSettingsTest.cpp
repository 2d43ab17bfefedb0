// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <locale.h>

#include "platform/RegionalSettings.h"

namespace tarifuhr {
namespace {

TEST(RegionalSettings, CAndPosixAndUnknownLocalesGiveGermanSettings) {
  for (const char* name : {"", "C", "POSIX", "C.UTF-8", "xx_YY.NOPE"}) {
    const RegionalSettings rs = RegionalSettings::FromLocaleName(name);
    EXPECT_EQ(rs.decimalSeparator, ',') << name;
    EXPECT_EQ(rs.shortDateFormat, "dd.MM.yyyy") << name;
    EXPECT_EQ(rs.timeFormat, "HH:mm:ss") << name;
  }
}

TEST(RegionalSettings, GermanFormsOfDateAndTime) {
  const RegionalSettings rs = RegionalSettings::German();
  const TDateTime t = EncodeDate(2026, 12, 7) + EncodeTime(8, 5, 3);
  EXPECT_EQ(FormatShortDate(rs, t), "07.12.2026");
  EXPECT_EQ(FormatTime(rs, t), "08:05:03");
}

TEST(RegionalSettings, PatternsFromTheLocalesStrftimeForms) {
  EXPECT_EQ(PatternFromStrftime("%d.%m.%Y"), "dd.MM.yyyy");
  EXPECT_EQ(PatternFromStrftime("%m/%d/%Y"), "MM/dd/yyyy");
  EXPECT_EQ(PatternFromStrftime("%r"), "hh:mm:ss AP");
  EXPECT_EQ(PatternFromStrftime("%T"), "HH:mm:ss");
  EXPECT_EQ(PatternFromStrftime("%Ey"), "yy");
  EXPECT_EQ(PatternFromStrftime("%Q"), "");  // unknown: caller keeps its default
  const TDateTime t = EncodeDate(2026, 1, 2) + EncodeTime(0, 7, 9);
  EXPECT_EQ(FormatDateTimePattern("hh:mm:ss AP", t), "12:07:09 AM");
  EXPECT_EQ(FormatDateTimePattern("d.M.yy H:m:s", t), "2.1.26 0:7:9");
  EXPECT_EQ(FormatDateTimePattern("yyyy-MM-dd", t + 0.6), "2026-01-02");
}

TEST(RegionalSettings, ARealLocaleIsRead) {
  for (const char* name : {"en_US.UTF-8", "en_US.utf8", "de_DE.UTF-8", "de_DE.utf8"}) {
    locale_t loc = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) continue;
    freelocale(loc);
    const RegionalSettings rs = RegionalSettings::FromLocaleName(name);
    if (name[0] == 'e') {
      EXPECT_EQ(rs.decimalSeparator, '.');
      EXPECT_EQ(rs.shortDateFormat, "MM/dd/yyyy");
    } else {
      EXPECT_EQ(rs.decimalSeparator, ',');
      EXPECT_EQ(rs.shortDateFormat, "dd.MM.yyyy");
    }
    return;
  }
  GTEST_SKIP() << "neither en_US nor de_DE is installed on this machine";
}

}  // namespace
}  // namespace tarifuhr
