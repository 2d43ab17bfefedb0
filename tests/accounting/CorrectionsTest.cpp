// SPDX-License-Identifier: MIT
#include <algorithm>

#include "accounting/ChargingRules.h"
#include "accounting/TariffLimits.h"
#include "tests/accounting/CoreFixture.h"

namespace tarifuhr::testing {
namespace {

TEST_F(CoreTest, TheProvidersFiguresBecomeThePeriodsAndTheLogAgreesAgain) {
  AddEntry("Net", 1000, 0);
  TariffRecord t = Tariff("T", "Net", 2, 5);
  t.TimeLimit = 600;
  t.PeriodSeconds = 30000;  // 500 minutes: warned at 80 % in the first second
  UseTariffs({t});
  DialOutside("Net");
  TickSeconds(120);
  network->HangUpEntry("Net");
  TickNextSecond();
  const TariffRecord counted = core.Tariffs()[0];
  ASSERT_GT(counted.PeriodBytes, 0);
  ASSERT_EQ(display.warnings.size(), 1u);

  core.TakeProviderFigures(0, {3000, 7.5, counted.PeriodBytes + 50000});
  const TariffRecord& after = core.Tariffs()[0];
  EXPECT_EQ(std::tuple(after.PeriodSeconds, after.PeriodCosts, after.PeriodBytes),
            std::tuple(3000.0, 7.5, counted.PeriodBytes + 50000));
  // 550 minutes left over the 25 days to 1 January, at once.
  EXPECT_EQ(std::pair(after.DailyAllowance, after.TodayAllowance), std::pair(22.0, 22.0));
  const auto logged = Logged();
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(std::tuple(logged[1].entry, logged[1].seconds, logged[1].received),
            std::tuple(std::string("Korrektur"), 0, int64_t{50000}));
  EXPECT_NEAR(logged[0].cost + logged[1].cost, 7.5, 1e-9) << "the log's sum is the period's costs";

  // A figure no period can have changes nothing; warnings given stay given.
  EXPECT_THROW(core.TakeProviderFigures(0, {-1, 0, 0}), ValueOutOfRange);
  EXPECT_EQ(Logged().size(), 2u);
  core.TakeProviderFigures(0, {33000, 0, 0});
  DialOutside("Net");
  TickSeconds(2);
  EXPECT_EQ(std::count_if(display.warnings.begin(), display.warnings.end(),
                          [](const std::string& w) { return w.starts_with("80 %"); }),
            1);
}

TEST_F(CoreTest, ARechargeRaisesTheCreditAndStartsNothingNew) {
  TariffRecord t = Tariff("Karte", "Net", 2);
  t.PeriodType = static_cast<uint8_t>(PeriodKind::Prepaid);
  t.StartDate = EncodeDate(2026, 10, 3);
  t.CostLimit = 1000;
  t.PeriodSeconds = 27000;  // 450 minutes, 900 cents
  t.PeriodCosts = 900;
  UseTariffs({t});
  core.RechargeCredit(0, 1500);
  const TariffRecord& after = core.Tariffs()[0];
  EXPECT_EQ(std::tuple(CreditLeft(after), after.StartDate, after.PeriodCosts),
            std::tuple(1600.0, EncodeDate(2026, 10, 3), 900.0));
  EXPECT_DOUBLE_EQ(after.DailyAllowance, 800) << "all the credit's minutes, today";
  EXPECT_THROW(core.RechargeCredit(0, kMaxCostLimit), ValueOutOfRange);
  EXPECT_EQ(core.Tariffs()[0].CostLimit, 2500);
}

}  // namespace
}  // namespace tarifuhr::testing
