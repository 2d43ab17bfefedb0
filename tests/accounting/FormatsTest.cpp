// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "accounting/Formats.h"

namespace tarifuhr {
namespace {

TEST(Formats, Durations) {
  EXPECT_EQ(FormatDuration(0), "00:00:00");
  EXPECT_EQ(FormatDuration(3725), "01:02:05");
  EXPECT_EQ(FormatDuration(59.9), "00:00:59");
  EXPECT_EQ(FormatDuration(-59.9), "-00:00:59");
  EXPECT_EQ(FormatDuration(360000), "100:00:00");
  EXPECT_EQ(FormatDuration(-3600 * 5), "-05:00:00");
}

TEST(Formats, BytesAreGroupedFromTheRightWithTheSignCounting) {
  EXPECT_EQ(FormatBytes(0), "0 B");
  EXPECT_EQ(FormatBytes(999), "999 B");
  EXPECT_EQ(FormatBytes(1234567), "1.234.567 B");
  EXPECT_EQ(FormatBytes(-123), "-.123 B");
  EXPECT_EQ(FormatBytes(5'000'000'000), "5.000.000.000 B");
  EXPECT_EQ(GroupDigits(2, ',', 12345), "1,23,45");
}

TEST(Formats, VolumesInTheUnitThatReadsBest) {
  const RegionalSettings de = RegionalSettings::German();
  EXPECT_EQ(FormatVolume(250 * 1024, de), "250 KB");
  EXPECT_EQ(FormatVolume(1024 * 1024, de), "1,0 MB");
  EXPECT_EQ(FormatVolume(int64_t{5} << 30, de), "5,00 GB");
  EXPECT_EQ(FormatVolume(-(int64_t{3} << 20), de), "-3,0 MB");
  EXPECT_EQ(FormatVolume(0, de), "0 KB");
}

TEST(Formats, MoneyHasTwoDecimalsAndTheLocalesSeparator) {
  const RegionalSettings de = RegionalSettings::German();
  EXPECT_EQ(FormatMoney(1234, de), "12,34");
  EXPECT_EQ(FormatMoney(5, de), "0,05");
  EXPECT_EQ(FormatMoney(-5, de), "-0,05");
  EXPECT_EQ(FormatMoney(0, de), "0,00");
  EXPECT_EQ(FormatMoney(-0.1, de), "0,00");
  EXPECT_EQ(FormatMoney(123456789, de), "1234567,89");
  RegionalSettings us = de;
  us.decimalSeparator = '.';
  EXPECT_EQ(FormatMoney(1234, us), "12.34");
}

}  // namespace
}  // namespace tarifuhr
