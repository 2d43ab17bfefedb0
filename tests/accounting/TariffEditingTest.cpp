// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <limits>

#include "accounting/NumberText.h"
#include "accounting/TariffLimits.h"
#include "accounting/TariffStore.h"

namespace tarifuhr {
namespace {

TEST(NumberText, ReadsTheLocaleFormAndRefusesEverythingElse) {
  EXPECT_DOUBLE_EQ(TextToFloat("1,5", ','), 1.5);
  EXPECT_DOUBLE_EQ(TextToFloat("  -2,25 ", ','), -2.25);
  EXPECT_DOUBLE_EQ(TextToFloat("+7", ','), 7);
  EXPECT_DOUBLE_EQ(TextToFloat(",5", ','), 0.5);
  EXPECT_DOUBLE_EQ(TextToFloat("5,", ','), 5);
  EXPECT_DOUBLE_EQ(TextToFloat("1,5E3", ','), 1500);
  EXPECT_DOUBLE_EQ(TextToFloat("2e-2", ','), 0.02);
  EXPECT_DOUBLE_EQ(TextToFloat("1.5", '.'), 1.5);
  for (const char* bad : {"", " ", ",", "1.5", "1,5,0", "abc", "1a", "1 000", "e5", "1e", "--1", "1,5x"}) {
    try {
      TextToFloat(bad, ',');
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const FloatConversionError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' ist kein gültiger Gleitkommawert");
    }
  }
  EXPECT_THROW(TextToFloat("1e999", ','), FloatConversionError);
}

TEST(NumberText, WritesTheShortestFormWithTheLocaleSeparator) {
  EXPECT_EQ(FloatToText(0, ','), "0");
  EXPECT_EQ(FloatToText(-0.0, ','), "0");
  EXPECT_EQ(FloatToText(1000, ','), "1000");
  EXPECT_EQ(FloatToText(1.5, ','), "1,5");
  EXPECT_EQ(FloatToText(0.1 + 0.2, ','), "0,3");
  EXPECT_EQ(FloatToText(-12.75, ','), "-12,75");
  EXPECT_EQ(FloatToText(123456789012345.0, ','), "123456789012345");
  EXPECT_EQ(FloatToText(1e15, ','), "1E15");
  EXPECT_EQ(FloatToText(0.000001, ','), "1E-6");
  EXPECT_EQ(FloatToText(1.5, '.'), "1.5");
  // What is written reads back.
  for (double v : {0.0, 1.5, 2.99, 5400.0, 0.0123, 987654.321})
    EXPECT_DOUBLE_EQ(TextToFloat(FloatToText(v, ','), ','), v);
}

TEST(NumberText, KeyFilters) {
  using K = NumberKind;
  EXPECT_EQ(FilterNumberKey(K::Decimal, '.', "1", ','), ',');
  EXPECT_EQ(FilterNumberKey(K::Decimal, ',', "1", ','), ',');
  EXPECT_EQ(FilterNumberKey(K::Decimal, ',', "1,5", ','), std::nullopt);
  EXPECT_EQ(FilterNumberKey(K::Decimal, '.', "1,5", ','), std::nullopt);
  EXPECT_EQ(FilterNumberKey(K::Decimal, '7', "1,5", ','), '7');
  EXPECT_EQ(FilterNumberKey(K::Decimal, kBackspace, "1,5", ','), kBackspace);
  EXPECT_EQ(FilterNumberKey(K::Decimal, ',', "", '.'), '.');  // the locale decides
  for (char c : {'a', 'E', '-', '+', ' ', '\x16', '\x03'}) {
    EXPECT_EQ(FilterNumberKey(K::Decimal, c, "", ','), std::nullopt) << int(c);
    EXPECT_EQ(FilterNumberKey(K::Whole, c, "", ','), std::nullopt) << int(c);
  }
  EXPECT_EQ(FilterNumberKey(K::Whole, ',', "", ','), std::nullopt);
  EXPECT_EQ(FilterNumberKey(K::Whole, '.', "", ','), std::nullopt);
  EXPECT_EQ(FilterNumberKey(K::Whole, '0', "", ','), '0');
  EXPECT_EQ(FilterNumberKey(K::Whole, kBackspace, "", ','), kBackspace);
}

TariffValues Values(const std::string& name) {
  TariffValues v;
  v.Name = name;
  v.StartDate = 46000.25;
  v.PricePerMinute = 1.5;
  v.CostLimit = 1000;
  v.WindowFrom = 0.25;
  v.WindowTo = 0.75;
  v.InTotals = true;
  v.EntryName = "Net";
  v.UserName = "erika";
  v.Password = "geheim";
  v.PeriodSeconds = 60;
  v.PeriodCosts = 3;
  v.DialInFee = 5;
  return v;
}

TEST(StoreTariff, AppendsANewRecordAndCutsShortStrings) {
  std::vector<TariffRecord> tariffs(1);
  TariffValues v = Values("Ein Name von fünfundzwanzig");
  v.EntryName = std::string(25, 'e');
  v.UserName = std::string(60, 'u');
  v.Password = std::string(21, 'p');
  EXPECT_EQ(StoreTariff(tariffs, -1, v), 1);
  ASSERT_EQ(tariffs.size(), 2u);
  const TariffRecord& t = tariffs[1];
  EXPECT_EQ(t.Name, "Ein Name von fünfund");  // 20 characters, the umlaut one of them
  EXPECT_EQ(t.EntryName, std::string(20, 'e'));
  EXPECT_EQ(t.UserName, std::string(50, 'u'));
  EXPECT_EQ(t.Password, std::string(20, 'p'));
  EXPECT_EQ(t.StartDate, 46000.25);
  EXPECT_EQ(t.PricePerMinute, 1.5);
  EXPECT_EQ(t.CostLimit, 1000);
  EXPECT_EQ(t.WindowFrom, 0.25);
  EXPECT_EQ(t.WindowTo, 0.75);
  EXPECT_TRUE(t.InTotals);
  EXPECT_EQ(t.PeriodSeconds, 60);
  EXPECT_EQ(t.PeriodCosts, 3);
  EXPECT_EQ(t.DialInFee, 5);
  EXPECT_EQ(t.SecondsToday, 0);
  EXPECT_EQ(tariffs[0], TariffRecord{});
}

TEST(StoreTariff, OverwritesSettingsAndKeepsTheTicksCounters) {
  std::vector<TariffRecord> tariffs(2);
  tariffs[1].SecondsToday = 77;
  tariffs[1].PeriodBytes = 123456;
  tariffs[1].LastDay = 46000;
  tariffs[1].DailyAllowance = 12;
  tariffs[1].TodayAllowance = 13;
  tariffs[1].Reserved144 = 9;
  EXPECT_EQ(StoreTariff(tariffs, 1, Values("T")), 1);
  EXPECT_EQ(tariffs[1].Name, "T");
  EXPECT_EQ(tariffs[1].SecondsToday, 77);
  EXPECT_EQ(tariffs[1].PeriodBytes, 123456);
  EXPECT_EQ(tariffs[1].LastDay, 46000);
  EXPECT_EQ(tariffs[1].Reserved144, 9);
  EXPECT_EQ(tariffs[1].DailyAllowance, 0);
  EXPECT_EQ(tariffs[1].TodayAllowance, 0);
  EXPECT_THROW(StoreTariff(tariffs, 2, Values("X")), std::out_of_range);
  EXPECT_THROW(StoreTariff(tariffs, -2, Values("X")), std::out_of_range);
  EXPECT_EQ(tariffs.size(), 2u);
}

TEST(StoreTariff, AValueNoTariffCanHaveChangesNothing) {
  std::vector<TariffRecord> tariffs(1);
  const std::vector<TariffRecord> before = tariffs;
  for (const double wrong : {-2.0, 1e308, std::numeric_limits<double>::quiet_NaN()}) {
    TariffValues bad;
    bad.PeriodCosts = wrong;
    EXPECT_THROW(StoreTariff(tariffs, 0, bad), ValueOutOfRange);
    EXPECT_THROW(StoreTariff(tariffs, -1, bad), ValueOutOfRange);
    EXPECT_EQ(tariffs, before);
  }
  TariffValues highest;
  highest.PricePerMinute = kMaxPricePerMinute;
  highest.VolumeLimit = kMaxVolumeBytes;
  EXPECT_EQ(StoreTariff(tariffs, -1, highest), 1) << "the maxima themselves are allowed";
}

TEST(EditedTariff, FollowsRemovalsAndNeverNamesAnotherTariff) {
  std::vector<TariffRecord> tariffs(3);
  for (int i = 0; i < 3; ++i) tariffs[size_t(i)].Name = "T" + std::to_string(i);
  EditedTariff edit;
  EXPECT_FALSE(edit.IsSet());
  edit.Set("Hans (Hans.tfd)", 1, tariffs[1]);
  EXPECT_EQ(edit.Locate("Hans (Hans.tfd)", tariffs), 1);
  // The tick's counters do not change which record it is.
  tariffs[1].PeriodSeconds += 5;
  tariffs[1].StartDate = 46000;
  EXPECT_EQ(edit.Locate("Hans (Hans.tfd)", tariffs), 1);
  EXPECT_EQ(edit.Locate("Erika (Erika.tfd)", tariffs), -1);

  // An earlier record removed: the edited one moved forward.
  tariffs.erase(tariffs.begin());
  edit.TariffRemoved(0);
  EXPECT_EQ(edit.Locate("Hans (Hans.tfd)", tariffs), 0);
  // A later one removed: no change.
  tariffs.erase(tariffs.begin() + 1);
  edit.TariffRemoved(1);
  EXPECT_EQ(edit.Locate("Hans (Hans.tfd)", tariffs), 0);
  // The edited one removed: gone, even though a record with equal settings
  // takes its place.
  tariffs[0].Name = "T1";
  tariffs.push_back(tariffs[0]);
  tariffs.erase(tariffs.begin());
  edit.TariffRemoved(0);
  EXPECT_TRUE(edit.IsSet());
  EXPECT_EQ(edit.Locate("Hans (Hans.tfd)", tariffs), -1);
}

TEST(EditedTariff, ARecordChangedBehindTheEditIsNotOverwritten) {
  std::vector<TariffRecord> tariffs(1);
  tariffs[0].Name = "Alt";
  EditedTariff edit;
  edit.Set("U", 0, tariffs[0]);
  tariffs[0].EntryName = "Anders";
  EXPECT_EQ(edit.Locate("U", tariffs), -1);
  tariffs.clear();
  EXPECT_EQ(edit.Locate("U", tariffs), -1);
  edit.Clear();
  EXPECT_FALSE(edit.IsSet());
}

}  // namespace
}  // namespace tarifuhr
