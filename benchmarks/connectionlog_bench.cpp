// SPDX-License-Identifier: MIT
// LoadLog reads only the tail it shows, so its time stays flat as the log
// grows; ReadWholeLog reads every record from the start, for comparison.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "accounting/ConnectionLog.h"
#include "benchmarks/NullViews.h"
#include "platform/Files.h"

namespace {

using namespace tarifuhr;

using bench::NullList;

std::string LogWith(int64_t records) {
  const std::string path = "/tmp/tarifuhr-bench-" + std::to_string(records) + ".otl";
  if (FileExists(path)) return path;
  ConnectionRecord r{"T-Online", 46363.5, 46363.6, 1800, 95, 5000, 700};
  const auto bytes = EncodeConnection(r);
  std::string chunk;
  for (int i = 0; i < 1000; ++i) chunk.append(bytes.begin(), bytes.end());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int64_t i = 0; i < records; i += 1000)
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  return path;
}

void BM_LoadLog(benchmark::State& state) {
  const ConnectionLog log(LogWith(state.range(0)));
  NullList list;
  const auto width = [](const std::string& s) { return static_cast<int>(s.size()) * 6; };
  for (auto _ : state) benchmark::DoNotOptimize(LoadLog(log, list, width, RegionalSettings::German()));
}
BENCHMARK(BM_LoadLog)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Every record read from the start, as a loader that walks the whole file does.
void BM_ReadWholeLog(benchmark::State& state) {
  const std::string path = LogWith(state.range(0));
  for (auto _ : state) {
    BinaryFile f;
    f.Open(path, BinaryFile::Mode::Read);
    std::vector<ConnectionRecord> all;
    uint8_t buf[kConnectionRecordSize];
    for (int64_t off = 0; f.ReadAt(off, buf, sizeof buf) == sizeof buf; off += kConnectionRecordSize)
      all.push_back(DecodeConnection(buf));
    benchmark::DoNotOptimize(all.size());
  }
}
BENCHMARK(BM_ReadWholeLog)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
