// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "accounting/ConnectionLog.h"

namespace tarifuhr::testing {

// A list box that records its lines and selection.
class FakeLogList : public LogListView {
 public:
  void Clear() override { lines.clear(); }
  int Count() const override { return static_cast<int>(lines.size()); }
  void Add(const std::string& line) override { lines.push_back(line); }
  void Set(int index, const std::string& line) override { lines.at(index) = line; }
  bool HasFocus() const override { return focused; }
  bool ShowsLastLine() const override { return true; }
  void SelectLast() override { selected = Count() - 1; }
  void ScrollToLast() override {}

  std::vector<std::string> lines;
  bool focused = false;
  int selected = -1;
};

// Seven pixels per byte of text, like a plain 8-point font.
inline int SevenPixelsPerByte(const std::string& s) { return static_cast<int>(s.size()) * 7; }

}  // namespace tarifuhr::testing
