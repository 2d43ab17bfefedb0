// SPDX-License-Identifier: MIT
#include "accounting/BudgetWarnings.h"
#include "accounting/ChargingRules.h"

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "tests/support/TempDir.h"

namespace tarifuhr {
namespace {

const TDateTime kToday = EncodeDate(2026, 12, 7);

TariffRecord CostTariff() {
  TariffRecord t;
  t.Name = "Mobil";
  t.StartDate = EncodeDate(2026, 12, 1);
  t.PricePerMinute = 10;
  t.CostLimit = 5000;
  t.TodayAllowance = 60;  // minutes
  return t;
}

class BudgetWarningsTest : public ::testing::Test {
 protected:
  std::vector<std::string> Check(BudgetWarnings& w, const TariffRecord& t, TDateTime day = kToday) {
    std::vector<BudgetWarning> due;
    w.Check("Erika", t, day, RegionalSettings::German(), true, due);
    std::vector<std::string> texts;
    for (const BudgetWarning& b : due) texts.push_back(b.title + " | " + b.text);
    return texts;
  }
  testing::TempDir dir;
  std::string path = dir.File("warnungen.txt");
};

TEST_F(BudgetWarningsTest, EachThresholdOncePerPeriodAlsoAfterARestart) {
  BudgetWarnings w(path);
  w.Load();
  TariffRecord t = CostTariff();
  t.PeriodCosts = 3999;
  EXPECT_TRUE(Check(w, t).empty());
  t.PeriodCosts = 4000;
  EXPECT_EQ(Check(w, t),
            std::vector<std::string>{"Tarifuhr: Mobil | 80 % des Kostenlimits erreicht: 40,00 von 50,00."});
  EXPECT_TRUE(Check(w, t).empty());

  BudgetWarnings restarted(path);
  restarted.Load();
  t.PeriodCosts = 4500;
  EXPECT_TRUE(Check(restarted, t).empty()) << "remembered across a restart";
  t.PeriodCosts = 5010;
  EXPECT_EQ(Check(restarted, t),
            std::vector<std::string>{"Tarifuhr: Mobil | Das Kostenlimit ist erreicht: 50,10 von 50,00."});
  EXPECT_TRUE(Check(restarted, t).empty());

  // A new period warns again; one that starts above the limit says 100 % only.
  t.StartDate = EncodeDate(2027, 1, 1);
  t.PeriodCosts = 6000;
  EXPECT_EQ(Check(restarted, t, EncodeDate(2027, 1, 2)).size(), 1u);
}

TEST_F(BudgetWarningsTest, PrepaidCreditWarnsOncePerCreditAsARechargeRaisesIt) {
  BudgetWarnings w(path);
  TariffRecord t = CostTariff();
  t.PeriodType = static_cast<uint8_t>(PeriodKind::Prepaid);
  t.PeriodCosts = 5000;
  EXPECT_EQ(Check(w, t).size(), 1u);
  EXPECT_TRUE(Check(w, t, kToday + 40).empty()) << "no period ends";
  Recharge(t, 1000);
  t.PeriodCosts = 5900;
  EXPECT_EQ(Check(w, t),
            std::vector<std::string>{"Tarifuhr: Mobil | 80 % des Kostenlimits erreicht: 59,00 von 60,00."});
}

TEST_F(BudgetWarningsTest, TimeAndVolumeBudgetsAndTheDaysAllowances) {
  BudgetWarnings w(path);
  TariffRecord t = CostTariff();
  t.CostLimit = 0;
  t.TimeLimit = 100;  // minutes
  t.PeriodSeconds = 80 * 60;
  t.SecondsToday = 60 * 60;  // today's 60 minutes used up
  t.VolumeLimit = 1000;
  t.PeriodBytes = 1000;
  t.VolumeDailyAllowance = 50;
  t.BytesToday = 10;
  EXPECT_EQ(Check(w, t), (std::vector<std::string>{
                             "Tarifuhr: Mobil | 80 % des Zeitlimits erreicht: 01:20:00 von 01:40:00.",
                             "Tarifuhr: Mobil | Das Datenvolumen ist verbraucht: 1 KB von 1 KB.",
                             "Tarifuhr: Mobil | Das Z.Konto für heute ist aufgebraucht."}));
  t.BytesToday = 50;
  EXPECT_EQ(Check(w, t),
            std::vector<std::string>{"Tarifuhr: Mobil | Das Datenvolumen für heute ist aufgebraucht."});
  EXPECT_TRUE(Check(w, t).empty());
  EXPECT_EQ(Check(w, t, kToday + 1).size(), 2u) << "the allowances once a day";
}

TEST_F(BudgetWarningsTest, ADamagedMemoryIsIgnoredAndWrittenAnew) {
  WriteFileAtomically(path, "Erika\tMobil\tkosten80\tkaputt\n");
  BudgetWarnings w(path);
  w.Load();
  TariffRecord t = CostTariff();
  t.PeriodCosts = 4000;
  EXPECT_EQ(Check(w, t).size(), 1u);
  const std::string written = ReadWholeFile(path, size_t{1} << 24).value();
  EXPECT_EQ(written.find("kaputt"), std::string::npos) << written;
  BudgetWarnings restarted(path);
  restarted.Load();
  EXPECT_TRUE(Check(restarted, t).empty());
}

}  // namespace
}  // namespace tarifuhr
