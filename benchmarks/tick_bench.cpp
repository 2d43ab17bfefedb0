// SPDX-License-Identifier: MIT
// One counted second of the accounting tick with 100 tariffs and an open
// connection on the simulated network, a day caught up at once, and the
// overview's texts alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "accounting/AccountingCore.h"
#include "accounting/SnapshotText.h"
#include "benchmarks/NullViews.h"
#include "platform/sim/SimBackend.h"

namespace {

using namespace tarifuhr;

using bench::NullList;

int SevenPixelsPerByte(const std::string& t) { return static_cast<int>(t.size()) * 7; }

// Makes the texts the window makes of each snapshot: that work used to be
// part of the tick, so the figures stay comparable.
class NullDisplay : public AccountingDisplay {
 public:
  void Show(const AccountingSnapshot& s) override {
    if (s.Changed(AccountingSnapshot::kFigures))
      benchmark::DoNotOptimize(TextsOfFigures(s.figures, rs).data());
    if (s.Changed(AccountingSnapshot::kOverview)) {
      rows.clear();
      for (const OverviewRow& r : s.overview) rows.push_back(OverviewRowText(r, SevenPixelsPerByte, rs));
      benchmark::DoNotOptimize(rows.data());
    }
    if (s.Changed(AccountingSnapshot::kLog))
      historyLineCount = ShowLogRecords(s.log, list, SevenPixelsPerByte, rs);
    if (s.Changed(AccountingSnapshot::kLogLine))
      ShowLogLine(s.openRecord, historyLineCount, list, SevenPixelsPerByte, rs);
    if (s.Changed(AccountingSnapshot::kVolume))
      benchmark::DoNotOptimize(VolumeStatusText(s.volume, rs).data());
  }
  void ShowFirstStartDialog() override {}
  void ShowError(const std::string&) override {}
  const RegionalSettings rs = RegionalSettings::German();
  std::vector<std::string> rows;
  int historyLineCount = 0;
  NullList list;
};

struct World {
  World() {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    backend.Register(libraries);
    SimEntry e;
    e.Name = "Net";
    e.RateRx = 5000;
    e.RateTx = 700;
    network->AddEntry(e);
    uint32_t outcome = 0;
    double delay = 0;
    network->FinishDial(network->StartDial("Net", "", "", outcome, delay), outcome, delay);
    std::vector<TariffRecord> tariffs;
    for (int i = 0; i < 100; ++i) {
      TariffRecord t;
      t.Name = "Tarif " + std::to_string(i);
      t.EntryName = i == 99 ? "Net" : "Other " + std::to_string(i);
      t.PricePerMinute = 2;
      t.TimeLimit = 3000;
      t.StartDate = EncodeDate(2026, 12, 1);
      tariffs.push_back(t);
    }
    // The tariffs reach the core as a user's file.
    const std::string user = files.CreateUser("Bench").section;
    files.SaveUserData(user, tariffs, {});
    core.SwitchUser(user);
  }
  void NextSecond() {
    clock.AdvanceSeconds(1);
    core.Tick();
  }
  std::string dir = "/tmp/tarifuhr-bench-tick";
  ManualClock clock{EncodeDate(2026, 12, 7) + EncodeTime(12, 0, 0, 10)};
  std::shared_ptr<SimNetwork> network = std::make_shared<SimNetwork>(dir, SimNetwork::FromClock(clock));
  SimDialUpBackend backend{network};
  RasLibraries libraries;
  RasBinder binder{libraries};
  DialUp dialUp{DialUpServices{&binder, StatisticsFamily::Device, nullptr, nullptr, &backend}};
  RegistryStore registry = RegistryStore::ForConfigHome(dir + "/config");
  UserFiles files{dir, clock};
  ConnectionLog log{dir + "/dialup.otl"};
  NullDisplay display;
  AccountingCore core{
      AccountingServices{clock, dialUp, backend, registry, files, log, RegionalSettings::German(), "sim"},
      display};
};

void BM_CountedSecond(benchmark::State& state) {
  World w;
  w.NextSecond();  // opens the connection record
  for (auto _ : state) w.NextSecond();
  state.counters["connection_seconds"] = w.core.OpenRecord().seconds;
}
BENCHMARK(BM_CountedSecond)->Unit(benchmark::kMicrosecond);

// The most one tick catches up: a day the program could not tick while the
// connection stayed up, counted second by second.
void BM_CatchUpOfADay(benchmark::State& state) {
  World w;
  w.NextSecond();
  for (auto _ : state) {
    w.clock.AdvanceSeconds(static_cast<double>(TickScheduler::kMaxSecondsMissed));
    w.NextSecond();
  }
  state.counters["connection_seconds"] = w.core.OpenRecord().seconds;
}
BENCHMARK(BM_CatchUpOfADay)->Unit(benchmark::kMillisecond);

// The window's texts of the 100 overview rows of the last snapshot.
void BM_OverviewTexts(benchmark::State& state) {
  World w;
  const RegionalSettings rs = RegionalSettings::German();
  for (auto _ : state)
    for (const OverviewRow& r : w.core.Snapshot().overview)
      benchmark::DoNotOptimize(OverviewRowText(r, SevenPixelsPerByte, rs));
}
BENCHMARK(BM_OverviewTexts)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
