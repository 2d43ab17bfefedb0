// SPDX-License-Identifier: MIT
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>
#include <filesystem>

#include "tests/support/Bytes.h"
#include "tests/ui/DialogFixture.h"
#include "ui/DesktopNotifier.h"
#include "ui/MessageBoxes.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

QStringList Captions(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return out;
}

// What dialup.otl holds, in bytes: 64 a record.
uintmax_t LogBytes(const UiWorld& w) {
  const std::string log = w.dir.File("dialup.otl");
  return std::filesystem::exists(log) ? std::filesystem::file_size(log) : 0;
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
    w.mainWindow->Start();
    MainWindow& mainWindow = *w.mainWindow;
    QCOMPARE(mainWindow.width(), 513);
    QCOMPARE(mainWindow.height(), 16);
    QVERIFY(mainWindow.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(mainWindow.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY((mainWindow.windowFlags() & Qt::Tool) == Qt::Tool);  // no taskbar button
    QCOMPARE(mainWindow.windowTitle(), QStringLiteral("Tarifuhr 0.1"));
    QCOMPARE(mainWindow.pos(), QPoint(0, 0));  // first start: position 0, 0
    QCOMPARE(mainWindow.FigureField(Figure::SecondsToday)->geometry(), QRect(120, 0, 81, 17));
    QCOMPARE(mainWindow.FigureField(Figure::PeriodCosts)->geometry(), QRect(424, 0, 65, 17));
    QVERIFY(mainWindow.FigureField(Figure::SecondsToday)->isReadOnly());
    QVERIFY(mainWindow.FigureField(Figure::DailyAllowance)->isHidden());
    QCOMPARE(mainWindow.ConnectionLogList()->geometry(), QRect(0, 162, 513, 97));
    // Tab stops in dialog units of the list's own font.
    const double base = DialogBaseWidth(QFontMetricsF(mainWindow.TariffOverview()->font()));
    QCOMPARE(mainWindow.TariffOverview()->TabStopsPixels().front(), qRound(69 * base / 4));
  }

  void collapseAndExpand() {
    UiWorld w;
    w.mainWindow->Start();
    w.mainWindow->ToggleExpanded();
    QCOMPARE(w.mainWindow->height(), 261);
    QTest::mouseClick(w.mainWindow->ExpandButton(), Qt::LeftButton);
    QCOMPARE(w.mainWindow->height(), 16);
  }

  void menusInTheirOrder() {
    UiWorld w;
    w.mainWindow->Start();
    QCOMPARE(Captions(w.mainWindow->StripMenu()),
             (QStringList{"-", "-", "Verbindung trennen", "-", "Benutzer-Einstelllungen", "-", "Statistik",
                          "Fehlerbericht erstellen", "Hilfe", "-", "Verbergen", "Autostart", "Warnungen",
                          "About", "-", "Beende"}));
    QCOMPARE(Captions(w.mainWindow->OverviewMenu()),
             (QStringList{"-", "Verbindung trennen", "-", "Benutzer-Einstellungen", "-",
                          "Tarif-Einstellungen", "-", "Statistik", "Fehlerbericht erstellen", "Hilfe", "-",
                          "Verbergen", "Autostart", "Warnungen", "About", "-", "Beenden"}));
    QCOMPARE(w.mainWindow->StripItems().help->shortcut(), QKeySequence(Qt::Key_F1));
    // Commands whose dialog is not there yet are present but disabled.
    QVERIFY(!w.mainWindow->StripItems().errorReport->isEnabled());
    w.mainWindow->SetCommand(MainWindow::Command::About, [] {});
    QVERIFY(w.mainWindow->StripItems().about->isEnabled());
    QVERIFY(w.mainWindow->OverviewItems().about->isEnabled());
  }

  void dialMenuFromTariffs() {
    UiWorld w;
    w.mainWindow->Start();
    w.UseTariffs({Tariff("Erster", "A"), Tariff("Ein ziemlich langer Tarifname", "B")});
    const QList<QAction*> actions = w.mainWindow->StripMenu()->actions();
    QVERIFY(actions[0]->isSeparator());
    QCOMPARE(actions[1]->text(), QStringLiteral("Erster wählen..."));
    QCOMPARE(actions[1]->data().toInt(), 0);
    QCOMPARE(actions[2]->text().size(), 30);
    QCOMPARE(actions[2]->data().toInt(), 1);
    QVERIFY(actions[3]->isSeparator());
    w.mainWindow->Core().RemoveTariffAt(1);
    QCOMPARE(w.mainWindow->DialItems().size(), size_t(1));
    QVERIFY(w.mainWindow->StripMenu()->actions()[2]->isSeparator());
  }

  void aUsedVolumeCutsAnOutsideConnectionAndTheNextDialAsks() {
    UiWorld w;
    w.AddEntry("Net");
    w.mainWindow->Start();
    TariffRecord t = Tariff("Handy", "Net");
    t.VolumeLimit = 1024;
    t.HangUpWhenVolumeUsed = true;
    w.UseTariffs({t});
    const auto tick = [&] {
      w.clock.AdvanceSeconds(1);
      w.mainWindow->Core().Tick();
    };
    BoxAnswerer notices;
    w.DialOutside("Net");
    tick();
    w.network->AddTraffic("Net", 4096, 0);
    tick();
    QVERIFY(w.network->Snapshot().Connections.empty());
    QTRY_COMPARE(notices.texts,
                 QStringList{"Das Datenvolumen von „Handy“ ist verbraucht; die Verbindung wurde getrennt."});
    tick();

    // A dial of it asks first; "Nein" dials nothing.
    const QString question = QStringLiteral("Das Datenvolumen von „Handy“ ist verbraucht. Trotzdem wählen?");
    {
      BoxAnswerer no(QMessageBox::No);
      w.mainWindow->DialTariff(0);
      QCOMPARE(no.texts, QStringList{question});
      QVERIFY(w.network->Snapshot().Connections.empty());
    }
    // "Ja": dialled, and not cut for the volume the user knew of.
    BoxAnswerer yes(QMessageBox::Yes);
    w.mainWindow->DialTariff(0);
    QCOMPARE(yes.texts, QStringList{question});
    QTRY_VERIFY(w.mainWindow->DialItems()[0]->isEnabled());
    for (int i = 0; i < 3; ++i) tick();
    QCOMPARE(w.network->Snapshot().Connections.size(), size_t(1));
    QCOMPARE(notices.texts.size(), qsizetype(1));
  }

  void dialCommandStoresCredentialsAndDials() {
    UiWorld w;
    w.AddEntry("Net");
    w.mainWindow->Start();
    TariffRecord t = Tariff("T", "Net");
    t.UserName = "erika";
    t.Password = "geheim";
    w.UseTariffs({t});
    w.mainWindow->DialTariff(0);
    const SimState s = w.network->Snapshot();
    QCOMPARE(s.Connections.size(), size_t(1));
    QCOMPARE(s.Entries[0].SavedUser, std::string("erika"));
    QCOMPARE(s.Entries[0].SavedPassword, std::string("geheim"));
    QTRY_VERIFY(w.mainWindow->DialItems()[0]->isEnabled());  // the dial has ended

    // Connected: dialling again would hang it up and start another one.
    w.mainWindow->DialTariff(0);
    const SimState again = w.network->Snapshot();
    QCOMPARE(again.Connections.size(), size_t(1));
    QCOMPARE(again.Connections[0].Handle, s.Connections[0].Handle);
    const auto boxes = w.mainWindow->findChildren<QMessageBox*>();
    QCOMPARE(boxes.size(), qsizetype(1));
    QCOMPARE(boxes[0]->text(), QStringLiteral("Die Verbindung „Net“ besteht bereits."));
  }

  void dialCommandRefusesTheActiveTariffOutsideItsWindow() {
    UiWorld w;
    w.AddEntry("Tag");
    w.AddEntry("Nacht");
    w.mainWindow->Start();
    TariffRecord day = Tariff("Tag", "Tag");
    day.WindowFrom = EncodeTime(8, 0, 0);
    day.WindowTo = EncodeTime(10, 0, 0);  // it is 12:00
    w.UseTariffs({day, Tariff("Nacht", "Nacht")});
    // The active tariff is what the last tick found; the connection then
    // ends unseen, so it stays active with nothing connected.
    const auto activeThenGone = [&w](const std::string& entry) {
      w.DialOutside(entry);
      w.clock.AdvanceSeconds(1);
      w.mainWindow->Core().Tick();
      w.network->HangUpEntry(entry);
    };
    activeThenGone("Tag");
    QCOMPARE(w.mainWindow->Core().ActiveTariff(), 0);
    w.mainWindow->DialTariff(0);
    QVERIFY(w.network->Snapshot().Connections.empty());
    activeThenGone("Nacht");  // another tariff is active: dial
    QCOMPARE(w.mainWindow->Core().ActiveTariff(), 1);
    w.mainWindow->DialTariff(0);
    QCOMPARE(w.network->Snapshot().Connections.size(), size_t(1));
  }

  void aSlowDialLeavesTheWindowAnsweringAndShowsItsSteps() {
    UiWorld w;
    // The simulator waits the delay in real time and on the hand-moved
    // clock: the dial lasts until the test moves the clock past it.
    SimEntry slow;
    slow.Name = "Net";
    slow.DelaySeconds = 1.5;
    w.network->AddEntry(slow);
    w.AddEntry("Andere");
    w.mainWindow->Start();
    w.UseTariffs({Tariff("T", "Net"), Tariff("A", "Andere")});
    w.DialOutside("Andere");
    w.clock.AdvanceSeconds(1);
    w.mainWindow->Core().Tick();
    QCOMPARE(w.mainWindow->TariffLabel()->text(), QStringLiteral("A:"));
    const auto counted = [&w] {
      return w.mainWindow->Core().Tariffs()[0].PeriodSeconds +
             w.mainWindow->Core().Tariffs()[1].PeriodSeconds;
    };
    const double countedBefore = counted();

    w.mainWindow->DialItems()[0]->trigger();
    QCOMPARE(w.mainWindow->TariffLabel()->text(), QStringLiteral("Wähle Net …"));
    QTRY_COMPARE(w.mainWindow->TariffLabel()->text(), QStringLiteral("Gerät wird verbunden …"));
    // The window answers a click meanwhile.
    const int height = w.mainWindow->height();
    QTest::mouseClick(w.mainWindow->ExpandButton(), Qt::LeftButton);
    QVERIFY(w.mainWindow->height() != height);
    // The window's own timer goes on counting.
    w.clock.AdvanceSeconds(1);
    QTRY_VERIFY(counted() > countedBefore);
    QVERIFY(w.mainWindow->Dialling());
    QCOMPARE(w.mainWindow->TariffLabel()->text(), QStringLiteral("Gerät wird verbunden …"));

    w.clock.AdvanceSeconds(1);
    QTRY_VERIFY(!w.mainWindow->Dialling());
    QVERIFY(w.mainWindow->DialItems()[0]->isEnabled());
    QVERIFY(w.mainWindow->findChildren<QMessageBox*>().isEmpty());  // success says nothing
    // The caption the core gave while the dial was shown (the dialled
    // connection listed last is the counted one) comes back.
    QCOMPARE(w.mainWindow->TariffLabel()->text(), QStringLiteral("T:"));
  }

  void aFailedDialIsToldOnceNamingTheEntry() {
    const struct {
      uint32_t failCode;
      bool checkCredentials;
      QString text;
    } cases[] = {
        {676, false, QStringLiteral("„Besetzt“ konnte nicht verbunden werden: Die Leitung ist besetzt.")},
        {0, true,
         QStringLiteral("„Besetzt“ konnte nicht verbunden werden: Der Zugang wurde verweigert: "
                        "Benutzername oder Passwort ist falsch.")}};
    for (const auto& c : cases) {
      UiWorld w;
      SimEntry e;
      e.Name = "Besetzt";
      e.FailCode = c.failCode;
      e.CheckCredentials = c.checkCredentials;
      e.ExpectedUser = "erika";
      w.network->AddEntry(e);
      w.mainWindow->Start();
      w.UseTariffs({Tariff("T", "Besetzt")});
      const QString caption = w.mainWindow->TariffLabel()->text();
      w.mainWindow->DialItems()[0]->trigger();
      QTRY_VERIFY(!w.mainWindow->Dialling());
      QTest::qWait(100);  // nothing more comes
      const auto boxes = w.mainWindow->findChildren<QMessageBox*>();
      QCOMPARE(boxes.size(), qsizetype(1));
      QCOMPARE(boxes[0]->text(), c.text);
      QVERIFY(boxes[0]->isVisible());  // shown, and the dial's end went on past it
      QCOMPARE(w.mainWindow->TariffLabel()->text(), caption);
      QVERIFY(w.mainWindow->DialItems()[0]->isEnabled());
      QVERIFY(w.network->Snapshot().Connections.empty());
    }
  }

  void aSecondDialWhileDiallingHasNoEffect() {
    UiWorld w;
    SimEntry slow;
    slow.Name = "Langsam";
    slow.DelaySeconds = 1.5;
    w.network->AddEntry(slow);
    w.AddEntry("Schnell");
    w.mainWindow->Start();
    w.UseTariffs({Tariff("L", "Langsam"), Tariff("S", "Schnell")});
    w.mainWindow->DialItems()[0]->trigger();
    QTRY_COMPARE(w.mainWindow->TariffLabel()->text(), QStringLiteral("Gerät wird verbunden …"));
    for (QAction* item : w.mainWindow->DialItems()) QVERIFY(!item->isEnabled());
    w.mainWindow->DialItems()[1]->trigger();
    w.mainWindow->DialTariff(1);
    QTest::qWait(50);
    const SimState s = w.network->Snapshot();
    QCOMPARE(s.Connections.size(), size_t(1));
    QCOMPARE(s.Connections[0].Entry, std::string("Langsam"));
    QCOMPARE(w.mainWindow->TariffLabel()->text(), QStringLiteral("Gerät wird verbunden …"));
    // The menu made anew meanwhile (a tariff added) keeps its items off.
    TariffValues added;
    added.Name = "Neu";
    added.EntryName = "Schnell";
    w.mainWindow->Core().StoreTariff(-1, added);
    QCOMPARE(w.mainWindow->DialItems().size(), size_t(3));
    for (QAction* item : w.mainWindow->DialItems()) QVERIFY(!item->isEnabled());

    w.clock.AdvanceSeconds(2);
    QTRY_VERIFY(!w.mainWindow->Dialling());
    for (QAction* item : w.mainWindow->DialItems()) QVERIFY(item->isEnabled());
    QVERIFY(w.network->Snapshot().Connections[0].Connected());
  }

  void showHideCaptionsFollowWhetherTheStripIsVisible() {
    UiWorld w;
    w.mainWindow->Start();
    w.mainWindow->show();
    const auto captions = [&w] {
      const QString c = w.mainWindow->StripItems().showHide->text();
      return c == w.mainWindow->OverviewItems().showHide->text() ? c : QStringLiteral("differ");
    };
    QCOMPARE(captions(), QStringLiteral("Verbergen"));
    // The window's own tick, the clock standing still: all that follows
    // falls in the same second. A first start's first tick asks for its
    // dialog, which tells that the tick ran.
    bool ticked = false;
    w.mainWindow->SetCommand(MainWindow::Command::FirstStart, [&ticked] { ticked = true; });
    QTRY_VERIFY(ticked);
    QCOMPARE(captions(), QStringLiteral("Verbergen"));
    w.mainWindow->ToggleShown();
    QVERIFY(w.mainWindow->isHidden());
    QCOMPARE(captions(), QStringLiteral("Anzeigen"));
    w.mainWindow->OnTrayClick();
    QVERIFY(w.mainWindow->isVisible());
    QCOMPARE(captions(), QStringLiteral("Verbergen"));
    // Sent to the tray by the close box or by minimizing: the first click
    // on the item brings it back.
    w.mainWindow->close();
    QVERIFY(w.mainWindow->isHidden());
    QCOMPARE(captions(), QStringLiteral("Anzeigen"));
    w.mainWindow->StripItems().showHide->trigger();
    QVERIFY(w.mainWindow->isVisible());
    // Minimized in the second already ticked: no new second comes to
    // update the captions.
    w.mainWindow->setWindowState(Qt::WindowMinimized);
    QVERIFY(w.mainWindow->isHidden());
    QTRY_COMPARE(captions(), QStringLiteral("Anzeigen"));
    w.mainWindow->OverviewItems().showHide->trigger();
    QVERIFY(w.mainWindow->isVisible());
  }

  void withoutATrayTheStripIsNeverHidden() {
    UiWorld w(false);
    w.mainWindow->Start();
    w.mainWindow->show();
    QVERIFY(w.mainWindow->isVisible());
    QVERIFY(!w.mainWindow->StripItems().showHide->isEnabled());
    w.mainWindow->ToggleShown();
    QVERIFY(w.mainWindow->isVisible());
    w.mainWindow->setWindowState(Qt::WindowMinimized);
    QVERIFY(w.mainWindow->isVisible());
  }

  void autostartEntryWrittenAndRemoved() {
    UiWorld w;
    w.mainWindow->Start();
    const std::string desktop = w.dir.File("config/autostart/example.tarifuhr.Tarifuhr.desktop");
    QVERIFY(!w.mainWindow->StripItems().autostart->isChecked());
    w.mainWindow->StripItems().autostart->trigger();
    QVERIFY(std::filesystem::exists(desktop));
    QVERIFY(w.mainWindow->StripItems().autostart->isChecked());
    QVERIFY(w.mainWindow->OverviewItems().autostart->isChecked());
    QCOMPARE(w.registry.ReadString(kRunKey, kAutostartValue), w.dir.File("tarifuhr"));
    w.mainWindow->OverviewItems().autostart->trigger();
    QVERIFY(!std::filesystem::exists(desktop));
    QVERIFY(!w.mainWindow->StripItems().autostart->isChecked());
  }

  void warningsAreSwitchedInBothMenusAndRemembered() {
    UiWorld w;
    w.mainWindow->Start();
    QVERIFY(w.mainWindow->StripItems().warnings->isChecked());  // on by default
    w.mainWindow->OverviewItems().warnings->trigger();
    QVERIFY(!w.mainWindow->StripItems().warnings->isChecked());
    QVERIFY(!w.mainWindow->Core().WarningsOn());
    QCOMPARE(w.registry.ReadInteger(kTarifuhrKey, kWarningsValue), 0);
    w.mainWindow->Core().Startup();  // as at the next start
    QVERIFY(!w.mainWindow->Core().WarningsOn());
    w.mainWindow->StripItems().warnings->trigger();
    QVERIFY(w.mainWindow->OverviewItems().warnings->isChecked());
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
    w.mainWindow->Start();
    w.mainWindow->ShowHelp();
    QVERIFY(w.shell.opened.empty());
    WriteFileBytes(w.dir.File("tarifuhr.html"), "<html></html>");
    w.mainWindow->ShowHelp();
    QCOMPARE(w.shell.opened, std::vector<std::string>{w.dir.File("tarifuhr.html")});
  }

  void closeFromTheWindowSystemGoesToTheTray() {
    UiWorld w;
    w.mainWindow->Start();
    w.mainWindow->show();
    w.mainWindow->close();  // as Alt+F4 does
    QVERIFY(w.mainWindow->isHidden());
    QVERIFY(!w.mainWindow->IsMinimized());  // the state stays normal
    QVERIFY(!std::filesystem::exists(w.dir.File("dialup.otl.closed")));
  }

  void quittingLogsTheOpenConnection() {
    UiWorld w;
    w.AddEntry("Net");
    w.mainWindow->Start();
    w.UseTariffs({Tariff("T", "Net")});
    w.mainWindow->DialTariff(0);
    w.clock.AdvanceSeconds(1);
    w.mainWindow->Core().Tick();
    BoxAnswerer boxes("Beenden");
    w.mainWindow->Quit();
    QCOMPARE(std::filesystem::file_size(w.dir.File("dialup.otl")), uintmax_t(64));
  }

  void hangUpItemFollowsATariffsConnectionAndEndsIt() {
    UiWorld w;
    w.AddEntry("Net");
    w.mainWindow->Start();
    w.mainWindow->PauseTick();
    w.UseTariffs({Tariff("T", "Net")});
    const auto tick = [&w] {
      w.clock.AdvanceSeconds(1);
      w.mainWindow->Core().Tick();
    };
    QAction* strip = w.mainWindow->StripItems().hangUp;
    QAction* overview = w.mainWindow->OverviewItems().hangUp;
    tick();
    QVERIFY(!strip->isEnabled() && !overview->isEnabled());  // offline
    w.DialOutside("Net");
    tick();
    QVERIFY(strip->isEnabled() && overview->isEnabled());

    strip->trigger();
    QVERIFY(w.network->Snapshot().Connections.empty());
    QCOMPARE(LogBytes(w), uintmax_t(0));
    tick();
    QCOMPARE(LogBytes(w), uintmax_t(64));
    QVERIFY(!strip->isEnabled() && !overview->isEnabled());
    QVERIFY(w.mainWindow->findChildren<QMessageBox*>().isEmpty());

    // A state file the simulator can't read: the hang-up fails, said in a
    // box that does not wait.
    w.DialOutside("Net");
    tick();
    const std::string state = w.dir.File(SimNetwork::kStateFile);
    std::filesystem::rename(state, state + ".kept");
    std::filesystem::create_directory(state);
    overview->trigger();
    std::filesystem::remove(state);
    std::filesystem::rename(state + ".kept", state);
    const auto boxes = w.mainWindow->findChildren<QMessageBox*>();
    QCOMPARE(boxes.size(), qsizetype(1));
    QVERIFY(boxes[0]->isVisible());  // up while the handler has returned
    QCOMPARE(boxes[0]->text(), QStringLiteral("Die Verbindung „Net“ konnte nicht getrennt werden: "
                                              "Das Telefonbuch konnte nicht geöffnet werden."));
    QCOMPARE(w.network->Snapshot().Connections.size(), size_t(1));
    QVERIFY(strip->isEnabled());
  }

  void quittingWhileOnlineOffersThreeChoices() {
    const QString question =
        QStringLiteral("Die Verbindung „Net“ bleibt bestehen und wird nicht mehr gezählt. Trotzdem beenden?");
    // Escape is "Abbrechen"; without a display the end goes on as it did.
    for (const QString& answer :
         {QStringLiteral("Abbrechen"), QStringLiteral("<Escape>"), QStringLiteral("Beenden"),
          QStringLiteral("Verbindung trennen und beenden"), QStringLiteral("")}) {
      UiWorld w;
      w.AddEntry("Net");
      w.mainWindow->Start();
      w.mainWindow->PauseTick();
      w.mainWindow->show();
      w.UseTariffs({Tariff("T", "Net")});
      w.DialOutside("Net");
      w.clock.AdvanceSeconds(1);
      w.mainWindow->Core().Tick();
      if (answer.isEmpty()) SetMessageBoxesShown(false);
      {
        BoxAnswerer boxes(answer);
        w.mainWindow->Quit();
        if (answer.isEmpty()) {
          QVERIFY(boxes.texts.isEmpty());
        } else {
          QCOMPARE(boxes.texts, QStringList{question});
          QCOMPARE(boxes.buttons.front(),
                   (QStringList{"Beenden", "Verbindung trennen und beenden", "Abbrechen"}));
        }
      }
      SetMessageBoxesShown(true);
      const bool kept = answer == QStringLiteral("Abbrechen") || answer == QStringLiteral("<Escape>");
      const bool hungUp = answer == QStringLiteral("Verbindung trennen und beenden");
      QCOMPARE(w.mainWindow->isVisible(), kept);
      QCOMPARE(w.network->Snapshot().Connections.size(), size_t(hungUp ? 0 : 1));
      QCOMPARE(LogBytes(w), uintmax_t(kept ? 0 : 64));
      if (!kept) continue;
      // Still counting the same record.
      w.clock.AdvanceSeconds(1);
      w.mainWindow->Core().Tick();
      QCOMPARE(w.mainWindow->Core().OpenRecord().seconds, 2);
    }
  }

  void aSignalWhileTheQuestionWaitsEndsWithoutItsAnswer() {
    UiWorld w;
    w.AddEntry("Net");
    w.mainWindow->Start();
    w.mainWindow->PauseTick();
    w.UseTariffs({Tariff("T", "Net")});
    w.DialOutside("Net");
    w.clock.AdvanceSeconds(1);
    w.mainWindow->Core().Tick();
    // The question is up; then the session ends the program.
    bool asked = false;
    QTimer::singleShot(0, [&w] { w.mainWindow->Quit(); });
    QTimer::singleShot(200, [&asked] {
      for (QWidget* top : QApplication::topLevelWidgets())
        asked = asked || (qobject_cast<QMessageBox*>(top) && top->isVisible());
      QEvent quit(QEvent::Quit);
      QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(asked);
    QCOMPARE(std::filesystem::file_size(w.dir.File("dialup.otl")), uintmax_t(64));
    QCOMPARE(w.network->Snapshot().Connections.size(), size_t(1));
  }

  void aVolumeTariffPutsWhatIsLeftIntoTheTrayTip() {
    UiWorld w;
    w.AddEntry("Net");
    w.mainWindow->Start();
    QCOMPARE(w.mainWindow->toolTip(), QStringLiteral("Tarifuhr 0.1 – kein Benutzer gewählt"));
    const QString before = w.mainWindow->Tray().ShownTip();
    TariffRecord volume = Tariff("Handy", "Net");
    volume.VolumeLimit = int64_t{5} << 30;
    w.UseTariffs({volume});
    w.mainWindow->DialTariff(0);
    w.clock.AdvanceSeconds(1);
    w.mainWindow->Core().Tick();
    QCOMPARE(w.mainWindow->Tray().ShownTip(),
             QStringLiteral("Tarifuhr 0.1\nheute frei: 204,8 MB\nim Monat frei: 5,00 GB"));
    // Each field says what it holds; the strip names the user.
    w.clock.AdvanceSeconds(1);
    w.mainWindow->Core().Tick();  // the first second had no statistics yet
    const QStringList tips = {"Online heute", "Erlaubt pro Tag", "Heute noch frei",
                              "Volumen verbraucht / Limit", "Kosten in diesem Zeitraum"};
    for (Figure f : kFigures) QCOMPARE(w.mainWindow->FigureField(f)->toolTip(), tips[static_cast<int>(f)]);
    QCOMPARE(w.mainWindow->toolTip(), QStringLiteral("Tarifuhr 0.1 – Benutzer: Test"));
    // The limit taken out in the editor, the rest as it stands.
    const TariffRecord& t = w.mainWindow->Core().Tariffs()[0];
    TariffValues edited;
    edited.Name = t.Name;
    edited.StartDate = t.StartDate;
    edited.PricePerMinute = t.PricePerMinute;
    edited.EntryName = t.EntryName;
    edited.PeriodSeconds = t.PeriodSeconds;
    edited.PeriodCosts = t.PeriodCosts;
    w.mainWindow->Core().StoreTariff(0, edited);
    w.clock.AdvanceSeconds(1);
    w.mainWindow->Core().Tick();
    QCOMPARE(w.mainWindow->Tray().ShownTip(), before);
    QCOMPARE(w.mainWindow->FigureField(Figure::ConnectionBytes)->toolTip(), "Datenmenge dieser Verbindung");
  }

  void theSessionsEndLogsSavesAndEndsWithoutAsking() {
    for (const bool saveFails : {false, true}) {
      UiWorld w;
      w.AddEntry("Net");
      const CreateUserResult user = w.mainWindow->Files().CreateUser("Erika");
      w.mainWindow->Start();
      w.UseTariffs({Tariff("T", "Net")}, {}, user.section);
      w.mainWindow->DialTariff(0);
      w.clock.AdvanceSeconds(1);
      w.mainWindow->Core().Tick();
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
    w.mainWindow->Start();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(w.mainWindow->pos(), QPoint(screen.right() - w.mainWindow->width() + 1, screen.top()));
    w.mainWindow->PlaceWindow(30, 40);  // on the screen: as stored
    QCOMPARE(w.mainWindow->pos(), QPoint(30, 40));
  }

  void theLogKeepsTheRunningLineInViewUnlessScrolledAway() {
    UiWorld w;
    w.AddEntry("Net");
    for (int i = 0; i < 30; ++i)
      ConnectionLog(w.dir.File("dialup.otl")).Append({"Alt", 46000, 46000, 60, 0, 0, 0});
    w.mainWindow->Start();
    w.mainWindow->PauseTick();
    w.UseTariffs({Tariff("T", "Net")});
    w.mainWindow->show();
    w.mainWindow->ToggleExpanded();
    w.mainWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.mainWindow.get()));
    QListWidget* list = w.mainWindow->ConnectionLogList();
    QVERIFY(list->hasFocus());  // the window gives it the focus
    const auto tick = [&w] {
      w.clock.AdvanceSeconds(1);
      w.mainWindow->Core().Tick();
    };
    const auto liveLineInView = [list] {
      const QRect line = list->visualItemRect(list->item(list->count() - 1));
      return list->count() == 31 && line.top() >= 0 && line.bottom() < list->viewport()->height();
    };
    for (const int scrolledTo : {-1, 0, -1}) {  // at the end, scrolled up to the oldest, back at the end
      if (scrolledTo == 0) list->verticalScrollBar()->setValue(0);
      if (scrolledTo == -1) list->scrollToBottom();
      w.mainWindow->HangUpOpenConnection();
      tick();  // logged: the history is read anew
      w.DialOutside("Net");
      tick();
      QCOMPARE(liveLineInView(), scrolledTo == -1);
      list->setCurrentRow(27);
      tick();
      QCOMPARE(list->currentRow(), 27);  // a line the user picked stays picked
    }
  }

  void draggingStoresThePosition() {
    UiWorld w;
    w.mainWindow->Start();
    w.mainWindow->show();
    // The top row right of the tariff label never drags; the label does.
    QTest::mousePress(w.mainWindow.get(), Qt::LeftButton, {}, QPoint(300, 5));
    QTest::mouseRelease(w.mainWindow.get(), Qt::LeftButton, {}, QPoint(300, 5));
    QCOMPARE(w.registry.ReadInteger(kTarifuhrKey, "left"), 0);
    w.mainWindow->move(40, 50);
    QTest::mousePress(w.mainWindow.get(), Qt::LeftButton, {}, QPoint(10, 5));
    QTest::mouseRelease(w.mainWindow.get(), Qt::LeftButton, {}, QPoint(10, 5));
    QTRY_COMPARE(w.registry.ReadInteger(kTarifuhrKey, "left"), 40);
    QCOMPARE(w.registry.ReadInteger(kTarifuhrKey, "top"), 50);
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
