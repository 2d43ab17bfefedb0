// SPDX-License-Identifier: MIT
#include "ui/StatisticsWindow.h"

#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStackedBarSeries>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "accounting/AccountingCore.h"
#include "accounting/ChargingRules.h"
#include "accounting/ConnectionHistory.h"
#include "accounting/Formats.h"
#include "platform/Files.h"
#include "ui/DialogSupport.h"
#include "ui/ScreenFit.h"

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
// what the axis shows, whose labels step by whole numbers.
QChart* DayChart(const PeriodStatistics& s, const std::vector<std::vector<double>>& values, double scale,
                 const QString& title, const char* labelFormat, const QLocale& locale, int dayStep) {
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

  // The bar of day i stands at i; every `dayStep`-th day is numbered, so
  // that the numbers have room and none is cut short.
  auto* dayAxis = new QCategoryAxis;
  dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  dayAxis->setRange(-0.5, static_cast<double>(s.days.size()) - 0.5);
  dayAxis->setStartValue(-0.5);
  for (size_t d = 0; d < s.days.size(); d += static_cast<size_t>(dayStep))
    dayAxis->append(QString::number(DecodeDate(s.days[d]).day), static_cast<double>(d));
  QFont small = dayAxis->labelsFont();
  small.setPointSizeF(small.pointSizeF() * 0.8);
  dayAxis->setLabelsFont(small);
  chart->addAxis(dayAxis, Qt::AlignBottom);
  series->attachAxis(dayAxis);

  auto* valueAxis = new QValueAxis;
  const double highest = dayTotals.empty() ? 0 : *std::max_element(dayTotals.begin(), dayTotals.end());
  const WholeAxis whole = WholeAxisFor(highest);
  valueAxis->setRange(0, whole.top);
  valueAxis->setTickCount(whole.ticks);
  valueAxis->setMinorTickCount(0);
  valueAxis->setLabelFormat(QString::fromLatin1(labelFormat));
  chart->addAxis(valueAxis, Qt::AlignLeft);
  series->attachAxis(valueAxis);
  return chart;
}

// A projected volume as the notice gives it: one decimal, in the unit the
// amount has.
QString ProjectedVolume(double bytes, const RegionalSettings& rs) {
  constexpr double kKilo = 1024.0;
  const auto text = [&rs](double value, int decimals, const char* unit) {
    QString number = QString::number(value, 'f', decimals);
    number.replace(QLatin1Char('.'), QChar::fromLatin1(rs.decimalSeparator));
    return number + QLatin1String(unit);
  };
  if (bytes >= kKilo * kKilo * kKilo) return text(bytes / (kKilo * kKilo * kKilo), 1, " GB");
  if (bytes >= kKilo * kKilo) return text(bytes / (kKilo * kKilo), 1, " MB");
  return text(bytes / kKilo, 0, " KB");
}

QString Hours(double seconds, const RegionalSettings& rs) {
  QString number = QString::number(seconds / 3600, 'f', 1);
  number.replace(QLatin1Char('.'), QChar::fromLatin1(rs.decimalSeparator));
  return number + QStringLiteral(" Stunden");
}

// Every how many days a number fits under the bars of `days` days in a
// chart `width` wide.
int DayStep(int width, size_t days, const QFont& font) {
  const int room = std::max(1, width - 90);  // less the value axis and the margins
  // The axis's smaller font; a number with room for half of itself either side.
  QFont small = font;
  small.setPointSizeF(font.pointSizeF() * 0.8);
  const int label = QFontMetrics(small).horizontalAdvance(QStringLiteral("30")) * 8 / 5;
  int step = 1;
  while (days > 0 && static_cast<size_t>(room) * step / days < static_cast<size_t>(label)) ++step;
  return step;
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
  // Filled when shown: as wide as its longest choice, none cut.
  periodChoice_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  periodLabel_ = Named(new QLabel(this), "periodLabel");
  failure_ = Named(new QLabel(this), "failure");
  failure_->setWordWrap(true);
  failure_->hide();
  figures_ = new QWidget(this);
  minutesChart_ = Named(new QChartView(figures_), "minutesChart");
  costsChart_ = Named(new QChartView(figures_), "costsChart");
  volumeChart_ = Named(new QChartView(figures_), "volumeChart");
  for (QChartView* view : {minutesChart_, costsChart_, volumeChart_}) {
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(200);
  }
  volumeChart_->hide();
  noConnections_ =
      Named(new QLabel(QStringLiteral("Keine Verbindungen in diesem Zeitraum"), figures_), "noConnections");
  noConnections_->setAlignment(Qt::AlignCenter);
  noConnections_->setMinimumHeight(80);
  onlineTime_ = Named(new QLabel(figures_), "onlineTime");
  traffic_ = Named(new QLabel(figures_), "traffic");
  costs_ = Named(new QLabel(figures_), "costs");
  projection_ = Named(new QLabel(figures_), "projection");
  auto* close = Named(new QPushButton(QStringLiteral("Schliessen"), this), "close");
  close->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  QWidget* form = ScrollingForm(this, buttons);

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
  figureLayout->addWidget(noConnections_);
  figureLayout->addWidget(minutesChart_, 1);
  figureLayout->addWidget(costsChart_, 1);
  figureLayout->addWidget(volumeChart_, 1);
  figureLayout->addLayout(totals);
  auto* layout = new QVBoxLayout(form);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(choices);
  layout->addWidget(periodLabel_);
  layout->addWidget(failure_);
  layout->addWidget(figures_, 1);
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

void StatisticsWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // Narrower or wider, the day numbers need another step: drawn again.
  const auto* days = minutesChart_->chart()
                         ? qobject_cast<QCategoryAxis*>(minutesChart_->chart()->axes(Qt::Horizontal).value(0))
                         : nullptr;
  if (days && figures_->isVisible() &&
      DayStep(minutesChart_->width(), static_cast<size_t>(days->max() + 0.5), font()) != dayStep_)
    QMetaObject::invokeMethod(
        this, [this] { Refresh(); }, Qt::QueuedConnection);
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
  const QString why = ofTariff ? QStringLiteral(
                                     "„alle Einträge“ gibt es nur für einen Kalendermonat: "
                                     "ein Tarifzeitraum gehört zu einem Tarif.")
                               : QString();
  tariffChoice_->setItemData(allEntries, why, Qt::ToolTipRole);
  tariffChoice_->setToolTip(why);
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
  dayStep_ = DayStep(minutesChart_->width(), s.days.size(), font());
  ReplaceChart(minutesChart_, DayChart(s, s.minutes, 1, QStringLiteral("Onlinezeit pro Tag (Minuten)"),
                                       "%.0f", locale, dayStep_));
  ReplaceChart(costsChart_,
               DayChart(s, s.costs, 0.01, QStringLiteral("Kosten pro Tag"), "%.2f", locale, dayStep_));
  const bool withVolume = tariff && HasVolumeLimit(*tariff);
  ReplaceChart(volumeChart_, DayChart(s, s.dayBytes, 1.0 / (1024 * 1024),
                                      QStringLiteral("Datenmenge pro Tag (MB)"), "%.0f", locale, dayStep_));
  const bool empty = s.entries.empty();
  noConnections_->setVisible(empty);
  minutesChart_->setVisible(!empty);
  costsChart_->setVisible(!empty);
  volumeChart_->setVisible(!empty && withVolume);
  onlineTime_->setText(QStringLiteral("Onlinezeit: ") + Q(FormatDuration(s.seconds)));
  traffic_->setText(QStringLiteral("Datenmenge: ") + Q(FormatVolume(s.bytes, rs)));
  costs_->setText(QStringLiteral("Kosten: ") + Q(FormatMoney(s.cost, rs)));
  projection_->setVisible(current && tariff);
  if (current && tariff) {
    const TDateTime today = Today(core_.Services().clock);
    const CostProjection p = ProjectCosts(*tariff, today);
    QStringList lines;
    lines << QStringLiteral("Hochrechnung zum Periodenende: ") + Q(FormatMoney(p.cost, rs)) +
                 (p.budget ? QStringLiteral(" (Budget ") + Q(FormatMoney(*p.budget, rs)) + QLatin1Char(')')
                           : QStringLiteral(" (kein Budget)"));
    if (const std::optional<TimeProjection> time = ProjectTime(*tariff, today))
      lines << QStringLiteral("Hochrechnung zum Periodenende: ") + Hours(time->seconds, rs) +
                   QStringLiteral(" (Budget ") + Hours(time->budget, rs) + QLatin1Char(')');
    const int index = tariffChoice_->currentData().toInt();
    if (const std::optional<VolumeProjection> volume =
            ProjectVolume(*tariff, today, index >= 0 && index == core_.ActiveTariff())) {
      if (volume->lastDay)
        lines << QStringLiteral("Das Volumen reicht bis ") +
                     Q(FormatDateTimePattern("dd.MM.", *volume->lastDay));
      else
        lines << QStringLiteral("Hochrechnung zum Periodenende: ") + ProjectedVolume(volume->bytes, rs) +
                     QStringLiteral(" (Limit ") + Q(FormatVolume(volume->limit, rs)) + QLatin1Char(')');
    }
    projection_->setText(lines.join(QLatin1Char('\n')));
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
