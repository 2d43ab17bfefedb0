// SPDX-License-Identifier: MIT
// Every window on a screen of 1280 x 800 pixels at twice the scale (640 x
// 400 of Qt's pixels): shown, it lies inside the screen's available area
// with all its buttons, and its scroll area takes what does not fit.
#include <QAbstractButton>
#include <QScreen>
#include <QScrollArea>

#include "tests/ui/DialogFixture.h"
#include "ui/ErrorReportDialog.h"
#include "ui/StatisticsWindow.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

// Its place on the screen, in the screen's coordinates.
QRect OnScreen(const QWidget& w) { return QRect(w.mapToGlobal(QPoint(0, 0)), w.size()); }

void CheckFits(QDialog& dialog, const char* what) {
  dialog.show();
  QVERIFY2(QTest::qWaitForWindowExposed(&dialog), what);
  QCoreApplication::processEvents();
  const QRect area = dialog.screen()->availableGeometry();
  QVERIFY2(
      area.contains(dialog.frameGeometry()),
      qPrintable(QStringLiteral("%1: %2 outside %3")
                     .arg(what, QVariant(dialog.frameGeometry()).toString(), QVariant(area).toString())));
  int buttons = 0;
  for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) {
    if (!b->isVisibleTo(&dialog) || qobject_cast<QScrollArea*>(b->parentWidget())) continue;
    // A button inside a scroll area is reached by scrolling; a dialog's
    // own buttons lie outside any.
    bool scrolled = false;
    for (QWidget* p = b->parentWidget(); p && p != &dialog; p = p->parentWidget())
      scrolled = scrolled || qobject_cast<QScrollArea*>(p);
    if (scrolled) continue;
    ++buttons;
    QVERIFY2(
        area.contains(OnScreen(*b)),
        qPrintable(
            QStringLiteral("%1: button %2 at %3").arg(what, b->text(), QVariant(OnScreen(*b)).toString())));
    QVERIFY2(dialog.rect().contains(QRect(b->mapTo(&dialog, QPoint(0, 0)), b->size())),
             qPrintable(QStringLiteral("%1: button %2 cut off").arg(what, b->text())));
  }
  QVERIFY2(buttons > 0, what);
  dialog.close();
}

}  // namespace

class ScreenFitTest : public QObject {
  Q_OBJECT

 private slots:
  void theScreenIsTheSmallOneAtTwiceTheScale() {
    QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(640, 400));
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
  }

  void everyDialogFitsWithItsButtons() {
    DialogWorld w;
    TariffRecord t;
    t.Name = "Monatstarif";
    t.EntryName = "Netz";
    t.StartDate = EncodeDate(2026, 12, 1);
    t.CostLimit = 5000;
    t.VolumeLimit = int64_t{5} << 30;
    w.UseTariffs({t});
    DialogSet& set = *w.set;
    CheckFits(set.Settings(), "Einstellungen");
    set.Editor().Load(0);
    CheckFits(set.Editor(), "Tarif-Editor");
    CheckFits(set.Wizard(), "Wizard");
    CheckFits(set.UserSettings(), "Benutzer");
    CheckFits(set.FirstStart(), "Start");
    CheckFits(set.About(), "About");
    CheckFits(set.ErrorReport(), "Fehlerbericht");
    w.mainWindow->SelectTariff(0);
    CheckFits(set.Statistics(), "Statistik");
  }
};

int main(int argc, char** argv) {
  // Set before the application starts: the platform reads them once.
  qputenv("QT_SCALE_FACTOR", "2");
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TARIFUHR_SOURCE_DIR "/tests/ui/screens/1280x800.json");
  QApplication app(argc, argv);
  ScreenFitTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ScreenFitTest.moc"
