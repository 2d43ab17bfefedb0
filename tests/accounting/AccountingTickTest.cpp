// SPDX-License-Identifier: MIT
#include "platform/MessagePump.h"
#include "tests/accounting/CoreFixture.h"

namespace tarifuhr::testing {
namespace {

TEST_F(CoreTest, CountsOneSecondPerWallClockSecond) {
  AddEntry("Net");
  UseTariffs({Tariff("T", "Net")});
  DialOutside("Net");
  const TDateTime noon = EncodeDate(2026, 12, 7) + EncodeTime(12, 0, 0);
  clock.Set(noon + EncodeTime(0, 0, 0, 10));
  core.Tick();
  clock.Set(noon + EncodeTime(0, 0, 0, 990));
  core.Tick();
  EXPECT_EQ(core.Tariffs()[0].PeriodSeconds, 1);
  clock.Set(noon + EncodeTime(0, 0, 1, 0));
  core.Tick();
  EXPECT_EQ(core.Tariffs()[0].PeriodSeconds, 2);
  // The timer is armed for just after the next boundary, not polled.
  clock.Set(noon + EncodeTime(0, 0, 1, 400));
  EXPECT_EQ(core.MillisecondsUntilNextTick(), 600 + TickScheduler::kMarginMs);
}

TEST_F(CoreTest, FirstOnlineSecondsOpenTheRecordAndCharge) {
  AddEntry("Net");
  UseTariffs({Tariff("Tarif A", "Net", 3, 5)});
  display.log.lines = {"old 1", "old 2"};
  display.historyLineCount = 2;
  DialOutside("Net");

  TickNextSecond();
  EXPECT_EQ(core.OpenRecord().entry, "Net");
  EXPECT_EQ(core.Tariffs()[0].PeriodCosts, 8) << "fee and the first minute";
  EXPECT_EQ(core.OpenRecord().cost, 8);
  EXPECT_EQ(core.OpenRecord().seconds, 1);
  ASSERT_EQ(display.log.lines.size(), 3u);
  EXPECT_NE(display.log.lines[2].find("\t00:00:00\t"), std::string::npos) << display.log.lines[2];
  EXPECT_NE(display.log.lines[2].find("\t0,00"), std::string::npos) << "charges show a second later";
  EXPECT_EQ(display.tariffCaption, "Tarif A:");

  TickNextSecond();
  ASSERT_EQ(display.log.lines.size(), 3u) << "the live line is rewritten in place";
  EXPECT_NE(display.log.lines[2].find("\t00:00:01\t"), std::string::npos);
  EXPECT_NE(display.log.lines[2].find("\t0,08"), std::string::npos);
  EXPECT_EQ(display.figures[Figure::SecondsToday], " 00:00:01")
      << "figures show the day before this second counts";
  EXPECT_EQ(display.figures[Figure::PeriodCosts], " 0,08");
  EXPECT_EQ(core.Totals().OnlineSeconds, 2);
}

TEST_F(CoreTest, AConnectionWithoutTariffIsLoggedWithoutCost) {
  AddEntry("Fremd");
  UseTariffs({Tariff("T", "Net", 3, 5)});
  const TariffRecord before = core.Tariffs()[0];
  DialOutside("Fremd");
  TickSeconds(70);
  EXPECT_EQ(display.figures[Figure::SecondsToday], " - ");
  EXPECT_EQ(display.tariffCaption, "Fremd:");
  network->HangUpEntry("Fremd");
  TickNextSecond();
  const auto logged = Logged();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].entry, "Fremd");
  EXPECT_EQ(logged[0].seconds, 70);
  EXPECT_EQ(logged[0].cost, 0);
  EXPECT_EQ(core.Tariffs()[0], before);
  EXPECT_EQ(display.tariffCaption, "Offline");
}

TEST_F(CoreTest, TrafficCountsFromTheConnectionsStart) {
  AddEntry("Net");
  UseTariffs({Tariff("T", "Net")});
  DialOutside("Net");
  TickNextSecond();
  network->AddTraffic("Net", 500, 20);
  TickNextSecond();
  network->AddTraffic("Net", 300, 0);
  TickNextSecond();
  EXPECT_EQ(core.OpenRecord().received, 800);
  EXPECT_EQ(core.OpenRecord().sent, 20);
  EXPECT_EQ(core.Tariffs()[0].ConnectionBytes, 820);
  EXPECT_EQ(display.figures[Figure::ConnectionBytes], " 820 Bytes");
}

TEST_F(CoreTest, GoingOfflineLogsOnceAndMovesTheBytesToThePeriod) {
  AddEntry("Net", 1000, 100);
  TariffRecord t = Tariff("T", "Net");
  t.PeriodBytes = 50;
  UseTariffs({t});
  DialOutside("Net");
  TickSeconds(10);
  const int64_t bytes = core.Tariffs()[0].ConnectionBytes;
  EXPECT_GT(bytes, 0);
  network->HangUpEntry("");
  TickSeconds(3);
  ASSERT_EQ(Logged().size(), 1u);
  EXPECT_EQ(Logged()[0].received + Logged()[0].sent, bytes);
  EXPECT_EQ(core.Tariffs()[0].PeriodBytes, 50 + bytes);
  EXPECT_EQ(core.Tariffs()[0].ConnectionBytes, 0);
  EXPECT_FALSE(core.OpenRecord().IsOpen());
  EXPECT_EQ(display.log.lines.size(), 1u) << "the log list was reloaded";
  EXPECT_EQ(display.historyLineCount, 1);
  for (Figure f : kFigures) EXPECT_EQ(display.figures[f], " - ");
}

TEST_F(CoreTest, ASecondTariffCountsWhileTheFirstStaysUntouched) {
  AddEntry("A");
  AddEntry("B");
  std::vector<TariffRecord> tariffs = {Tariff("TA", "A"), Tariff("TB", "B", 4)};
  tariffs[1].TimeLimit = 600;
  UseTariffs(tariffs);
  const TariffRecord first = core.Tariffs()[0];
  DialOutside("B");
  TickSeconds(61);
  EXPECT_EQ(core.Tariffs()[0], first);
  EXPECT_EQ(core.Tariffs()[1].PeriodSeconds, 61);
  EXPECT_EQ(core.Tariffs()[1].PeriodCosts, 8);
  EXPECT_EQ(core.Tariffs()[1].LastDay, EncodeDate(2026, 12, 7));
  EXPECT_NE(core.Tariffs()[1].TodayAllowance, 0);
  EXPECT_EQ(core.ActiveTariff(), 1);
}

TEST_F(CoreTest, ThirtyMinutesCostTheFeeAndThirtyMinutes) {
  AddEntry("Net", 2000, 300);
  UseTariffs({Tariff("T", "Net", 3.9, 5)});
  DialOutside("Net");
  TickSeconds(1800);
  network->HangUpEntry("Net");
  TickNextSecond();
  const auto logged = Logged();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].seconds, 1800);
  EXPECT_NEAR(logged[0].cost, 5 + 30 * 3.9, 1e-9);
  EXPECT_NEAR(core.Tariffs()[0].PeriodCosts, 5 + 30 * 3.9, 1e-9);
  EXPECT_EQ(core.Tariffs()[0].PeriodSeconds, 1800);
  EXPECT_EQ(core.Tariffs()[0].PeriodBytes, logged[0].received + logged[0].sent);
}

TEST_F(CoreTest, BytesOfAConnectionOverMidnightCountOnce) {
  AddEntry("Net", 100, 10);
  UseTariffs({Tariff("T", "Net")});
  clock.Set(EncodeDate(2026, 12, 7) + EncodeTime(23, 59, 0));
  DialOutside("Net");
  TickSeconds(120);
  EXPECT_EQ(core.Tariffs()[0].LastDay, EncodeDate(2026, 12, 8));
  EXPECT_EQ(core.Tariffs()[0].SecondsToday, 61);
  network->HangUpEntry("Net");
  TickNextSecond();
  const auto logged = Logged();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(core.Tariffs()[0].PeriodBytes, logged[0].received + logged[0].sent);
  EXPECT_GT(core.Tariffs()[0].PeriodBytes, 0);
}

TEST_F(CoreTest, PeriodsRollOverAndCatchUpInTheTick) {
  AddEntry("Net");
  std::vector<TariffRecord> tariffs = {Tariff("T", "Net"), Tariff("U", "Net")};
  tariffs[0].StartDate = EncodeDate(2026, 11, 7);
  tariffs[0].PeriodSeconds = 5000;
  tariffs[0].PeriodCosts = 400;
  TotalsRecord totals;
  totals.OnlineSeconds = 1000;
  tariffs.pop_back();
  UseTariffs(tariffs, totals);
  DialOutside("Net");
  TickNextSecond();
  EXPECT_EQ(core.Tariffs()[0].StartDate, EncodeDate(2026, 12, 7));
  EXPECT_EQ(core.Tariffs()[0].PeriodSeconds, 1);
  EXPECT_EQ(core.Tariffs()[0].PeriodCosts, 2);
  EXPECT_EQ(core.Totals().OnlineSeconds, 1000 - 400 + 1);

  // Anniversaries missed while the PC was off: a new period as well, and
  // the allowances are never computed from a past period end.
  ChangeTariffs([](std::vector<TariffRecord>& t, TotalsRecord&) {
    t[0].StartDate = EncodeDate(2026, 9, 30);
    t[0].PeriodCosts = 50;
    t[0].TimeLimit = 600;
  });
  TickNextSecond();
  EXPECT_EQ(core.Tariffs()[0].StartDate, EncodeDate(2026, 11, 30));
  EXPECT_EQ(core.Tariffs()[0].PeriodSeconds, 1);
  EXPECT_EQ(core.Tariffs()[0].PeriodCosts, 0);
  EXPECT_EQ(core.Totals().OnlineSeconds, 1000 - 400 + 1 - 50 + 1);
  TickNextSecond();
  EXPECT_GT(core.Tariffs()[0].TodayAllowance, 0);
  EXPECT_GT(core.Tariffs()[0].DailyAllowance, 0);
}

TEST_F(CoreTest, OutsideTheWindowOnlyTheProgramsOwnDialIsHungUp) {
  AddEntry("Tag");
  TariffRecord t = Tariff("T", "Tag");
  t.WindowFrom = EncodeTime(8, 0, 0);
  t.WindowTo = EncodeTime(10, 0, 0);  // now is 12:00
  UseTariffs({t});

  DialOutside("Tag");
  TickSeconds(3);
  EXPECT_EQ(network->Snapshot().Connections.size(), 1u) << "not ours: it stays up";

  network->HangUpEntry("");
  TickNextSecond();
  dialUp.SetEntry("Tag");
  ASSERT_EQ(dialUp.Dial(), 0u);
  TickNextSecond();
  EXPECT_TRUE(network->Snapshot().Connections.empty()) << "ours: hung up";
  TickNextSecond();
  EXPECT_EQ(Logged().size(), 2u);
}

TEST_F(CoreTest, AUsedVolumeOrBudgetCutsTheConnectionWhoeverMadeItUnlessTheUserChoseToDial) {
  AddEntry("Mobil");
  AddEntry("Fest");
  TariffRecord volume = Tariff("Handy", "Mobil");
  volume.VolumeLimit = 1024 * 1024;
  volume.HangUpWhenVolumeUsed = true;
  TariffRecord budget = Tariff("Festnetz", "Fest", /*price=*/100);
  budget.CostLimit = 250;  // the third minute's charge reaches it
  budget.HangUpWhenBudgetUsed = true;
  UseTariffs({volume, budget});

  DialOutside("Mobil");
  TickNextSecond();
  network->AddTraffic("Mobil", 2 * 1024 * 1024, 0);
  TickNextSecond();
  EXPECT_TRUE(network->Snapshot().Connections.empty()) << "made outside, cut all the same";
  EXPECT_EQ(display.errors,
            std::vector<std::string>{
                "Das Datenvolumen von „Handy“ ist verbraucht; die Verbindung wurde getrennt."});
  TickNextSecond();
  EXPECT_EQ(Logged().size(), 1u);

  // Dialled although the volume is used: it runs until it ends.
  core.AcceptUsedUp(0);
  DialOutside("Mobil");
  TickSeconds(3);
  EXPECT_EQ(network->Snapshot().Connections.size(), 1u);
  network->HangUpEntry("Mobil");
  TickNextSecond();

  DialOutside("Fest");
  TickSeconds(120);
  EXPECT_EQ(network->Snapshot().Connections.size(), 1u) << "two minutes charged, 200 of 250";
  TickNextSecond();
  EXPECT_TRUE(network->Snapshot().Connections.empty());
  EXPECT_EQ(display.errors.back(),
            "Das Budget von „Festnetz“ ist verbraucht; die Verbindung wurde getrennt.");
  EXPECT_EQ(display.errors.size(), 2u);
}

TEST_F(CoreTest, AVolumeTariffChargesBegunUnitsAndHangsUpItsOwnDialWhenUsedUp) {
  AddEntry("Mobil");
  TariffRecord t = Tariff("Handy", "Mobil", /*price=*/2);
  t.VolumeLimit = 1024 * 1024;
  t.VolumeUnit = 100 * 1024;
  t.VolumeUnitPrice = 10;
  t.HangUpWhenVolumeUsed = true;
  t.PeriodBytes = 300 * 1024;
  t.LastDay = EncodeDate(2026, 12, 7);
  UseTariffs({t});
  dialUp.SetEntry("Mobil");
  ASSERT_EQ(dialUp.Dial(), 0u);
  TickNextSecond();
  network->AddTraffic("Mobil", 100 * 1024, 50 * 1024);
  TickNextSecond();
  network->AddTraffic("Mobil", 100 * 1024, 0);
  TickNextSecond();
  const TariffRecord& counted = core.Tariffs()[0];
  EXPECT_EQ(core.OpenRecord().cost, 2 + 3 * 10) << "a minute and three begun units of 100 KB";
  EXPECT_EQ(counted.PeriodCosts, 2 + 3 * 10);
  EXPECT_EQ(counted.BytesToday, 250 * 1024);
  EXPECT_EQ(display.figures[Figure::ConnectionBytes], " 550 KB / 1,0 MB");
  // 474 KB left over the 25 days to January 1st.
  EXPECT_EQ(display.volumeStatus, "heute frei: -231 KB\nim Monat frei: 474 KB");
  TickNextSecond();  // the overview shows the figures at the second's start
  EXPECT_TRUE(display.rows[0].find("\t474 KB\t") != std::string::npos) << display.rows[0];
  EXPECT_EQ(network->Snapshot().Connections.size(), 1u);

  network->AddTraffic("Mobil", 500 * 1024, 0);  // over the limit
  TickNextSecond();
  EXPECT_TRUE(network->Snapshot().Connections.empty()) << "used up: hung up";
  TickNextSecond();
  ASSERT_EQ(Logged().size(), 1u);
  EXPECT_EQ(Logged()[0].cost, 2 + 8 * 10);
  EXPECT_EQ(core.Tariffs()[0].PeriodBytes, (300 + 750) * 1024);
  EXPECT_EQ(core.Tariffs()[0].PeriodCosts, 2 + 8 * 10);
  EXPECT_EQ(display.volumeStatus, "");
}

TEST_F(CoreTest, TimeOnlineThroughALanIsNoConnection) {
  AddEntry("Net");
  UseTariffs({Tariff("T", "Net"), Tariff("Ohne Eintrag", "", 3, 5)});
  const TariffRecord noEntry = core.Tariffs()[1];
  state.lan = true;
  TickSeconds(3);
  EXPECT_FALSE(core.OpenRecord().IsOpen());
  EXPECT_EQ(display.tariffCaption, "Offline");
  DialOutside("Net");
  TickSeconds(5);
  network->HangUpEntry("Net");
  TickSeconds(5);
  EXPECT_EQ(core.Tariffs()[0].PeriodSeconds, 5);
  ASSERT_EQ(Logged().size(), 1u) << "the connection ends though the LAN stays";
  EXPECT_EQ(Logged()[0].seconds, 5);
  EXPECT_EQ(core.Tariffs()[1], noEntry);
}

TEST_F(CoreTest, ATariffListChangedDuringASlowHangUpIsLeftAlone) {
  // The hang-up waits for the connection to go and lets window messages
  // run meanwhile; a dialog replaces the tariffs then.
  RasLibrary slow = *libraries.Load(kRasLibrary);
  auto status = std::get<RasGetConnectStatusProc>(slow["RasGetConnectStatusA"]);
  int stillThere = 3;
  slow["RasGetConnectStatusA"] = RasGetConnectStatusProc{[status, &stillThere](uint32_t h, uint8_t* s) {
    const uint32_t code = status.fn(h, s);
    return code == ras::kErrorInvalidHandle && stillThere-- > 0 ? 0u : code;
  }};
  libraries.Register(kRasLibrary, slow);
  // The dialog switches to a user whose file holds only the replacement.
  const TariffRecord replacement = Tariff("Neu", "Anderes");
  const std::string other = files.CreateUser("Andere").section;
  files.SaveUserData(other, {replacement}, {});

  AddEntry("Tag");
  TariffRecord t = Tariff("T", "Tag");
  t.WindowFrom = EncodeTime(8, 0, 0);
  t.WindowTo = EncodeTime(10, 0, 0);  // now is 12:00
  UseTariffs({t});
  SetMessagePump([&] { core.SwitchUser(other); });
  dialUp.SetEntry("Tag");
  ASSERT_EQ(dialUp.Dial(), 0u);
  TickNextSecond();
  SetMessagePump({});
  EXPECT_LE(stillThere, 0) << "the hang-up waited";
  ASSERT_EQ(core.Tariffs().size(), 1u);
  EXPECT_EQ(core.Tariffs()[0], replacement);
  TickNextSecond();
  EXPECT_EQ(Logged().size(), 1u);
  EXPECT_EQ(core.Tariffs()[0], replacement);
}

TEST_F(CoreTest, OverviewRows) {
  std::vector<TariffRecord> tariffs = {Tariff("Ein sehr langer Tarifname", "Net"), Tariff("Frei", "X")};
  tariffs[0].TimeLimit = 600;
  tariffs[0].TodayAllowance = 20;
  tariffs[0].DailyAllowance = 20.5;
  tariffs[0].PeriodSeconds = 3725;
  tariffs[0].PeriodBytes = 1234567;
  tariffs[0].PeriodCosts = 1234;
  tariffs[1].SecondsToday = 30;
  UseTariffs(tariffs);
  ASSERT_EQ(display.rows.size(), 2u);
  // 7 px per byte: names over 90 px keep 15 characters; byte texts of
  // 66 px or more keep 11.
  EXPECT_EQ(display.rows[0], "Ein sehr langer\t01:02:05\t00:20:30\t00:20:00\t1.234.567 B\t 12,34");
  EXPECT_EQ(display.rows[1], "Frei\t00:00:00\t00:00:00\t00:00:00\t0 B\t 0,00")
      << "no budget: Z.Konto shows zero";

  // Tabs and line breaks in a name never break the columns.
  UseTariffs({Tariff("Tag\tund\nNacht", "Net\tz")});
  EXPECT_EQ(display.rows[0].substr(0, 14), "Tag und Nacht\t");
  ConnectionRecord r;
  r.entry = "Net\tz";
  EXPECT_EQ(FormatLogLine(
                r, [](const std::string& s) { return SevenPixelsPerByte(s); }, RegionalSettings::German())
                .substr(0, 6),
            "Net z\t");
}

}  // namespace
}  // namespace tarifuhr::testing
