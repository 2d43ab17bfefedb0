// SPDX-License-Identifier: MIT
// The tick where real life moves the clock: steps of the wall clock, a PC
// that sleeps, a program that could not tick, a restart while online, a
// redial and a connection that ends in the middle of a tick.
#include <memory>

#include "accounting/ConnectionHistory.h"
#include "platform/Files.h"
#include "tests/accounting/CoreFixture.h"

namespace tarifuhr::testing {
namespace {

const TDateTime kSecond = 1.0 / 86400.0;

TDateTime At(int y, int m, int d, int hour, int minute, int second) {
  return EncodeDate(y, m, d) + EncodeTime(hour, minute, second);
}

TEST_F(CoreTest, AClockBehindThePeriodOrTheDayKeepsWhatWasCounted) {
  AddEntry("Net");
  TariffRecord t = Tariff("T", "Net", 2, 5);  // period from 1 December
  t.PeriodSeconds = 9 * 3600;
  t.PeriodCosts = 600;
  t.TimeLimit = 1200;
  t.LastDay = EncodeDate(2026, 12, 7);
  t.SecondsToday = 120;
  UseTariffs({t});
  const TotalsRecord totals = core.Totals();
  DialOutside("Net");
  TickSeconds(10);

  clock.Set(At(2026, 11, 30, 12, 0, 0));  // NTP steps the clock back
  TickSeconds(10);
  clock.Set(At(2000, 1, 1, 0, 0, 5));  // a dead clock battery
  TickSeconds(10);
  EXPECT_EQ(core.Tariffs()[0].StartDate, EncodeDate(2026, 12, 1));
  EXPECT_EQ(core.Tariffs()[0].PeriodSeconds, 9 * 3600 + 30);
  EXPECT_EQ(core.Tariffs()[0].SecondsToday, 150) << "no new day before the last one";

  clock.Set(At(2026, 12, 7, 12, 1, 0));  // right again: no roll-over, still today
  TickSeconds(10);
  clock.Set(At(2026, 12, 6, 23, 59, 0));  // a day back and forward again
  TickSeconds(5);
  clock.Set(At(2026, 12, 7, 12, 2, 0));
  TickSeconds(5);
  network->HangUpEntry("Net");
  TickNextSecond();

  const TariffRecord& after = core.Tariffs()[0];
  EXPECT_EQ(after.StartDate, EncodeDate(2026, 12, 1));
  EXPECT_EQ(after.SecondsToday, 170);
  EXPECT_EQ(after.PeriodCosts, 600 + 5 + 2);
  ASSERT_EQ(Logged().size(), 1u);
  EXPECT_EQ(Logged()[0].seconds, 50);
  ExpectLogAgreesWithTariff(t, totals, after, core.Totals());
}

TEST_F(CoreTest, TheFirstSecondOfANewPeriodWarnsByTheNewAllowance) {
  AddEntry("Net");
  TariffRecord t = Tariff("T", "Net", 2, 0);
  t.StartDate = EncodeDate(2026, 11, 7);  // today is the anniversary
  t.TimeLimit = 93;                       // 3 minutes a day until 7 January
  t.PeriodSeconds = 100 * 60;             // the old period overdrawn:
  t.TodayAllowance = -1;                  // its allowances are negative
  t.DailyAllowance = -1;
  t.LastDay = EncodeDate(2026, 12, 7);
  UseTariffs({t});
  DialOutside("Net");
  TickNextSecond();
  EXPECT_EQ(core.Tariffs()[0].StartDate, EncodeDate(2026, 12, 7));
  EXPECT_TRUE(display.warnings.empty()) << display.warnings[0];
  TickSeconds(170);
  EXPECT_EQ(core.Tariffs()[0].TodayAllowance, 3);
  EXPECT_TRUE(display.warnings.empty());
  TickSeconds(20);  // past the new period's three minutes
  EXPECT_EQ(display.warnings, std::vector<std::string>{"Das Z.Konto für heute ist aufgebraucht."});
}

TEST_F(CoreTest, ARecordEndsWithTheLastSecondItWasSeenOnline) {
  AddEntry("Net", 100, 10);
  UseTariffs({Tariff("T", "Net", 2, 5)});
  clock.Set(At(2026, 12, 7, 23, 59, 39));
  DialOutside("Net");
  TickSeconds(10);  // 23:59:40 to 23:59:49
  network->HangUpEntry("Net");
  clock.Set(clock.Now() + 3 * 3600 * kSecond);  // the laptop sleeps three hours
  TickNextSecond();
  DialOutside("Net");
  TickSeconds(10);
  network->HangUpEntry("Net");
  TickNextSecond();

  const auto logged = Logged();
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_NEAR((logged[0].end - logged[0].start) / kSecond, 10, 1e-3);
  EXPECT_NEAR((logged[1].end - logged[1].start) / kSecond, 10, 1e-3);
  const auto days = UseByDay(logged, EncodeDate(2026, 12, 7), EncodeDate(2026, 12, 8));
  ASSERT_EQ(days.size(), 2u);
  EXPECT_NEAR(days[0].seconds, 10, 1e-9);
  EXPECT_NEAR(days[1].seconds, 10, 1e-9);
}

TEST_F(CoreTest, SecondsTheTickMissedAreCountedEachWithItsRules) {
  AddEntry("Net");
  TariffRecord t = Tariff("T", "Net", 2, 5);
  t.TimeLimit = 6000;
  UseTariffs({t});
  const TotalsRecord totals = core.Totals();
  clock.Set(At(2026, 12, 7, 23, 59, 30));
  DialOutside("Net");
  TickSeconds(10);           // 23:59:31 to 23:59:40
  clock.AdvanceSeconds(60);  // the program is stopped, or its window blocked
  TickNextSecond();          // 00:00:41
  EXPECT_EQ(core.OpenRecord().seconds, 71);
  EXPECT_EQ(core.Tariffs()[0].LastDay, EncodeDate(2026, 12, 8));
  EXPECT_EQ(core.Tariffs()[0].SecondsToday, 42) << "00:00:00 to 00:00:41";
  EXPECT_EQ(core.OpenRecord().cost, 5 + 2 * 2) << "the fee and the minutes at 0 and 60";

  // A night asleep, summer time on and off, NTP five minutes back: each
  // step is one second, neither counted nor taken off; after the sleep it
  // is a new day. A stop of three days counts a day at most.
  for (const double step : {86400.0, 3600.0, -3600.0, -300.0}) {
    clock.Set(clock.Now() + step * kSecond);
    TickNextSecond();
  }
  EXPECT_EQ(core.OpenRecord().seconds, 75);
  EXPECT_EQ(core.Tariffs()[0].LastDay, EncodeDate(2026, 12, 9));
  EXPECT_EQ(core.Tariffs()[0].SecondsToday, 4) << "a new day, kept when the clock went back";
  clock.AdvanceSeconds(3 * 86400);
  TickNextSecond();
  EXPECT_EQ(core.OpenRecord().seconds, 75 + TickScheduler::kMaxSecondsMissed + 1);
  network->HangUpEntry("Net");
  TickNextSecond();
  ExpectLogAgreesWithTariff(t, totals, core.Tariffs()[0], core.Totals());
}

TEST_F(CoreTest, ADialOfAConnectedEntryIsRefusedAndARedialIsItsOwnConnection) {
  AddEntry("Net");
  const TariffRecord t = Tariff("T", "Net", 2, 5);
  UseTariffs({t, Tariff("Anderer", "Anders")});
  const TotalsRecord totals = core.Totals();
  EXPECT_EQ(core.ConnectedEntryOfTariff(0), "");
  DialOutside("Net");
  TickSeconds(5);
  EXPECT_EQ(core.ConnectedEntryOfTariff(0), "Net");
  EXPECT_EQ(core.ConnectedEntryOfTariff(1), "");

  // Hung up and dialled again between two looks: another handle.
  network->HangUpEntry("Net");
  DialOutside("Net");
  TickNextSecond();
  network->AddTraffic("Net", 70000, 2000);
  TickSeconds(4);
  network->HangUpEntry("Net");
  TickNextSecond();

  const auto logged = Logged();
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[0].seconds, 5);
  EXPECT_EQ(logged[1].seconds, 5);
  EXPECT_EQ(logged[1].cost, 7) << "a new connection: its own fee";
  EXPECT_EQ(logged[1].received + logged[1].sent, 72000) << "its own traffic baseline";
  ExpectLogAgreesWithTariff(t, totals, core.Tariffs()[0], core.Totals());
}

TEST_F(CoreTest, AConnectionEndingInTheMiddleOfATickCountsOnBoth) {
  // The connection is gone right after the tick's first look.
  RasLibrary racing = *libraries.Load(kRasLibrary);
  auto enumerate = std::get<RasEnumConnectionsProc>(racing["RasEnumConnectionsA"]);
  bool endAfterLook = false;
  racing["RasEnumConnectionsA"] =
      RasEnumConnectionsProc{[&, enumerate](uint8_t* buf, uint32_t* size, uint32_t* count) {
        const uint32_t code = enumerate.fn(buf, size, count);
        if (endAfterLook) {
          endAfterLook = false;
          network->HangUpEntry("Net");
        }
        return code;
      }};
  libraries.Register(kRasLibrary, racing);
  AddEntry("Net");
  const TariffRecord t = Tariff("T", "Net", 2, 5);
  UseTariffs({t});
  const TotalsRecord totals = core.Totals();

  DialOutside("Net");
  endAfterLook = true;
  TickSeconds(2);
  DialOutside("Net");
  TickSeconds(30);
  endAfterLook = true;
  TickSeconds(2);

  const auto logged = Logged();
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[0].seconds, 1);
  EXPECT_EQ(logged[0].cost, 7);
  EXPECT_EQ(logged[1].seconds, 31);
  ExpectLogAgreesWithTariff(t, totals, core.Tariffs()[0], core.Totals());
}

// Runs of the program one after the other, over the same directory,
// network and clock.
class RestartTest : public CoreTest {
 protected:
  struct Run {
    Run(RestartTest& t)
        : dialUp(DialUpServices{&t.binder, StatisticsFamily::Device, nullptr, nullptr, &t.backend}),
          core(AccountingServices{t.clock, dialUp, t.state, t.registry, t.files, t.log,
                                  RegionalSettings::German(), "sim"},
               display) {
      dialUp.SetDialMode(DialMode::Sync);
      core.Startup();
    }
    DialUp dialUp;
    RecordingDisplay display;
    AccountingCore core;
  };

  void SetUp() override {
    const CreateUserResult user = files.CreateUser("Erika");
    section = user.section;
    files.SaveUserData(section, {Tariff("T", "Net", 2, 5)}, {});
    registry.WriteInteger(kTarifuhrKey, "first", 1);
    registry.WriteString(kTarifuhrKey, "currentuser", section);
    AddEntry("Net", 1000, 100);
  }
  std::pair<TariffRecord, TotalsRecord> Saved() const {
    std::vector<TariffRecord> tariffs;
    TotalsRecord totals;
    files.LoadUserData(section, tariffs, totals);
    return {tariffs.at(0), totals};
  }

  std::string section;
};

TEST_F(RestartTest, ARestartWhileOnlineGoesOnWithTheSameConnection) {
  const auto [before, totalsBefore] = Saved();
  DialOutside("Net");
  auto first = std::make_unique<Run>(*this);
  TickSeconds(first->core, 40);
  ASSERT_TRUE(first->core.CloseDownOnce().empty());
  first.reset();
  clock.AdvanceSeconds(10);  // not running; the provider bills on

  auto second = std::make_unique<Run>(*this);
  TickSeconds(second->core, 20);
  network->HangUpEntry("Net");
  TickNextSecond(second->core);
  ASSERT_TRUE(second->core.CloseDownOnce().empty());
  second.reset();

  auto logged = Logged();
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[0].seconds + logged[1].seconds, 40 + 10 + 20);
  EXPECT_EQ(logged[0].cost + logged[1].cost, 5 + 2 * 2) << "one fee, the minutes at 0 and 60";
  EXPECT_EQ(logged[0].received + logged[1].received, 1000 * 69) << "the traffic while not running too";
  EXPECT_NEAR((logged[1].start - logged[0].end) / kSecond, 0, 1e-3) << "the second goes on from the first";
  const auto [after, totalsAfter] = Saved();
  ExpectLogAgreesWithTariff(before, totalsBefore, after, totalsAfter);
  EXPECT_FALSE(FileExists(dir.File(kRememberedConnectionFile))) << "forgotten with the connection";

  // Ended while the program was not running and dialled again, or another
  // boot: a new connection each time, with its fee.
  DialOutside("Net");
  for (int run = 0; run < 3; ++run) {
    if (run == 1) {
      network->HangUpEntry("Net");
      DialOutside("Net");
    }
    if (run == 2) clock.Reboot("boot-2");
    Run again(*this);
    TickSeconds(again.core, 5);
    ASSERT_TRUE(again.core.CloseDownOnce().empty());
  }
  logged = Logged();
  ASSERT_EQ(logged.size(), 5u);
  for (size_t i = 2; i < 5; ++i) EXPECT_EQ(logged[i].cost, 7) << "the fee and a minute for record " << i;
}

TEST_F(RestartTest, AfterACrashTheCheckpointGoesOnOrIsLogged) {
  const auto [before, totalsBefore] = Saved();
  DialOutside("Net");
  auto crashed = std::make_unique<Run>(*this);
  TickSeconds(crashed->core, 330);  // a checkpoint after five minutes
  crashed.reset();                  // gone without a word
  clock.AdvanceSeconds(20);
  auto next = std::make_unique<Run>(*this);
  TickSeconds(next->core, 10);
  network->HangUpEntry("Net");
  TickNextSecond(next->core);
  ASSERT_TRUE(next->core.CloseDownOnce().empty());
  next.reset();
  auto logged = Logged();
  ASSERT_EQ(logged.size(), 1u) << "one connection, one record";
  EXPECT_EQ(logged[0].seconds, 330 + 20 + 10);
  EXPECT_EQ(logged[0].cost, 5 + 6 * 2);
  auto [after, totalsAfter] = Saved();
  ExpectLogAgreesWithTariff(before, totalsBefore, after, totalsAfter);

  // Crashed again, and the connection ended meanwhile: the log gets what
  // the user file holds of it.
  DialOutside("Net");
  crashed = std::make_unique<Run>(*this);
  TickSeconds(crashed->core, 310);
  crashed.reset();
  network->HangUpEntry("Net");
  next = std::make_unique<Run>(*this);
  TickSeconds(next->core, 3);
  next->core.CloseDownOnce();
  next.reset();
  logged = Logged();
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[1].seconds, 301) << "up to the checkpoint";
  std::tie(after, totalsAfter) = Saved();
  ExpectLogAgreesWithTariff(before, totalsBefore, after, totalsAfter);
  next = std::make_unique<Run>(*this);
  TickSeconds(next->core, 3);
  EXPECT_EQ(Logged().size(), 2u) << "logged once";
}

TEST(RememberedConnectionFile, IsReadBackWholeOrNotAtAll) {
  RememberedConnection c;
  c.network = "NetworkManager";
  c.bootId = "2f0c5a8e-0d1b-4f47-9a5e-3c1d2b4a5e6f";
  c.handle = 17;
  c.entryName = "Vodafone Mobile Broadband = schnell";
  c.device = "wwan0";
  c.user = "Erika (Erika.tfd)";
  c.record = {"Vodafone Mobile Broa", 46363.5, 46363.51, 864, 31.7, int64_t{1} << 40, 12345};
  c.nextChargeSecond = 900;
  c.bytesBefore = 4096;
  c.volumeUnitsCharged = 3;
  c.lastCountedSecond = 46363.509999;
  c.lastCountedMonotonicMs = 987654321;
  c.deviceReceived = uint64_t{1} << 41;
  c.deviceSent = 77;
  const std::string text = FormatRememberedConnection(c);
  EXPECT_EQ(ParseRememberedConnection(text), c);

  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"seconds=864", "seconds=-1"},         // no connection counts that
           {"nextcharge=900", "nextcharge=100"},  // behind its own seconds
           {"cost=31.7", "cost=nan"},
           {"monotonic=987654321\n", ""},  // cut short
       }) {
    std::string damaged = text;
    damaged.replace(damaged.find(from), from.size(), to);
    EXPECT_EQ(ParseRememberedConnection(damaged), std::nullopt) << to;
  }
  c.entryName = "zwei\nZeilen";
  EXPECT_FALSE(CanBeRemembered(c));
}

}  // namespace
}  // namespace tarifuhr::testing
