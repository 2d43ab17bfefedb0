// SPDX-License-Identifier: MIT
#include <QMenu>
#include <QtTest>
#include <stdexcept>

#include "ui/TrayIcon.h"

using namespace tarifuhr;

class TrayIconTest : public QObject {
  Q_OBJECT

 private slots:
  void ownerMustBeAWindow() {
    QWidget window;
    auto* child = new QWidget(&window);
    QVERIFY_THROWS_EXCEPTION(std::logic_error, TrayIcon{child});
  }

  void messagesInTheSameSecondAreShownOneAfterTheOther() {
    QWidget owner;
    TrayIcon tray(&owner, [] { return true; });
    tray.SetBalloonTime(80);
    tray.Loaded();
    tray.SetActive(true);
    tray.ShowBalloon("Tarifuhr: A", "80 % des Kostenlimits erreicht");
    tray.ShowBalloon("Tarifuhr: B", "Das Z.Konto für heute ist aufgebraucht.");
    QCOMPARE(tray.ShownBalloon(), QStringLiteral("Tarifuhr: A: 80 % des Kostenlimits erreicht"));
    QTRY_COMPARE(tray.ShownBalloon(), QStringLiteral("Tarifuhr: B: Das Z.Konto für heute ist aufgebraucht."));
    QTRY_COMPARE(tray.ShownBalloon(), QString());
  }

  void singleClickWaitsForTheDoubleClickTime() {
    QWidget owner;
    TrayIcon tray(&owner, [] { return true; });
    tray.SetDoubleClickInterval(50);
    int singles = 0, doubles = 0;
    QObject::connect(&tray, &TrayIcon::LeftButtonDown, [&] { ++singles; });
    QObject::connect(&tray, &TrayIcon::LeftButtonDoubleClick, [&] { ++doubles; });
    tray.HandleActivation(QSystemTrayIcon::Trigger);
    QCOMPARE(singles, 0);
    QTRY_COMPARE(singles, 1);
    // A double click: the pending single click never acts.
    tray.HandleActivation(QSystemTrayIcon::Trigger);
    tray.HandleActivation(QSystemTrayIcon::DoubleClick);
    QTest::qWait(120);
    QCOMPARE(singles, 1);
    QCOMPARE(doubles, 1);
  }

  void singleClickWithoutHandlerTogglesTheOwner() {
    QWidget owner;
    owner.show();
    TrayIcon tray(&owner, [] { return true; });
    tray.SetDoubleClickInterval(10);
    tray.HandleActivation(QSystemTrayIcon::Trigger);
    QTRY_VERIFY(owner.isHidden());
  }

  void doubleClickWithoutHandlerShowsTheOwner() {
    QWidget owner;
    QMenu menu;
    menu.addAction("x");
    TrayIcon tray(&owner, [] { return true; });
    tray.SetPopupMenu(&menu);
    tray.HandleActivation(QSystemTrayIcon::DoubleClick);
    QVERIFY(owner.isVisible());
    // A default item takes the double click instead.
    bool triggered = false;
    QAction* def = menu.addAction("def", [&] { triggered = true; });
    menu.setDefaultAction(def);
    tray.HandleActivation(QSystemTrayIcon::DoubleClick);
    QVERIFY(triggered);
  }

  void rightClickLeavesTheMenuToTheIcon() {
    QWidget owner;
    QMenu menu;
    menu.addAction("Beende");
    TrayIcon tray(&owner, [] { return true; });
    tray.SetPopupMenu(&menu);
    tray.SetActive(true);
    QCOMPARE(tray.ContextMenu(), &menu);
    // The icon opened it already: the right click opens nothing more.
    tray.HandleActivation(QSystemTrayIcon::Context);
    QVERIFY(!menu.isVisible());
  }

  void tipIsCutTo63Characters() {
    QWidget owner;
    owner.setWindowTitle("Tarifuhr 0.1");
    TrayIcon tray(&owner, [] { return true; });
    tray.Loaded();
    QCOMPARE(tray.Tip(), QStringLiteral("Tarifuhr 0.1"));
    tray.SetTip(QString(70, 'x'));
    QCOMPARE(tray.ShownTip().size(), 63);
    QVERIFY(tray.PopupMenu());  // the default menu
    QCOMPARE(tray.PopupMenu()->actions().front()->text(), QStringLiteral("Beenden"));
  }

  void trayIdRules() {
    QWidget owner;
    TrayIcon tray(&owner, [] { return true; });
    QCOMPARE(tray.TrayID(), 990);
    tray.SetTrayID(5);
    QCOMPARE(tray.TrayID(), 5);
    tray.SetActive(true);
    tray.SetTrayID(6);
    QCOMPARE(tray.TrayID(), 5);  // not while active
  }

  void closeAndMinimizeGoToTheTray() {
    QWidget owner;
    owner.show();
    TrayIcon tray(&owner, [] { return true; });
    tray.SetActive(true);
    QVERIFY(!owner.close());
    QVERIFY(owner.isHidden());
    owner.show();
    owner.setWindowState(Qt::WindowMinimized);
    QVERIFY(owner.isHidden());
    QVERIFY(!(owner.windowState() & Qt::WindowMinimized));
    owner.show();
    QVERIFY(tray.CloseOwner());  // the program's own close goes through
    // Without a notification area nothing is captured.
    QWidget other;
    other.show();
    TrayIcon none(&other, [] { return false; });
    none.SetActive(true);
    QVERIFY(other.close());
  }
};

QTEST_MAIN(TrayIconTest)
#include "TrayIconTest.moc"
