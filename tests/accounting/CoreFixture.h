// SPDX-License-Identifier: MIT
#pragma once
// The accounting core over the simulated dial-up network, a hand-moved
// clock and a display that records what it is told.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>

#include "accounting/AccountingCore.h"
#include "accounting/SnapshotText.h"
#include "platform/ras/RasBinder.h"
#include "platform/sim/SimBackend.h"
#include "tests/accounting/FakeLogList.h"
#include "tests/support/TempDir.h"

namespace tarifuhr::testing {

// Turns each snapshot into the texts the window shows, in the window's
// order, and records them.
class RecordingDisplay : public AccountingDisplay {
 public:
  void Show(const AccountingSnapshot& s) override {
    const RegionalSettings rs = RegionalSettings::German();
    if (s.Changed(AccountingSnapshot::kCaption)) tariffCaption = s.tariffCaption;
    if (s.Changed(AccountingSnapshot::kFigures)) {
      const FigureTexts texts = TextsOfFigures(s.figures, rs);
      for (Figure f : kFigures) figures[f] = texts[static_cast<size_t>(f)];
    }
    if (s.Changed(AccountingSnapshot::kOverview)) {
      rows.clear();
      for (const OverviewRow& r : s.overview) rows.push_back(OverviewRowText(r, SevenPixelsPerByte, rs));
    }
    if (s.Changed(AccountingSnapshot::kLog))
      historyLineCount = ShowLogRecords(s.log, log, SevenPixelsPerByte, rs);
    if (s.Changed(AccountingSnapshot::kLogLine))
      ShowLogLine(s.openRecord, historyLineCount, log, SevenPixelsPerByte, rs);
    if (s.Changed(AccountingSnapshot::kVolume)) volumeStatus = VolumeStatusText(s.volume, rs);
    if (s.Changed(AccountingSnapshot::kTariffList)) ++tariffListsShown;
  }
  void ShowFirstStartDialog() override { ++firstStartShown; }
  void ShowError(const std::string& message) override { errors.push_back(message); }
  void ShowWarning(const std::string&, const std::string& text) override { warnings.push_back(text); }

  std::map<Figure, std::string> figures;
  std::string tariffCaption, volumeStatus;
  std::vector<std::string> rows, errors, warnings;
  FakeLogList log;
  int historyLineCount = 0;
  int tariffListsShown = 0;
  int firstStartShown = 0;
};

// Online through a LAN whatever the dial-up network says, when asked.
class SwitchableInternetState : public InternetStateQuery {
 public:
  explicit SwitchableInternetState(InternetStateQuery& inner) : inner_(inner) {}
  bool GetConnectedState(uint32_t& flags) override {
    if (lan) {
      flags = kInternetConnectionLan;
      return true;
    }
    return inner_.GetConnectedState(flags);
  }
  bool lan = false;

 private:
  InternetStateQuery& inner_;
};

class CoreTest : public ::testing::Test {
 protected:
  CoreTest()
      : clock(EncodeDate(2026, 12, 7) + EncodeTime(12, 0, 0)),
        network(std::make_shared<SimNetwork>(dir.Path(), SimNetwork::FromClock(clock))),
        backend(network),
        state(backend),
        binder(libraries),
        dialUp(DialUpServices{&binder, StatisticsFamily::Device, nullptr, nullptr, &backend}),
        registry(RegistryStore::ForConfigHome(dir.File("config"))),
        files(dir.Path(), clock),
        log(dir.File("dialup.otl")),
        core(
            AccountingServices{clock, dialUp, state, registry, files, log, RegionalSettings::German(), "sim"},
            display) {
    backend.Register(libraries);
    dialUp.SetDialMode(DialMode::Sync);
  }

  // Makes a user "Test" current whose file holds `tariffs` and `totals`,
  // as a user's own tariffs would come.
  void UseTariffs(const std::vector<TariffRecord>& tariffs, const TotalsRecord& totals = {}) {
    if (testUser.empty()) testUser = files.CreateUser("Test").section;
    core.SwitchUser("");  // the figures so far saved first
    files.SaveUserData(testUser, tariffs, totals);
    core.SwitchUser(testUser);
  }
  // Changes the current figures as if the file had held them.
  void ChangeTariffs(const std::function<void(std::vector<TariffRecord>&, TotalsRecord&)>& change) {
    std::vector<TariffRecord> tariffs = core.Tariffs();
    TotalsRecord totals = core.Totals();
    change(tariffs, totals);
    UseTariffs(tariffs, totals);
  }

  // An entry of the simulated network.
  void AddEntry(const std::string& name, uint64_t rx = 0, uint64_t tx = 0) {
    SimEntry e;
    e.Name = name;
    e.RateRx = rx;
    e.RateTx = tx;
    network->AddEntry(e);
  }
  // A connection made outside the program.
  void DialOutside(const std::string& entry) {
    uint32_t outcome = 0;
    double delay = 0;
    const uint32_t h = network->StartDial(entry, "", "", outcome, delay);
    ASSERT_EQ(network->FinishDial(h, outcome, delay), 0u);
  }
  TariffRecord Tariff(const std::string& name, const std::string& entry, double price = 2, double fee = 0) {
    TariffRecord t;
    t.Name = name;
    t.EntryName = entry;
    t.PricePerMinute = price;
    t.DialInFee = fee;
    t.StartDate = EncodeDate(2026, 12, 1);
    t.InTotals = true;
    return t;
  }
  // Lets time pass to the next second (plus `ms`) and ticks once.
  void TickNextSecond(int ms = 10) { TickNextSecond(core, ms); }
  void TickNextSecond(AccountingCore& c, int ms = 10) {
    const TDateTime now = clock.Now();
    const TDateTime second = std::floor(now * 86400.0 + 1e-6) / 86400.0;
    clock.PassTo(second + (1000 + ms) / 86400000.0);
    c.Tick();
  }
  void TickSeconds(int n) { TickSeconds(core, n); }
  void TickSeconds(AccountingCore& c, int n) {
    for (int i = 0; i < n; ++i) TickNextSecond(c);
  }
  std::vector<ConnectionRecord> Logged() const { return log.ReadTail(1000); }
  // What the log says of its connections is what the tariff and the
  // totals counted since `before` and `totalsBefore`: seconds, cents, bytes.
  void ExpectLogAgreesWithTariff(const TariffRecord& before, const TotalsRecord& totalsBefore,
                                 const TariffRecord& after, const TotalsRecord& totalsAfter) const {
    int64_t seconds = 0, bytes = 0;
    double cost = 0;
    for (const ConnectionRecord& r : Logged()) {
      seconds += r.seconds;
      cost += r.cost;
      bytes += r.received + r.sent;
    }
    EXPECT_EQ(after.PeriodSeconds - before.PeriodSeconds, seconds);
    EXPECT_EQ(totalsAfter.OnlineSeconds - totalsBefore.OnlineSeconds, seconds);
    EXPECT_NEAR(after.PeriodCosts - before.PeriodCosts, cost, 1e-9);
    EXPECT_EQ(after.PeriodBytes + after.ConnectionBytes - before.PeriodBytes, bytes);
  }

  TempDir dir;
  ManualClock clock;
  std::shared_ptr<SimNetwork> network;
  SimDialUpBackend backend;
  SwitchableInternetState state;
  RasLibraries libraries;
  RasBinder binder;
  DialUp dialUp;
  RegistryStore registry;
  UserFiles files;
  ConnectionLog log;
  RecordingDisplay display;
  AccountingCore core;
  std::string testUser;
};

}  // namespace tarifuhr::testing
