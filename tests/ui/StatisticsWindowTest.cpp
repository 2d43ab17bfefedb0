// SPDX-License-Identifier: MIT
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <filesystem>

#include "tests/ui/DialogFixture.h"
#include "ui/StatisticsWindow.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

const TDateTime kDecember = EncodeDate(2026, 12, 1);

void Log(DialogWorld& w, const std::string& entry, TDateTime start, int32_t seconds, double cost,
         int64_t bytes) {
  ConnectionRecord r;
  r.entry = entry;
  r.start = start;
  r.end = start + seconds / 86400.0;
  r.seconds = seconds;
  r.cost = cost;
  r.received = bytes;
  w.core().Services().log.Append(r);
}

// The world's clock stands on 7 December; the tariff's period is December.
void PrepareTariffAndLog(DialogWorld& w) {
  TariffRecord t;
  t.Name = "Monatstarif";
  t.EntryName = "Netz";
  t.StartDate = kDecember;
  t.PeriodCosts = 700;
  t.CostLimit = 5000;
  w.UseTariffs({t});
  Log(w, "Netz", kDecember + 1 + 0.5, 120, 10, 512 * 1024);
  Log(w, "Netz", kDecember + 4 + 0.5, 180, 20, 512 * 1024);
  Log(w, "Anderer", kDecember + 2 + 0.5, 600, 99, 1);
  Log(w, "Netz", kDecember - 3, 60, 5, 1);  // November
}

int BarSets(QChartView* view) {
  auto* series = qobject_cast<QStackedBarSeries*>(view->chart()->series().value(0));
  return series ? series->count() : -1;
}

// The value axis's step, which must be a whole number.
double Step(QChartView* view) {
  auto* axis = qobject_cast<QValueAxis*>(view->chart()->axes(Qt::Vertical).value(0));
  return axis && axis->tickCount() > 1 ? axis->max() / (axis->tickCount() - 1) : -1;
}

// The bars of the first entry: one a day.
int Days(QChartView* view) {
  auto* series = qobject_cast<QStackedBarSeries*>(view->chart()->series().value(0));
  return series && series->count() > 0 ? static_cast<int>(series->barSets().front()->count()) : -1;
}

}  // namespace

class StatisticsWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void theMenuItemShowsTheTariffsPeriodWithItsTotals() {
    DialogWorld w;
    PrepareTariffAndLog(w);
    w.mainWindow->StripItems().statistics->trigger();
    StatisticsWindow& s = w.set->Statistics();
    QVERIFY(s.isVisible());
    QCOMPARE(Control<QComboBox>(s, "periodChoice")->currentText(), QStringLiteral("Aktueller Zeitraum"));
    QCOMPARE(Control<QComboBox>(s, "tariffChoice")->currentText(), QStringLiteral("Monatstarif"));
    QCOMPARE(Control<QLabel>(s, "onlineTime")->text(), QStringLiteral("Onlinezeit: 00:05:00"));
    QCOMPARE(Control<QLabel>(s, "traffic")->text(), QStringLiteral("Datenmenge: 1,0 MB"));
    QCOMPARE(Control<QLabel>(s, "costs")->text(), QStringLiteral("Kosten: 0,30"));
    // 7,00 in seven days of 31.
    QCOMPARE(Control<QLabel>(s, "projection")->text(),
             QStringLiteral("Hochrechnung zum Periodenende: 31,00 (Budget 50,00)"));
    for (const char* chart : {"minutesChart", "costsChart"}) {
      QCOMPARE(BarSets(Control<QChartView>(s, chart)), 1);
      QCOMPARE(Days(Control<QChartView>(s, chart)), 31);
    }

    Choose(Control<QComboBox>(s, "periodChoice"), QStringLiteral("Vorheriger Zeitraum"));
    QCOMPARE(Days(Control<QChartView>(s, "minutesChart")), 30);
    QCOMPARE(Control<QLabel>(s, "costs")->text(), QStringLiteral("Kosten: 0,05"));
    QVERIFY(Control<QLabel>(s, "projection")->isHidden());

    Choose(Control<QComboBox>(s, "periodChoice"), QStringLiteral("Dezember 2026"));
    Choose(Control<QComboBox>(s, "tariffChoice"), QStringLiteral("alle Einträge"));
    QCOMPARE(BarSets(Control<QChartView>(s, "minutesChart")), 2);
    QCOMPARE(Control<QLabel>(s, "onlineTime")->text(), QStringLiteral("Onlinezeit: 00:15:00"));
  }

  void aVolumeTariffGetsItsChartAndWhereItsVolumeIsHeading() {
    DialogWorld w;
    constexpr int64_t kGB = int64_t{1} << 30;
    TariffRecord t;
    t.Name = "Volumen";
    t.EntryName = "Netz";
    t.StartDate = kDecember;
    t.VolumeLimit = 5 * kGB;
    t.PeriodBytes = kGB;  // in seven days of 31: 4,4 GB at the end
    w.UseTariffs({t});
    Log(w, "Netz", kDecember + 1 + 0.5, 60, 0, 3 * 1024 * 1024);
    w.mainWindow->StripItems().statistics->trigger();
    StatisticsWindow& s = w.set->Statistics();
    auto* volume = Control<QChartView>(s, "volumeChart");
    QVERIFY(volume->isVisible());
    QCOMPARE(Step(volume), 1.0);  // 3 MB on the highest day: 0, 1, 2, 3
    QVERIFY(Control<QLabel>(s, "projection")
                ->text()
                .endsWith(QStringLiteral("\nHochrechnung zum Periodenende: 4,4 GB (Limit 5,00 GB)")));
    t.PeriodBytes = 2 * kGB;  // used up on the 18th
    t.VolumeLimit = 0;        // without a volume, no such chart
    t.TimeLimit = 600;
    t.PeriodSeconds = 7 * 3600;
    w.UseTariffs({t});
    s.Open();
    QVERIFY(!volume->isVisible());
    QVERIFY(
        Control<QLabel>(s, "projection")
            ->text()
            .endsWith(QStringLiteral("\nHochrechnung zum Periodenende: 31,0 Stunden (Budget 10,0 Stunden)")));
  }

  void axesCountInWholeNumbersAndAnEmptyPeriodSaysSo() {
    DialogWorld w;
    PrepareTariffAndLog(w);
    w.mainWindow->StripItems().statistics->trigger();
    StatisticsWindow& s = w.set->Statistics();
    // Three minutes on the highest day: no label twice.
    QCOMPARE(Step(Control<QChartView>(s, "minutesChart")), 1.0);
    QVERIFY(Control<QLabel>(s, "noConnections")->isHidden());
    // Day numbers: every one where they have room, else every n-th, none cut.
    const auto dayLabels = [&s] {
      QCoreApplication::processEvents();
      auto* axis = qobject_cast<QCategoryAxis*>(
          Control<QChartView>(s, "minutesChart")->chart()->axes(Qt::Horizontal).value(0));
      return axis ? axis->categoriesLabels() : QStringList();
    };
    s.resize(1600, s.height());
    QCOMPARE(dayLabels().size(), 31);
    s.resize(480, s.height());
    QVERIFY(dayLabels().size() < 31 && dayLabels().front() == QStringLiteral("1"));
    // "alle Einträge" says why it cannot be chosen with a tariff's period.
    auto* tariffs = Control<QComboBox>(s, "tariffChoice");
    QVERIFY(tariffs->itemData(tariffs->count() - 1, Qt::ToolTipRole).toString().contains("Kalendermonat"));
    Choose(Control<QComboBox>(s, "periodChoice"), QStringLiteral("Oktober 2026"));
    QVERIFY(tariffs->itemData(tariffs->count() - 1, Qt::ToolTipRole).toString().isEmpty());
    QVERIFY(Control<QLabel>(s, "noConnections")->isVisible());
    QVERIFY(!Control<QChartView>(s, "minutesChart")->isVisible());
  }

  void anUnreadableLogIsToldInTheWindow() {
    DialogWorld w;
    const std::string log = w.core().Services().log.Path();
    std::filesystem::remove(log);
    std::filesystem::create_directory(log);
    w.mainWindow->OverviewItems().statistics->trigger();
    StatisticsWindow& s = w.set->Statistics();
    QVERIFY(s.isVisible());
    QVERIFY(Control<QLabel>(s, "failure")->text().contains(QString::fromStdString(log)));
    QVERIFY(!Control<QChartView>(s, "minutesChart")->isVisible());
  }
};

QTEST_MAIN(StatisticsWindowTest)
#include "StatisticsWindowTest.moc"
