// SPDX-License-Identifier: MIT
#pragma once
// The texts of the strip, the tariff overview, the log list and the tray
// tip, from the core's snapshot. Widths are measured by the caller's font.

#include <array>
#include <optional>
#include <string>

#include "accounting/AccountingSnapshot.h"
#include "accounting/ConnectionLog.h"
#include "platform/RegionalSettings.h"

namespace tarifuhr {

// The strip's figures, in their order.
enum class Figure {
  SecondsToday,     // online today
  DailyAllowance,   // minutes a day still allowed (not shown)
  LeftToday,        // of today's allowance ("Z.Konto")
  ConnectionBytes,  // traffic of the open connection
  PeriodCosts,      // costs of the period
};
inline constexpr Figure kFigures[] = {Figure::SecondsToday, Figure::DailyAllowance, Figure::LeftToday,
                                      Figure::ConnectionBytes, Figure::PeriodCosts};

using FigureTexts = std::array<std::string, std::size(kFigures)>;

// " - " in each field without figures, and in the allowance fields of a
// tariff without a budget.
FigureTexts TextsOfFigures(const std::optional<StripFigures>& figures, const RegionalSettings& rs);
// What each field holds, for its tooltip.
FigureTexts TipsOfFigures(const std::optional<StripFigures>& figures);
// The strip's tooltip: the program's caption and the current user's name
// (the section without its data file).
std::string StripTipText(const std::string& caption, const std::string& userSection);

// The room, in the pixels `width` measures, a column's text may take
// before it is cut: by default the narrow design widths; the window hands
// the widths its columns have in its list's font.
struct OverviewColumnRoom {
  int name = 90;
  int time = 48;
  int timePerDay = 48;
  int leftToday = 48;
};

// Name, time, time a day, left today, traffic (or volume left) and costs,
// separated by tabs; a column too wide for its room is cut.
std::string OverviewRowText(const OverviewRow& row, const TextWidthFn& width, const RegionalSettings& rs,
                            const OverviewColumnRoom& room = {});

// Two lines for the tray's tip; empty without a data volume.
std::string VolumeStatusText(const std::optional<VolumeLeft>& volume, const RegionalSettings& rs);

}  // namespace tarifuhr
