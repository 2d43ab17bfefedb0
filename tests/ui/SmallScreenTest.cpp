// SPDX-License-Identifier: MIT
// A screen of 1280 x 800 pixels at scale 2 (640 x 400 of Qt's pixels):
// every dialog lies inside the available area, and so do its own buttons
// (those outside a scrolling form); the lists' columns stand under their
// headings.
#include <QScreen>
#include <QScrollArea>

#include "tests/ui/DialogFixture.h"
#include "ui/ErrorReportDialog.h"
#include "ui/StatisticsWindow.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

class SmallScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void everyDialogFitsWithItsButtons() {
    QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(640, 400));
    DialogWorld w;
    TariffRecord t;
    t.Name = "Monatstarif";
    t.StartDate = EncodeDate(2026, 12, 1);
    t.VolumeLimit = int64_t{5} << 30;
    w.UseTariffs({t});
    DialogSet& set = *w.set;
    set.Editor().Load(0);
    for (QDialog* d : std::initializer_list<QDialog*>{&set.Settings(), &set.Editor(), &set.Wizard(),
                                                      &set.UserSettings(), &set.FirstStart(), &set.About(),
                                                      &set.ErrorReport(), &set.Statistics()}) {
      d->show();
      QVERIFY(QTest::qWaitForWindowExposed(d));
      const QRect area = d->screen()->availableGeometry();
      QVERIFY2(area.contains(d->frameGeometry()), qPrintable(d->windowTitle()));
      // Above the always-on-top strip, which would cover its buttons.
      QVERIFY2(d->windowFlags() & Qt::WindowStaysOnTopHint, qPrintable(d->windowTitle()));
      int buttons = 0;
      for (QPushButton* b : d->findChildren<QPushButton*>()) {
        QWidget* p = b->parentWidget();
        while (p != d && !qobject_cast<QScrollArea*>(p)) p = p->parentWidget();
        if (p != d || !b->isVisibleTo(d)) continue;  // reached by scrolling
        ++buttons;
        const QRect onScreen(b->mapToGlobal(QPoint(0, 0)), b->size());
        QVERIFY2(area.contains(onScreen) && d->geometry().contains(onScreen),
                 qPrintable(d->windowTitle() + QLatin1Char(' ') + b->text()));
      }
      QVERIFY2(buttons > 0, qPrintable(d->windowTitle()));
      d->close();
    }
  }

  void columnsStartUnderTheirHeadingsInAnyFont() {
    UiWorld w;
    ConnectionRecord r;
    r.entry = "Netz";
    r.start = EncodeDate(2026, 12, 7) + 0.5;
    r.cost = 123456;
    r.received = 99999999;
    w.mainWindow->Core().Services().log.Append(r);
    for (const char* entry : {"DSL-Reserve", "Zugang mit langem Na"}) {
      r.entry = entry;
      w.mainWindow->Core().Services().log.Append(r);
    }
    w.mainWindow->Start();
    // An entry that fits the log's first column stays whole; a longer one
    // is cut to it.
    TabStopListBox* log = w.mainWindow->ConnectionLogList();
    QVERIFY(log->item(1)->text().startsWith(QStringLiteral("DSL-Reserve\t")));
    const QString cut = log->item(2)->text().section('\t', 0, 0);
    QVERIFY(cut.size() < 20);
    QVERIFY(log->fontMetrics().horizontalAdvance(cut) <= log->ColumnWidth(0));
    TariffRecord t;
    t.Name = "Monatstarif";
    t.EntryName = "Netz";
    t.StartDate = EncodeDate(2026, 12, 1);
    t.CostLimit = 5000;
    t.DailyAllowance = 2;
    t.SecondsToday = 265;
    t.PeriodBytes = 5406160;
    t.PeriodCosts = 475155;
    w.UseTariffs({t});
    w.mainWindow->ToggleExpanded();
    // Every line's columns under their headings, in the window's fonts and
    // in a larger one.
    for (int pixels : {0, 17}) {
      for (TabStopListBox* list : {w.mainWindow->TariffOverview(), log}) {
        if (pixels) {
          QFont f = list->font();
          f.setPixelSize(pixels);
          list->setFont(f);
        }
        QVERIFY(list->count() > 0);
        for (int line = 0; line < list->count(); ++line) {
          const QStringList columns = list->item(line)->text().split('\t');
          const std::vector<int> x = ColumnPositions(columns, list->ColumnStops(), list->fontMetrics());
          for (int i = 0; i < columns.size(); ++i)
            QCOMPARE(list->x() + TabStopListBox::kTextInset + x[i],
                     w.mainWindow->findChild<QLabel*>(list->objectName() + QStringLiteral("Heading%1").arg(i))
                         ->x());
        }
      }
    }
    // Values that fit the given stops leave them where they are.
    QCOMPARE(w.mainWindow->TariffOverview()->ColumnStops(), w.mainWindow->TariffOverview()->TabStopsPixels());
    // A negative time fits its column and stays whole.
    QVERIFY(w.mainWindow->TariffOverview()->item(0)->text().contains(QStringLiteral("\t-00:04:25\t")));
  }
};

int main(int argc, char** argv) {
  // Read once, when the application starts.
  qputenv("QT_SCALE_FACTOR", "2");
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TARIFUHR_SOURCE_DIR "/tests/ui/screens/1280x800.json");
  QApplication app(argc, argv);
  SmallScreenTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "SmallScreenTest.moc"
