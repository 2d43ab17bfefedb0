// SPDX-License-Identifier: MIT
// The program's dialogs and message boxes over the always-on-top strip.

#include "tests/ui/DialogFixture.h"
#include "ui/ErrorReportDialog.h"
#include "ui/MessageBoxes.h"
#include "ui/StatisticsWindow.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

class DialogsAboveStripTest : public QObject {
  Q_OBJECT

 private slots:
  void everyDialogAndBoxStaysAboveTheStrip() {
    DialogWorld w;
    w.mainWindow->show();
    QVERIFY(w.mainWindow->windowFlags() & Qt::WindowStaysOnTopHint);
    const auto above = [](const QWidget& d) { return bool(d.windowFlags() & Qt::WindowStaysOnTopHint); };
    // Opened from the strip's menu: shown, and above it.
    w.mainWindow->StripItems().about->trigger();
    w.mainWindow->StripItems().errorReport->trigger();
    for (QWidget* d :
         {static_cast<QWidget*>(&w.set->About()), static_cast<QWidget*>(&w.set->ErrorReport())}) {
      QVERIFY(d->isVisible());
      QVERIFY2(above(*d), qPrintable(d->windowTitle()));
    }
    for (QWidget* d :
         {static_cast<QWidget*>(&w.settings()), static_cast<QWidget*>(&w.editor()),
          static_cast<QWidget*>(&w.userSettings()), static_cast<QWidget*>(&w.wizard()),
          static_cast<QWidget*>(&w.set->FirstStart()), static_cast<QWidget*>(&w.set->Statistics())})
      QVERIFY2(above(*d), qPrintable(d->windowTitle()));
    // A box the strip or a dialog opens.
    for (QWidget* parent :
         {static_cast<QWidget*>(w.mainWindow.get()), static_cast<QWidget*>(&w.set->About())}) {
      ShowMessageBoxLater(parent, QMessageBox::Warning, "Tarifuhr", "Fehler");
      auto* box = parent->findChild<QMessageBox*>();
      QVERIFY(box && box->isVisible());
      QVERIFY(above(*box));
      box->close();
      QTRY_VERIFY(!parent->findChild<QMessageBox*>());
    }
  }
};

QTEST_MAIN(DialogsAboveStripTest)
#include "DialogsAboveStripTest.moc"
