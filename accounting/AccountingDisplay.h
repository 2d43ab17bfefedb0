// SPDX-License-Identifier: MIT
#pragma once
// What the accounting core shows and asks of the main window. The window
// implements it with its controls; tests record the calls.

#include <string>
#include <vector>

#include "accounting/ConnectionLog.h"

namespace tarifuhr {

// The figures of the strip, for the active tariff.
enum class Figure {
  SecondsToday,     // online today
  DailyAllowance,   // minutes a day still allowed (not shown)
  LeftToday,        // of today's allowance ("Z.Konto")
  ConnectionBytes,  // traffic of the open connection
  PeriodCosts,      // costs of the period
};
inline constexpr Figure kFigures[] = {Figure::SecondsToday, Figure::DailyAllowance, Figure::LeftToday,
                                      Figure::ConnectionBytes, Figure::PeriodCosts};

class AccountingDisplay {
 public:
  virtual ~AccountingDisplay() = default;

  virtual void SetFigure(Figure figure, const std::string& text) = 0;
  // The caption left of the figures: the tariff, the entry or "Offline".
  virtual void SetTariffCaption(const std::string& caption) = 0;
  // What is left of the active tariff's data volume, today and in the
  // period, for the tray icon's tip; empty without a volume tariff.
  virtual void SetVolumeStatus(const std::string& /*text*/) {}
  // The tariff overview: replaces the rows and selects the line that was
  // selected.
  virtual void SetOverviewRows(const std::vector<std::string>& rows) = 0;
  // The connection log.
  virtual LogListView& LogList() = 0;
  // Width of a text in the main window's font, in pixels.
  virtual int TextWidth(const std::string& text) const = 0;

  // Hidden to the tray or minimized: the menu then offers to show it.
  virtual bool IsStripHidden() const = 0;
  // Captions of the two show/hide menu items.
  virtual void SetShowHideCaption(const std::string& caption) = 0;
  virtual void ShowFirstStartDialog() = 0;
  // A budget warning, as a desktop notification.
  virtual void ShowWarning(const std::string& /*title*/, const std::string& /*text*/) {}
  // A failure the user must know about (German), shown once.
  virtual void ShowError(const std::string& message) = 0;

  // Start-up steps that belong to the window, called in their place.
  virtual void UpdateAutostartChecks() = 0;
  virtual void PlaceWindow(int left, int top) = 0;
  virtual void BuildDialMenu() = 0;
  virtual void Collapse() = 0;
};

}  // namespace tarifuhr
