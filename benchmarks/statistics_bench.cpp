// SPDX-License-Identifier: MIT
// What the statistics window does each time it is shown: the whole log read
// from the file and a month's figures built from it. Every record lies in
// that month, the most work a log of its size can give.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "accounting/ConnectionHistory.h"
#include "accounting/Statistics.h"
#include "platform/Files.h"

namespace {

using namespace tarifuhr;

const DayRange kMonth = CalendarMonth(2026, 12);

// Three entries, connections of 2 to 3 hours spread over the month, some
// of them over midnight.
std::string MonthLogWith(int64_t records) {
  const std::string path = "/tmp/tarifuhr-statistics-bench-" + std::to_string(records) + ".otl";
  if (FileExists(path)) return path;
  const char* const entries[] = {"T-Online", "Arcor-Mobil", "Ein langer Eintragsname"};
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int64_t i = 0; i < records; ++i) {
    const TDateTime start = kMonth.firstDay + static_cast<double>(i % 3100) / 100;
    const ConnectionRecord r{entries[i % 3], start, start + 0.1, 8640, 17.5, 123456, 7890};
    const auto bytes = EncodeConnection(r);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  return path;
}

void BM_StatisticsOfTheWholeLog(benchmark::State& state) {
  const std::string path = MonthLogWith(state.range(0));
  for (auto _ : state) {
    const PeriodStatistics s = BuildStatistics(ReadWholeLog(path), kMonth);
    benchmark::DoNotOptimize(s.cost);
  }
}
BENCHMARK(BM_StatisticsOfTheWholeLog)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
