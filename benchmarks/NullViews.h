// SPDX-License-Identifier: MIT
#pragma once
// A log list that only counts its lines, for benchmarks that measure the
// work behind the display.

#include <string>

#include "accounting/ConnectionLog.h"

namespace tarifuhr::bench {

class NullList : public LogListView {
 public:
  void Clear() override { n = 0; }
  int Count() const override { return n; }
  void Add(const std::string&) override { ++n; }
  void Set(int, const std::string&) override {}
  bool HasFocus() const override { return false; }
  bool ShowsLastLine() const override { return true; }
  void SelectLast() override {}
  void ScrollToLast() override {}
  int n = 0;
};

}  // namespace tarifuhr::bench
