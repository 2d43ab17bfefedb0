// SPDX-License-Identifier: MIT
#include "ui/StatisticsWindow.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStackedBarSeries>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "accounting/AccountingCore.h"
#include "accounting/ConnectionHistory.h"
#include "accounting/Formats.h"
#include "platform/Files.h"
#include "ui/DialogSupport.h"

namespace tarifuhr {
namespace {

// The period choice's data: the tariff's periods, else a month as
// year * 12 + month - 1.
constexpr int kCurrentPeriod = -1;
constexpr int kPreviousPeriod = -2;
// The tariff choice's data for every entry, else a tariff's index.
constexpr int kAllEntries = -1;

QString MonthCaption(int monthIndex) {
  static const char* const kMonths[] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                                        "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
  return QString::fromUtf8(kMonths[monthIndex % 12]) + QLatin1Char(' ') + QString::number(monthIndex / 12);
}

void SetItemEnabled(QComboBox* combo, int index, bool enabled) {
  if (auto* model = qobject_cast<QStandardItemModel*>(combo->model()))
    if (QStandardItem* item = model->item(index)) item->setEnabled(enabled);
}

// Numbers on the axes as the program writes them.
QLocale AxisLocale(const RegionalSettings& rs) {
  QLocale locale(rs.decimalSeparator == ',' ? QLocale::German : QLocale::English);
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

// One bar a day, one part of it an entry; `scale` turns the values into
// what the axis shows.
QChart* DayChart(const PeriodStatistics& s, const std::vector<std::vector<double>>& values, double scale,
                 const QString& title, const char* labelFormat, const QLocale& locale) {
  auto* series = new QStackedBarSeries;
  std::vector<double> dayTotals(s.days.size(), 0.0);
  for (size_t e = 0; e < s.entries.size(); ++e) {
    auto* set = new QBarSet(Q(s.entries[e]));
    for (size_t d = 0; d < s.days.size(); ++d) {
      set->append(values[e][d] * scale);
      dayTotals[d] += values[e][d] * scale;
    }
    series->append(set);
  }
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->addSeries(series);
  chart->setLocalizeNumbers(true);
  chart->setLocale(locale);
  chart->setBackgroundRoundness(0);
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->legend()->setAlignment(Qt::AlignBottom);
  chart->legend()->setVisible(!s.entries.empty());

  QStringList days;
  for (TDateTime day : s.days) days << QString::number(DecodeDate(day).day);
  auto* dayAxis = new QBarCategoryAxis;
  dayAxis->append(days);
  // Thirty-one day numbers side by side, none cut short.
  QFont small = dayAxis->labelsFont();
  small.setPointSizeF(small.pointSizeF() * 0.8);
  dayAxis->setLabelsFont(small);
  chart->addAxis(dayAxis, Qt::AlignBottom);
  series->attachAxis(dayAxis);

  auto* valueAxis = new QValueAxis;
  const double highest = dayTotals.empty() ? 0 : *std::max_element(dayTotals.begin(), dayTotals.end());
  valueAxis->setRange(0, highest > 0 ? highest : 1);
  valueAxis->applyNiceNumbers();
  valueAxis->setLabelFormat(QString::fromLatin1(labelFormat));
  chart->addAxis(valueAxis, Qt::AlignLeft);
  series->attachAxis(valueAxis);
  return chart;
}

void ReplaceChart(QChartView* view, QChart* chart) {
  QChart* old = view->chart();
  view->setChart(chart);  // the view lets go of the old one
  delete old;
}

}  // namespace

StatisticsWindow::StatisticsWindow(const AccountingCore& core, DialogHost& host)
    : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), core_(core), host_(host) {
  setWindowTitle(QStringLiteral("Statistik"));
  periodChoice_ = Named(new QComboBox(this), "periodChoice");
  tariffChoice_ = Named(new QComboBox(this), "tariffChoice");
  tariffChoice_->setMinimumWidth(180);
  periodLabel_ = Named(new QLabel(this), "periodLabel");
  failure_ = Named(new QLabel(this), "failure");
  failure_->setWordWrap(true);
  failure_->hide();
  figures_ = new QWidget(this);
  minutesChart_ = Named(new QChartView(figures_), "minutesChart");
  costsChart_ = Named(new QChartView(figures_), "costsChart");
  for (QChartView* view : {minutesChart_, costsChart_}) {
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(220);
  }
  onlineTime_ = Named(new QLabel(figures_), "onlineTime");
  traffic_ = Named(new QLabel(figures_), "traffic");
  costs_ = Named(new QLabel(figures_), "costs");
  projection_ = Named(new QLabel(figures_), "projection");
  auto* close = Named(new QPushButton(QStringLiteral("Schliessen"), this), "close");
  close->setAutoDefault(false);

  auto* choices = new QHBoxLayout;
  choices->addWidget(new QLabel(QStringLiteral("Zeitraum:"), this));
  choices->addWidget(periodChoice_);
  choices->addSpacing(12);
  choices->addWidget(new QLabel(QStringLiteral("Tarif:"), this));
  choices->addWidget(tariffChoice_);
  choices->addStretch();
  auto* totals = new QGridLayout;
  totals->addWidget(onlineTime_, 0, 0);
  totals->addWidget(traffic_, 0, 1);
  totals->addWidget(costs_, 0, 2);
  totals->addWidget(projection_, 1, 0, 1, 3);
  auto* figureLayout = new QVBoxLayout(figures_);
  figureLayout->setContentsMargins(0, 0, 0, 0);
  figureLayout->addWidget(minutesChart_, 1);
  figureLayout->addWidget(costsChart_, 1);
  figureLayout->addLayout(totals);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choices);
  layout->addWidget(periodLabel_);
  layout->addWidget(failure_);
  layout->addWidget(figures_, 1);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(920, 640);

  connect(periodChoice_, &QComboBox::currentIndexChanged, this, [this] { ChoosePeriod(); });
  connect(tariffChoice_, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
  connect(close, &QPushButton::clicked, this, [this] { this->close(); });
}

void StatisticsWindow::Open() {
  if (isVisible())
    FillChoices();
  else
    show();
  raise();
  activateWindow();
}

void StatisticsWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Brought back from minimized, it shows what it showed.
  if (!event->spontaneous()) FillChoices();
}

void StatisticsWindow::FillChoices() {
  const QSignalBlocker periodBlocker(periodChoice_);
  const QSignalBlocker tariffBlocker(tariffChoice_);
  const std::vector<TariffRecord>& tariffs = core_.Tariffs();
  const bool haveTariffs = !tariffs.empty();
  const QVariant period = periodChoice_->currentData();
  const QString tariff = tariffChoice_->currentText();

  periodChoice_->clear();
  periodChoice_->addItem(QStringLiteral("Aktueller Zeitraum"), kCurrentPeriod);
  periodChoice_->addItem(QStringLiteral("Vorheriger Zeitraum"), kPreviousPeriod);
  const CivilDate today = DecodeDate(Today(core_.Services().clock));
  const int thisMonth = today.year * 12 + today.month - 1;
  for (int month = thisMonth; month > thisMonth - 12; --month)
    periodChoice_->addItem(MonthCaption(month), month);
  SetItemEnabled(periodChoice_, 0, haveTariffs);
  SetItemEnabled(periodChoice_, 1, haveTariffs);
  const int periodIndex = periodChoice_->findData(period);
  periodChoice_->setCurrentIndex(periodIndex >= 0 && (haveTariffs || periodIndex > 1) ? periodIndex
                                 : haveTariffs                                        ? 0
                                                                                      : 2);

  tariffChoice_->clear();
  for (size_t i = 0; i < tariffs.size(); ++i) tariffChoice_->addItem(Q(tariffs[i].Name), static_cast<int>(i));
  tariffChoice_->addItem(QStringLiteral("alle Einträge"), kAllEntries);
  int tariffIndex = tariff.isEmpty() ? -1 : tariffChoice_->findText(tariff, Qt::MatchExactly);
  // First shown: the tariff selected in the overview.
  if (tariffIndex < 0) tariffIndex = std::max(host_.SelectedTariff(), 0);
  tariffChoice_->setCurrentIndex(std::min(tariffIndex, tariffChoice_->count() - 1));
  ChoosePeriod();
}

void StatisticsWindow::ChoosePeriod() {
  const bool ofTariff = periodChoice_->currentData().toInt() < 0;
  const int allEntries = tariffChoice_->count() - 1;
  SetItemEnabled(tariffChoice_, allEntries, !ofTariff);
  if (ofTariff && tariffChoice_->currentIndex() == allEntries && allEntries > 0) {
    const QSignalBlocker blocker(tariffChoice_);
    tariffChoice_->setCurrentIndex(0);
  }
  Refresh();
}

void StatisticsWindow::Refresh() {
  if (!isVisible()) return;  // shown, it reads the log anyway
  const std::vector<TariffRecord>& tariffs = core_.Tariffs();
  const int period = periodChoice_->currentData().toInt();
  const int tariffIndex = tariffChoice_->currentData().toInt();
  const TariffRecord* tariff =
      tariffIndex >= 0 && static_cast<size_t>(tariffIndex) < tariffs.size() ? &tariffs[tariffIndex] : nullptr;
  const bool current = period == kCurrentPeriod;
  DayRange range;
  if (period >= 0) {
    range = CalendarMonth(period / 12, period % 12 + 1);
  } else if (tariff) {
    const TDateTime today = Today(core_.Services().clock);
    range = current ? CurrentPeriod(*tariff, today) : PreviousPeriod(*tariff, today);
  } else {
    ShowFailure(QStringLiteral("Für diesen Zeitraum bitte zuerst einen Tarif anlegen."));
    return;
  }
  std::vector<ConnectionRecord> records;
  try {
    records = ReadWholeLog(core_.Services().log.Path());
  } catch (const FileError& e) {
    ShowFailure(QString::fromStdString(e.what()));
    return;
  }
  const PeriodStatistics s =
      BuildStatistics(records, range, tariff ? std::optional<std::string>(tariff->EntryName) : std::nullopt);
  ShowFigures(s, range, current, tariff);
}

void StatisticsWindow::ShowFigures(const PeriodStatistics& s, const DayRange& period, bool current,
                                   const TariffRecord* tariff) {
  const RegionalSettings& rs = core_.Services().regional;
  periodLabel_->setText(
      QStringLiteral("Vom %1 bis %2")
          .arg(Q(FormatShortDate(rs, period.firstDay)), Q(FormatShortDate(rs, period.lastDay))));
  const QLocale locale = AxisLocale(rs);
  ReplaceChart(minutesChart_,
               DayChart(s, s.minutes, 1, QStringLiteral("Onlinezeit pro Tag (Minuten)"), "%.0f", locale));
  ReplaceChart(costsChart_, DayChart(s, s.costs, 0.01, QStringLiteral("Kosten pro Tag"), "%.2f", locale));
  onlineTime_->setText(QStringLiteral("Onlinezeit: ") + Q(FormatDuration(s.seconds)));
  traffic_->setText(QStringLiteral("Datenmenge: ") + Q(FormatVolume(s.bytes, rs)));
  costs_->setText(QStringLiteral("Kosten: ") + Q(FormatMoney(s.cost, rs)));
  projection_->setVisible(current && tariff);
  if (current && tariff) {
    const CostProjection p = ProjectCosts(*tariff, Today(core_.Services().clock));
    projection_->setText(QStringLiteral("Hochrechnung zum Periodenende: ") + Q(FormatMoney(p.cost, rs)) +
                         (p.budget
                              ? QStringLiteral(" (Budget ") + Q(FormatMoney(*p.budget, rs)) + QLatin1Char(')')
                              : QStringLiteral(" (kein Budget)")));
  }
  failure_->hide();
  figures_->show();
}

void StatisticsWindow::ShowFailure(const QString& text) {
  failure_->setText(text);
  failure_->show();
  figures_->hide();
}

}  // namespace tarifuhr
