// SPDX-License-Identifier: MIT
#include "accounting/ChargingRules.h"
#include "accounting/TariffLimits.h"
#include "tests/accounting/CoreFixture.h"

namespace tarifuhr::testing {
namespace {

TEST_F(CoreTest, TheProvidersFiguresBecomeThePeriodsAndTheLogAgreesAgain) {
  AddEntry("Net", 1000, 0);
  TariffRecord t = Tariff("T", "Net", 2, 5);
  t.TimeLimit = 600;
  UseTariffs({t});
  const TariffRecord before = core.Tariffs()[0];
  DialOutside("Net");
  TickSeconds(120);
  network->HangUpEntry("Net");
  TickNextSecond();
  const TariffRecord counted = core.Tariffs()[0];
  ASSERT_GT(counted.PeriodBytes, 0);

  const int64_t volume = counted.PeriodBytes + 50000;
  core.TakeProviderFigures(0, {3000, 7.5, volume});
  const TariffRecord& after = core.Tariffs()[0];
  EXPECT_EQ(after.PeriodSeconds, 3000);
  EXPECT_EQ(after.PeriodCosts, 7.5);
  EXPECT_EQ(after.PeriodBytes, volume);
  // 550 minutes left over the 25 days to 1 January, at once.
  EXPECT_DOUBLE_EQ(after.DailyAllowance, 22);
  EXPECT_EQ(after.TodayAllowance, 22);

  const auto logged = Logged();
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[1].entry, "Korrektur");
  EXPECT_EQ(logged[1].seconds, 0);
  EXPECT_NEAR(logged[1].cost, 7.5 - counted.PeriodCosts, 1e-9);
  EXPECT_EQ(logged[1].received, 50000);
  double cost = 0;
  for (const ConnectionRecord& r : logged) cost += r.cost;
  EXPECT_NEAR(cost, after.PeriodCosts - before.PeriodCosts, 1e-9);

  // Saved: a restart has the same figures.
  std::vector<TariffRecord> saved;
  TotalsRecord totals;
  files.LoadUserData(testUser, saved, totals);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].PeriodSeconds, 3000);

  // A figure no period can have changes nothing, in the log neither.
  EXPECT_THROW(core.TakeProviderFigures(0, {-1, 0, 0}), ValueOutOfRange);
  EXPECT_EQ(core.Tariffs()[0].PeriodSeconds, 3000);
  EXPECT_EQ(Logged().size(), 2u);
}

TEST_F(CoreTest, WarningsGivenInThePeriodStayGivenAfterACorrection) {
  AddEntry("Net");
  TariffRecord t = Tariff("T", "Net", 2);
  t.CostLimit = 1000;
  t.PeriodCosts = 850;
  UseTariffs({t});
  DialOutside("Net");
  TickSeconds(2);
  ASSERT_EQ(display.warnings.size(), 1u);
  core.TakeProviderFigures(0, {0, 100, 0});
  TickSeconds(2);
  core.TakeProviderFigures(0, {0, 900, 0});
  TickSeconds(2);
  EXPECT_EQ(display.warnings.size(), 1u);
}

TEST_F(CoreTest, ARechargeRaisesTheCreditAndStartsNothingNew) {
  TariffRecord t = Tariff("Karte", "Net", 2);
  t.PeriodType = static_cast<uint8_t>(PeriodKind::Prepaid);
  t.StartDate = EncodeDate(2026, 10, 3);
  t.CostLimit = 1000;
  t.PeriodSeconds = 27000;  // 450 minutes, 900 cents
  t.PeriodCosts = 900;
  UseTariffs({t});
  EXPECT_EQ(CreditLeft(core.Tariffs()[0]), 100);

  core.RechargeCredit(0, 1500);
  const TariffRecord& after = core.Tariffs()[0];
  EXPECT_EQ(CreditLeft(after), 1600);
  EXPECT_EQ(after.StartDate, EncodeDate(2026, 10, 3));
  EXPECT_EQ(after.PeriodCosts, 900);
  EXPECT_DOUBLE_EQ(after.DailyAllowance, 800) << "all the credit's minutes, today";

  EXPECT_THROW(core.RechargeCredit(0, kMaxCostLimit), ValueOutOfRange);
  EXPECT_EQ(core.Tariffs()[0].CostLimit, 2500);

  // The credit left as the provider says it: the costs follow.
  core.TakeProviderFigures(0, {after.PeriodSeconds, 2500 - 1234, 0});
  EXPECT_EQ(CreditLeft(core.Tariffs()[0]), 1234);
}

}  // namespace
}  // namespace tarifuhr::testing
