// SPDX-License-Identifier: MIT
#pragma once
// What the accounting core hands the main window after each counted second
// and each change: numbers and states, no text. The window turns them into
// text (accounting/SnapshotText) in its own font.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "accounting/ConnectionLog.h"

namespace tarifuhr {

// What the strip's two allowance fields show: the minutes of a time or cost
// budget, else the bytes of a data volume, else nothing.
enum class AllowanceKind { None, Time, Volume };

// The strip's figures for the active tariff.
struct StripFigures {
  double secondsToday = 0;
  AllowanceKind allowance = AllowanceKind::None;
  double dailyAllowanceSeconds = 0;  // not shown
  double secondsLeftToday = 0;       // of today's allowance ("Z.Konto")
  int64_t volumeAllowedToday = 0;
  int64_t volumeLeftToday = 0;
  // With a data volume: what is used of it; else the open connection's bytes.
  bool hasVolumeLimit = false;
  int64_t volumeUsed = 0;
  int64_t volumeLimit = 0;
  int64_t connectionBytes = 0;
  double periodCosts = 0;
};

// One tariff's line of the overview.
struct OverviewRow {
  std::string name;
  double periodSeconds = 0;
  double dailyAllowanceSeconds = 0;
  std::optional<double> secondsLeftToday;     // none without a budget
  std::optional<int64_t> volumeLeftInPeriod;  // with a data volume
  int64_t storedBytes = 0;                    // the period's, without the open connection's
  int64_t bytes = 0;                          // the period's so far
  double periodCosts = 0;
};

// What is left of the active tariff's data volume.
struct VolumeLeft {
  int64_t today = 0;
  int64_t inPeriod = 0;
};

struct AccountingSnapshot {
  // The parts that changed since the last snapshot.
  enum Part : unsigned {
    kCaption = 1u << 0,
    kFigures = 1u << 1,
    kOverview = 1u << 2,
    kLogLine = 1u << 3,
    kLog = 1u << 4,
    kVolume = 1u << 5,
    kTariffList = 1u << 6,  // names or number of tariffs: the dial items
  };
  unsigned changed = 0;
  bool Changed(Part part) const { return (changed & part) != 0; }

  // Left of the figures: the tariff, the entry, "Tarif:" or "Offline".
  std::string tariffCaption = "Tarif:";
  // The current user's section in the user list; empty without one.
  std::string user;
  // None while offline, without statistics or without a tariff.
  std::optional<StripFigures> figures;
  std::vector<OverviewRow> overview;
  // The last records of the log, oldest first.
  std::vector<ConnectionRecord> log;
  // The open connection as far as counted, shown below the log's records.
  ConnectionRecord openRecord;
  std::optional<VolumeLeft> volume;
};

}  // namespace tarifuhr
