// SPDX-License-Identifier: MIT
// Arbitrary log files: loading shows every complete record, formatting
// never crashes, and an append after a torn tail starts at a multiple of 64.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "accounting/ConnectionLog.h"

namespace {

class CountingList : public tarifuhr::LogListView {
 public:
  void Clear() override { count = 0; }
  int Count() const override { return count; }
  void Add(const std::string&) override { ++count; }
  void Set(int, const std::string&) override {}
  bool HasFocus() const override { return false; }
  bool ShowsLastLine() const override { return true; }
  void SelectLast() override {}
  void ScrollToLast() override {}
  int count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarifuhr;
  static const std::string path = "/tmp/tarifuhr-fuzz-" + std::to_string(::getpid()) + ".otl";
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  const ConnectionLog log(path);
  CountingList list;
  const int shown = LoadLog(
      log, list, [](const std::string& s) { return static_cast<int>(s.size()) * 6; },
      RegionalSettings::German());
  const size_t complete = size / kConnectionRecordSize;
  if (shown != static_cast<int>(complete < kHistoryLines ? complete : kHistoryLines)) std::abort();
  log.Append(ConnectionRecord{"x", 1, 2, 3, 4, 5, 6});
  const auto tail = log.ReadTail(1);
  if (tail.size() != 1 || tail[0].entry != "x") std::abort();
  ::unlink(path.c_str());
  return 0;
}
