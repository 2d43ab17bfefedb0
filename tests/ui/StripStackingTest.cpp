// SPDX-License-Identifier: MIT
// The always-on-top strip covers nothing: message boxes stay above it,
// and expanded it keeps off the panel.

#include "tests/ui/DialogFixture.h"
#include "ui/MessageBoxes.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

class StripStackingTest : public QObject {
  Q_OBJECT

 private slots:
  // The dialogs themselves are checked where every one of them is opened.
  void aMessageBoxStaysAboveTheStrip() {
    DialogWorld w;
    w.mainWindow->show();
    QVERIFY(w.mainWindow->windowFlags() & Qt::WindowStaysOnTopHint);
    const auto above = [](const QWidget& d) { return bool(d.windowFlags() & Qt::WindowStaysOnTopHint); };
    w.mainWindow->StripItems().about->trigger();
    QVERIFY(w.set->About().isVisible());
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

  void atTheScreensBottomTheStripExpandsUpwards() {
    UiWorld w;
    w.mainWindow->Start();
    w.mainWindow->show();
    const QRect area = w.mainWindow->screen()->availableGeometry();
    const int bottomTop = area.bottom() - MainWindow::kCollapsedHeight + 1;
    w.mainWindow->PlaceWindow(area.right() - w.mainWindow->width() + 1, bottomTop);
    QCOMPARE(w.mainWindow->y(), bottomTop);
    w.mainWindow->ToggleExpanded();
    QVERIFY(w.mainWindow->height() > MainWindow::kCollapsedHeight);
    QCOMPARE(w.mainWindow->geometry().bottom(), area.bottom());
    w.mainWindow->ToggleExpanded();
    QCOMPARE(w.mainWindow->y(), bottomTop);
    // Where there is room below, it grows downwards as ever.
    w.mainWindow->PlaceWindow(0, area.top());
    w.mainWindow->ToggleExpanded();
    QCOMPARE(w.mainWindow->y(), area.top());
  }
};

QTEST_MAIN(StripStackingTest)
#include "StripStackingTest.moc"
