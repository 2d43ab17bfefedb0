// SPDX-License-Identifier: MIT
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>
#include <filesystem>

#include "tests/support/Bytes.h"
#include "tests/ui/UiFixture.h"
#include "ui/DesktopNotifier.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

QStringList Captions(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return out;
}

TariffRecord Tariff(const std::string& name, const std::string& entry) {
  TariffRecord t;
  t.Name = name;
  t.EntryName = entry;
  t.PricePerMinute = 2;
  t.StartDate = EncodeDate(2026, 12, 1);
  return t;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void geometryAndFlags() {
    UiWorld w;
    w.form->Start();
    MainWindow& f = *w.form;
    QCOMPARE(f.width(), 513);
    QCOMPARE(f.height(), 16);
    QVERIFY(f.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY((f.windowFlags() & Qt::Tool) == Qt::Tool);  // no taskbar button
    QCOMPARE(f.windowTitle(), QStringLiteral("Tarifuhr 0.1"));
    QCOMPARE(f.pos(), QPoint(0, 0));  // first start: position 0, 0
    QCOMPARE(f.FigureField(Figure::SecondsToday)->geometry(), QRect(120, 0, 81, 17));
    QCOMPARE(f.FigureField(Figure::PeriodCosts)->geometry(), QRect(424, 0, 65, 17));
    QVERIFY(f.FigureField(Figure::SecondsToday)->isReadOnly());
    QVERIFY(f.FigureField(Figure::DailyAllowance)->isHidden());
    QCOMPARE(f.ConnectionLogList()->geometry(), QRect(0, 162, 513, 97));
    // Tab stops in dialog units of the window's font.
    const int avg = f.fontMetrics().averageCharWidth();
    QCOMPARE(f.TariffOverview()->TabStopsPixels().front(), 69 * avg / 4);
  }

  void collapseAndExpand() {
    UiWorld w;
    w.form->Start();
    w.form->ToggleExpanded();
    QCOMPARE(w.form->height(), 261);
    QTest::mouseClick(w.form->ExpandButton(), Qt::LeftButton);
    QCOMPARE(w.form->height(), 16);
  }

  void menusInTheirOrder() {
    UiWorld w;
    w.form->Start();
    QCOMPARE(Captions(w.form->StripMenu()),
             (QStringList{"-", "-", "Benutzer-Einstelllungen", "-", "Statistik", "Fehlerbericht erstellen",
                          "Hilfe", "-", "Verbergen", "Autostart", "Warnungen", "About", "-", "Beende"}));
    QCOMPARE(Captions(w.form->OverviewMenu()),
             (QStringList{"-", "Benutzer-Einstellungen", "-", "Tarif-Einstellungen", "-", "Statistik",
                          "Fehlerbericht erstellen", "Hilfe", "-", "Verbergen", "Autostart", "Warnungen",
                          "About", "-", "Beenden"}));
    QCOMPARE(w.form->StripItems().help->shortcut(), QKeySequence(Qt::Key_F1));
    // Commands whose dialog is not there yet are present but disabled.
    QVERIFY(!w.form->StripItems().errorReport->isEnabled());
    w.form->SetCommand(MainWindow::Command::About, [] {});
    QVERIFY(w.form->StripItems().about->isEnabled());
    QVERIFY(w.form->OverviewItems().about->isEnabled());
  }

  void dialMenuFromTariffs() {
    UiWorld w;
    w.form->Start();
    w.form->Core().tariffs = {Tariff("Erster", "A"), Tariff("Ein ziemlich langer Tarifname", "B")};
    w.form->BuildDialMenu();
    const QList<QAction*> actions = w.form->StripMenu()->actions();
    QVERIFY(actions[0]->isSeparator());
    QCOMPARE(actions[1]->text(), QStringLiteral("Erster wählen..."));
    QCOMPARE(actions[1]->data().toInt(), 0);
    QCOMPARE(actions[2]->text().size(), 30);
    QCOMPARE(actions[2]->data().toInt(), 1);
    QVERIFY(actions[3]->isSeparator());
    w.form->Core().tariffs.pop_back();
    w.form->BuildDialMenu();
    QCOMPARE(w.form->DialItems().size(), size_t(1));
    QVERIFY(w.form->StripMenu()->actions()[2]->isSeparator());
  }

  void dialCommandStoresCredentialsAndDials() {
    UiWorld w;
    w.AddEntry("Net");
    w.form->Start();
    TariffRecord t = Tariff("T", "Net");
    t.UserName = "erika";
    t.Password = "geheim";
    w.form->Core().tariffs = {t};
    w.form->DialTariff(0);
    const SimState s = w.network->Snapshot();
    QCOMPARE(s.Connections.size(), size_t(1));
    QCOMPARE(s.Entries[0].SavedUser, std::string("erika"));
    QCOMPARE(s.Entries[0].SavedPassword, std::string("geheim"));

    // Connected: dialling again would hang it up and start another one.
    w.form->DialTariff(0);
    const SimState again = w.network->Snapshot();
    QCOMPARE(again.Connections.size(), size_t(1));
    QCOMPARE(again.Connections[0].Handle, s.Connections[0].Handle);
    const auto boxes = w.form->findChildren<QMessageBox*>();
    QCOMPARE(boxes.size(), qsizetype(1));
    QCOMPARE(boxes[0]->text(), QStringLiteral("Die Verbindung „Net“ besteht bereits."));
  }

  void dialCommandRefusesTheActiveTariffOutsideItsWindow() {
    UiWorld w;
    w.AddEntry("Tag");
    w.AddEntry("Nacht");
    w.form->Start();
    TariffRecord day = Tariff("Tag", "Tag");
    day.WindowFrom = EncodeTime(8, 0, 0);
    day.WindowTo = EncodeTime(10, 0, 0);  // it is 12:00
    w.form->Core().tariffs = {day, Tariff("Nacht", "Nacht")};
    w.form->Core().activeTariff = 0;
    w.form->DialTariff(0);
    QVERIFY(w.network->Snapshot().Connections.empty());
    w.form->Core().activeTariff = 1;  // another tariff is active: dial
    w.form->DialTariff(0);
    QCOMPARE(w.network->Snapshot().Connections.size(), size_t(1));
  }

  void showHideCaptionsFollowWhetherTheStripIsVisible() {
    UiWorld w;
    w.form->Start();
    w.form->show();
    const auto captions = [&w] {
      const QString c = w.form->StripItems().showHide->text();
      return c == w.form->OverviewItems().showHide->text() ? c : QStringLiteral("differ");
    };
    QCOMPARE(captions(), QStringLiteral("Verbergen"));
    w.form->ToggleShown();
    QVERIFY(w.form->isHidden());
    QCOMPARE(captions(), QStringLiteral("Anzeigen"));
    w.form->OnTrayClick();
    QVERIFY(w.form->isVisible());
    QCOMPARE(captions(), QStringLiteral("Verbergen"));
    // Sent to the tray by the close box or by minimizing: the first click
    // on the item brings it back.
    w.form->close();
    QVERIFY(w.form->isHidden());
    QCOMPARE(captions(), QStringLiteral("Anzeigen"));
    w.form->StripItems().showHide->trigger();
    QVERIFY(w.form->isVisible());
    w.form->setWindowState(Qt::WindowMinimized);
    QVERIFY(w.form->isHidden());
    w.form->Core().Tick();
    QCOMPARE(captions(), QStringLiteral("Anzeigen"));
    w.form->OverviewItems().showHide->trigger();
    QVERIFY(w.form->isVisible());
  }

  void withoutATrayTheStripIsNeverHidden() {
    UiWorld w(false);
    w.form->Start();
    w.form->show();
    QVERIFY(w.form->isVisible());
    QVERIFY(!w.form->StripItems().showHide->isEnabled());
    w.form->ToggleShown();
    QVERIFY(w.form->isVisible());
    w.form->setWindowState(Qt::WindowMinimized);
    QVERIFY(w.form->isVisible());
  }

  void autostartEntryWrittenAndRemoved() {
    UiWorld w;
    w.form->Start();
    const std::string desktop = w.dir.File("config/autostart/example.tarifuhr.Tarifuhr.desktop");
    QVERIFY(!w.form->StripItems().autostart->isChecked());
    w.form->StripItems().autostart->trigger();
    QVERIFY(std::filesystem::exists(desktop));
    QVERIFY(w.form->StripItems().autostart->isChecked());
    QVERIFY(w.form->OverviewItems().autostart->isChecked());
    QCOMPARE(w.registry.ReadString(kRunKey, kAutostartValue), w.dir.File("tarifuhr"));
    w.form->OverviewItems().autostart->trigger();
    QVERIFY(!std::filesystem::exists(desktop));
    QVERIFY(!w.form->StripItems().autostart->isChecked());
  }

  void warningsAreSwitchedInBothMenusAndRemembered() {
    UiWorld w;
    w.form->Start();
    QVERIFY(w.form->StripItems().warnings->isChecked());  // on by default
    w.form->OverviewItems().warnings->trigger();
    QVERIFY(!w.form->StripItems().warnings->isChecked());
    QVERIFY(!w.form->Core().warningsOn);
    QCOMPARE(w.registry.ReadInteger(kTarifuhrKey, kWarningsValue), 0);
    w.form->Core().Startup();  // as at the next start
    QVERIFY(!w.form->Core().warningsOn);
    w.form->StripItems().warnings->trigger();
    QVERIFY(w.form->OverviewItems().warnings->isChecked());
    QCOMPARE(w.registry.ReadInteger(kTarifuhrKey, kWarningsValue), 1);
  }

  void withoutANotificationServiceAWarningTakesTheFallback() {
    QStringList shown;
    DesktopNotifier notifier(
        QStringLiteral("example.tarifuhr.Tarifuhr"),
        [&](const QString& title, const QString& text) { shown << title + ": " + text; });
    notifier.Notify(QStringLiteral("Tarifuhr: T"), QStringLiteral("80 % des Kostenlimits erreicht"));
    QTRY_COMPARE(shown, QStringList{"Tarifuhr: T: 80 % des Kostenlimits erreicht"});
  }

  void helpOpensThePageWhenItIsThere() {
    UiWorld w;
    w.form->Start();
    w.form->ShowHelp();
    QVERIFY(w.shell.opened.empty());
    WriteFileBytes(w.dir.File("tarifuhr.html"), "<html></html>");
    w.form->ShowHelp();
    QCOMPARE(w.shell.opened, std::vector<std::string>{w.dir.File("tarifuhr.html")});
  }

  void closeFromTheWindowSystemGoesToTheTray() {
    UiWorld w;
    w.form->Start();
    w.form->show();
    w.form->close();  // as Alt+F4 does
    QVERIFY(w.form->isHidden());
    QVERIFY(!w.form->IsMinimized());  // the state stays normal
    QVERIFY(!std::filesystem::exists(w.dir.File("dialup.otl.closed")));
  }

  void quittingLogsTheOpenConnection() {
    UiWorld w;
    w.AddEntry("Net");
    w.form->Start();
    w.form->Core().tariffs = {Tariff("T", "Net")};
    w.form->DialTariff(0);
    w.clock.AdvanceSeconds(1);
    w.form->Core().Tick();
    w.form->Quit();
    QCOMPARE(std::filesystem::file_size(w.dir.File("dialup.otl")), uintmax_t(64));
  }

  void aVolumeTariffPutsWhatIsLeftIntoTheTrayTip() {
    UiWorld w;
    w.AddEntry("Net");
    w.form->Start();
    const QString before = w.form->Tray().ShownTip();
    TariffRecord volume = Tariff("Handy", "Net");
    volume.VolumeLimit = int64_t{5} << 30;
    w.form->Core().tariffs = {volume};
    w.form->DialTariff(0);
    w.clock.AdvanceSeconds(1);
    w.form->Core().Tick();
    QCOMPARE(w.form->Tray().ShownTip(),
             QStringLiteral("Tarifuhr 0.1\nheute frei: 204,8 MB\nim Monat frei: 5,00 GB"));
    w.form->Core().tariffs[0].VolumeLimit = 0;
    w.clock.AdvanceSeconds(1);
    w.form->Core().Tick();
    QCOMPARE(w.form->Tray().ShownTip(), before);
  }

  void theSessionsEndLogsSavesAndEndsWithoutAsking() {
    for (const bool saveFails : {false, true}) {
      UiWorld w;
      w.AddEntry("Net");
      const CreateUserResult user = w.form->Files().CreateUser("Erika");
      w.form->Start();
      w.form->Core().currentUser = user.section;
      w.form->Core().tariffs = {Tariff("T", "Net")};
      w.form->DialTariff(0);
      w.clock.AdvanceSeconds(1);
      w.form->Core().Tick();
      if (saveFails) {
        std::filesystem::remove(w.dir.File("Erika.tfd"));
        std::filesystem::create_directory(w.dir.File("Erika.tfd"));
      }
      // What the session manager sends; a box waiting for an answer would
      // keep the loop running into the safety exit.
      QTimer::singleShot(0, [] {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
      });
      QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
      QCOMPARE(QCoreApplication::exec(), saveFails ? 1 : 0);
      QCOMPARE(std::filesystem::file_size(w.dir.File("dialup.otl")), uintmax_t(64));
    }
  }

  void aPositionOffEveryScreenComesBackIntoView() {
    UiWorld w;
    w.registry.WriteInteger(kTarifuhrKey, "first", 1);
    w.registry.WriteInteger(kTarifuhrKey, "left", 5000);
    w.registry.WriteInteger(kTarifuhrKey, "top", -3000);
    w.form->Start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(w.form->pos(), QPoint(screen.right() - w.form->width() + 1, screen.top()));
    w.form->PlaceWindow(30, 40);  // on the screen: as stored
    QCOMPARE(w.form->pos(), QPoint(30, 40));
  }

  void draggingStoresThePosition() {
    UiWorld w;
    w.form->Start();
    w.form->show();
    // The top row right of the tariff label never drags; the label does.
    QTest::mousePress(w.form.get(), Qt::LeftButton, {}, QPoint(300, 5));
    QTest::mouseRelease(w.form.get(), Qt::LeftButton, {}, QPoint(300, 5));
    QCOMPARE(w.registry.ReadInteger(kTarifuhrKey, "left"), 0);
    w.form->move(40, 50);
    QTest::mousePress(w.form.get(), Qt::LeftButton, {}, QPoint(10, 5));
    QTest::mouseRelease(w.form.get(), Qt::LeftButton, {}, QPoint(10, 5));
    QTRY_COMPARE(w.registry.ReadInteger(kTarifuhrKey, "left"), 40);
    QCOMPARE(w.registry.ReadInteger(kTarifuhrKey, "top"), 50);
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
