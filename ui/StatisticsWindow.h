// SPDX-License-Identifier: MIT
#pragma once
// The statistics window: a tariff's current or previous period, or a
// calendar month, as online minutes, costs and (for a tariff with a data
// volume) megabytes per day, stacked by entry, with the totals and, for the
// running period, where the costs, the time budget and the volume are heading.
// It reads the whole connection log each time it is shown or the choice
// changes; the log is never changed.

#include <QDialog>

#include "accounting/Statistics.h"
#include "ui/DialogHost.h"

class QChartView;
class QComboBox;
class QLabel;
class QWidget;

namespace tarifuhr {

class AccountingCore;

class StatisticsWindow : public QDialog {
  Q_OBJECT
 public:
  StatisticsWindow(const AccountingCore& core, DialogHost& host);

  // What the menu item does: shows the window, or reads the log again when
  // it is already open.
  void Open();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The current user's tariffs and the last twelve months, keeping what was
  // chosen where it is still there; then shows the chosen period.
  void FillChoices();
  // A tariff's periods need a tariff: "alle Einträge" only with a month.
  void ChoosePeriod();
  // Reads the log and shows the chosen period.
  void Refresh();
  void ShowFigures(const PeriodStatistics& s, const DayRange& period, bool current,
                   const TariffRecord* tariff);
  // A FileError's text in place of the figures.
  void ShowFailure(const QString& text);

  const AccountingCore& core_;
  DialogHost& host_;
  QComboBox* periodChoice_;
  QComboBox* tariffChoice_;
  QLabel* periodLabel_;
  QLabel* failure_;
  QWidget* figures_;
  QChartView* minutesChart_;
  QChartView* costsChart_;
  QChartView* volumeChart_;
  QLabel* noConnections_;
  QLabel* onlineTime_;
  QLabel* traffic_;
  QLabel* costs_;
  QLabel* projection_;
  int dayStep_ = 1;  // every how many days a number stands under the bars
};

}  // namespace tarifuhr
