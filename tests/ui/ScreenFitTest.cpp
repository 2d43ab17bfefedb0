// SPDX-License-Identifier: MIT
// Every dialog on a screen of 1280 x 800 pixels at scale 2 (640 x 400 of
// Qt's pixels) lies inside the available area, and so do its own buttons
// (those outside a scrolling form).
#include <QScreen>
#include <QScrollArea>

#include "tests/ui/DialogFixture.h"
#include "ui/ErrorReportDialog.h"
#include "ui/StatisticsWindow.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

class ScreenFitTest : public QObject {
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
};

int main(int argc, char** argv) {
  // Read once, when the application starts.
  qputenv("QT_SCALE_FACTOR", "2");
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TARIFUHR_SOURCE_DIR "/tests/ui/screens/1280x800.json");
  QApplication app(argc, argv);
  ScreenFitTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ScreenFitTest.moc"
