// SPDX-License-Identifier: MIT
// Saving and loading a user with 1000 tariffs.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "accounting/UserFiles.h"
#include "platform/Files.h"

namespace {

using namespace tarifuhr;

struct Fixture {
  Fixture() {
    std::filesystem::create_directories(dir);
    std::filesystem::remove(dir + "/userlist.ini");
    for (const auto& e : std::filesystem::directory_iterator(dir)) std::filesystem::remove(e.path());
    section = files.CreateUser("Bench").section;
    tariffs.resize(1000);
    for (size_t i = 0; i < tariffs.size(); ++i) {
      tariffs[i].Name = "Tarif " + std::to_string(i);
      tariffs[i].EntryName = "Entry " + std::to_string(i);
      tariffs[i].PricePerMinute = 1.5;
    }
  }
  std::string dir = "/tmp/tarifuhr-bench-users";
  ManualClock clock{46363.5};
  UserFiles files{dir, clock};
  std::string section;
  std::vector<TariffRecord> tariffs;
  TotalsRecord totals;
};

void BM_SaveUserData(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) f.files.SaveUserData(f.section, f.tariffs, f.totals);
}
BENCHMARK(BM_SaveUserData)->Unit(benchmark::kMicrosecond);

void BM_LoadUserData(benchmark::State& state) {
  Fixture f;
  f.files.SaveUserData(f.section, f.tariffs, f.totals);
  std::vector<TariffRecord> loaded;
  for (auto _ : state) benchmark::DoNotOptimize(f.files.LoadUserData(f.section, loaded, f.totals));
}
BENCHMARK(BM_LoadUserData)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
