// SPDX-License-Identifier: MIT
#pragma once
// Warnings before a budget runs out: at 80 % and 100 % of a tariff's time,
// cost or volume budget once a period, and once a day when today's
// allowance is used up. What was said is remembered in a small file of the
// program directory, so a restart does not say it again.

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "accounting/TariffRecord.h"
#include "platform/RegionalSettings.h"

namespace tarifuhr {

struct BudgetWarning {
  std::string title;  // "Tarifuhr: " and the tariff's name
  std::string text;   // what was reached, with the figures
};

class BudgetWarnings {
 public:
  // `path` is the memory file; nothing is read until Load().
  explicit BudgetWarnings(std::string path) : path_(std::move(path)) {}

  // Reads what was said before. A missing file is nothing said; a damaged
  // one is ignored and written anew with the next warning. One that can't
  // be read is left alone: the German notice why, else "".
  std::string Load();
  // The warnings due for the active tariff of `user` on `today`, each
  // remembered at once; saved when there is one. Without
  // `allowancesCurrent` the day's allowances are still those of the period
  // before (the second a period begins) and are not judged. Throws
  // FileError when the memory can't be written (the warnings are still
  // returned first through `due`).
  void Check(const std::string& user, const TariffRecord& t, TDateTime today, const RegionalSettings& rs,
             bool allowancesCurrent, std::vector<BudgetWarning>& due);

 private:
  // Tariff of a user and the kind of warning -> the period start (or the
  // day) it was given for.
  using Key = std::tuple<std::string, std::string, std::string>;
  bool GiveOnce(const Key& key, double when);
  void Save() const;

  std::string path_;
  std::map<Key, double> given_;
};

}  // namespace tarifuhr
