// SPDX-License-Identifier: MIT
// One counted second of the accounting tick with 100 tariffs and an open
// connection on the simulated network, a day caught up at once, and the
// overview alone.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "accounting/AccountingCore.h"
#include "benchmarks/NullViews.h"
#include "platform/sim/SimBackend.h"

namespace {

using namespace tarifuhr;

using bench::NullList;

class NullDisplay : public AccountingDisplay {
 public:
  void SetFigure(Figure, const std::string&) override {}
  void SetTariffCaption(const std::string&) override {}
  void SetOverviewRows(const std::vector<std::string>& r) override { benchmark::DoNotOptimize(r.data()); }
  LogListView& LogList() override { return list; }
  int TextWidth(const std::string& t) const override { return static_cast<int>(t.size()) * 7; }
  bool IsStripHidden() const override { return false; }
  void SetShowHideCaption(const std::string&) override {}
  void ShowFirstStartDialog() override {}
  void ShowError(const std::string&) override {}
  void UpdateAutostartChecks() override {}
  void PlaceWindow(int, int) override {}
  void BuildDialMenu() override {}
  void Collapse() override {}
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
    ConnectActiveEntry(dialUp, core.activeEntry);
    for (int i = 0; i < 100; ++i) {
      TariffRecord t;
      t.Name = "Tarif " + std::to_string(i);
      t.EntryName = i == 99 ? "Net" : "Other " + std::to_string(i);
      t.PricePerMinute = 2;
      t.TimeLimit = 3000;
      t.StartDate = EncodeDate(2026, 12, 1);
      core.tariffs.push_back(t);
    }
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
  state.counters["connection_seconds"] = w.core.connection.seconds;
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
  state.counters["connection_seconds"] = w.core.connection.seconds;
}
BENCHMARK(BM_CatchUpOfADay)->Unit(benchmark::kMillisecond);

void BM_RefreshOverview(benchmark::State& state) {
  World w;
  for (auto _ : state) w.core.RefreshOverview();
}
BENCHMARK(BM_RefreshOverview)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
