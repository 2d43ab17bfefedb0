// SPDX-License-Identifier: MIT
// The settings dialog and the user settings dialog: users made, picked and
// removed; tariffs removed; what reaches the files.

#include <QAbstractItemView>
#include <filesystem>

#include "tests/ui/DialogFixture.h"
#include "ui/MessageBoxes.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

// Makes a user through "Benutzer hinzufügen" and the user settings dialog.
void AddUser(DialogWorld& w, const QString& name) {
  WithModal([&] { Click(Control<QPushButton>(w.settings(), "addUser")); },
            [&] {
              QVERIFY(w.userSettings().isVisible());
              QVERIFY(Control<QLineEdit>(w.userSettings(), "name")->text().isEmpty());
              Type(Control<QLineEdit>(w.userSettings(), "name"), name);
              Click(Control<QPushButton>(w.userSettings(), "create"));
            });
}

TariffRecord Tariff(const std::string& name, const std::string& entry) {
  TariffRecord t;
  t.Name = name;
  t.EntryName = entry;
  t.PricePerMinute = 2;
  return t;
}

QStringList Items(QComboBox* c) {
  QStringList out;
  for (int i = 0; i < c->count(); ++i) out << c->itemText(i);
  return out;
}

QStringList Items(QListWidget* l) {
  QStringList out;
  for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
  return out;
}

}  // namespace

class SettingsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void createdOnceHiddenAndWiredToTheMenus() {
    DialogWorld w;
    QVERIFY(!w.settings().isVisible());
    QCOMPARE(w.settings().windowTitle(), QStringLiteral("Einstellungen"));
    QVERIFY(w.settings().windowFlags() & Qt::WindowStaysOnTopHint);
    // The user list file exists from the dialog's creation on.
    QVERIFY(std::filesystem::exists(w.dir.File("userlist.ini")));
    QVERIFY(w.mainWindow->StripItems().userSettings->isEnabled());
    QVERIFY(w.mainWindow->TariffSettingsItem()->isEnabled());
    QVERIFY(w.mainWindow->StripItems().about->isEnabled());
    QVERIFY(w.mainWindow->StripItems().errorReport->isEnabled());
    QVERIFY(w.mainWindow->OverviewItems().errorReport->isEnabled());
    w.mainWindow->StripItems().userSettings->trigger();
    QVERIFY(w.settings().isVisible());
    QVERIFY(!w.settings().isModal());
    w.settings().close();
    QVERIFY(w.settings().isHidden());
    w.mainWindow->OverviewItems().userSettings->trigger();  // the same instance again
    QVERIFY(w.settings().isVisible());
  }

  void createUsersPickOneAndSwitch() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, QStringLiteral("Hans"));
    QVERIFY(w.userSettings().isHidden());
    AddUser(w, QStringLiteral("Hans"));  // same name, second file
    AddUser(w, QStringLiteral("Jörg"));
    QCOMPARE(Items(Control<QComboBox>(w.settings(), "users")),
             (QStringList{"Hans (Hans.tfd)", "Hans (Hans0.tfd)", "Jörg (Jörg.tfd)"}));
    QVERIFY(std::filesystem::exists(w.dir.File("Hans.tfd")));
    QVERIFY(std::filesystem::exists(w.dir.File("Hans0.tfd")));
    QVERIFY(std::filesystem::exists(w.dir.File("Jörg.tfd")));
    QVERIFY(w.core().CurrentUser().empty());  // made, not chosen

    // Choosing a user makes it current, everywhere.
    Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
    QCOMPARE(w.core().CurrentUser(), std::string("Hans (Hans.tfd)"));
    QCOMPARE(w.registry.ReadString(kTarifuhrKey, "currentuser"), std::string("Hans (Hans.tfd)"));
    std::vector<TariffRecord> hans = {Tariff("Hans-Tarif", "A")};
    hans[0].PeriodSeconds = 321;
    TotalsRecord totals;
    totals.OnlineSeconds = 42;
    w.UseTariffs(hans, totals, "Hans (Hans.tfd)");

    // Switching (the core saves the old user first) loads the new one
    // everywhere.
    Choose(Control<QComboBox>(w.settings(), "users"), "Jörg (Jörg.tfd)");
    QVERIFY(w.core().Tariffs().empty());
    QCOMPARE(w.mainWindow->TariffOverview()->count(), 0);
    QVERIFY(w.mainWindow->DialItems().empty());

    // And back: the old user's tariffs come back from the file.
    Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
    QCOMPARE(w.core().Tariffs().size(), size_t(1));
    QCOMPARE(Items(Control<QListWidget>(w.settings(), "tariffs")), QStringList{"Hans-Tarif"});
    QCOMPARE(w.mainWindow->TariffOverview()->count(), 1);
    QCOMPARE(w.mainWindow->DialItems().size(), size_t(1));
    QCOMPARE(w.mainWindow->DialItems()[0]->text(), QStringLiteral("Hans-Tarif wählen..."));
    hans = w.core().Tariffs();
    hans[0].PeriodSeconds = 999;
    w.UseTariffs(hans, TotalsRecord(w.core().Totals()), "Hans (Hans.tfd)");
    hans[0].PeriodSeconds = 0;  // 999 only in memory: the save below must write it
    w.mainWindow->Files().SaveUserData("Hans (Hans.tfd)", hans, w.core().Totals());

    // Showing the dialog selects the current user, letter case aside.
    w.settings().hide();
    Control<QComboBox>(w.settings(), "users")->setCurrentIndex(-1);
    Control<QListWidget>(w.settings(), "tariffs")->clear();
    w.settings().show();
    QCOMPARE(Control<QComboBox>(w.settings(), "users")->currentText(), QStringLiteral("Hans (Hans.tfd)"));
    QCOMPARE(Items(Control<QListWidget>(w.settings(), "tariffs")), QStringList{"Hans-Tarif"});

    // "Schliessen" saves.
    Click(Control<QPushButton>(w.settings(), "close"));
    QVERIFY(w.settings().isHidden());
    QCOMPARE(w.TariffsOnDisk("Hans.tfd")[0].PeriodSeconds, 999.0);
  }

  void unsafeNamesAreRefusedInGermanAndCancelChangesNothing() {
    DialogWorld w;
    w.settings().show();
    const auto listBefore = ReadFileBytes(w.dir.File("userlist.ini"));
    BoxAnswerer boxes;
    WithModal([&] { Click(Control<QPushButton>(w.settings(), "addUser")); },
              [&] {
                Type(Control<QLineEdit>(w.userSettings(), "name"), "../böse");
                Click(Control<QPushButton>(w.userSettings(), "create"));
                // Refused: the dialog stays open for another name.
                QVERIFY(w.userSettings().isVisible());
                Click(Control<QPushButton>(w.userSettings(), "cancel"));
              });
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].contains(QStringLiteral("Der Benutzername darf")), qPrintable(boxes.texts[0]));
    QCOMPARE(boxes.icons[0], QMessageBox::Critical);
    QCOMPARE(ReadFileBytes(w.dir.File("userlist.ini")), listBefore);
    QCOMPARE(Control<QComboBox>(w.settings(), "users")->count(), 0);

    // "Abbrechen" with a name typed creates nothing either.
    WithModal([&] { Click(Control<QPushButton>(w.settings(), "addUser")); },
              [&] {
                Type(Control<QLineEdit>(w.userSettings(), "name"), "Erika");
                Click(Control<QPushButton>(w.userSettings(), "cancel"));
              });
    QVERIFY(!std::filesystem::exists(w.dir.File("Erika.tfd")));
    QCOMPARE(ReadFileBytes(w.dir.File("userlist.ini")), listBefore);
  }

  void theUserListTakesNoTypedKeys() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, "Hans");
    QComboBox* c = Control<QComboBox>(w.settings(), "users");
    c->setCurrentIndex(-1);
    c->setEditText(QString());
    Type(c, "Hans");
    QTest::keyClick(c->lineEdit(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(c->currentText().isEmpty());
    QVERIFY(w.core().CurrentUser().empty());
  }

  void withoutSelectionTheButtonsDoNothing() {
    DialogWorld w;
    w.settings().show();
    BoxAnswerer yes(QMessageBox::Yes);
    AddUser(w, "Hans");
    Control<QComboBox>(w.settings(), "users")->setCurrentIndex(-1);
    Click(Control<QPushButton>(w.settings(), "addTariff"));  // "Tarif hinzufügen": no wizard
    QVERIFY(w.wizard().isHidden());
    Click(Control<QPushButton>(w.settings(), "removeUser"));  // "Benutzer entfernen"
    QCOMPARE(Control<QComboBox>(w.settings(), "users")->count(), 1);
    Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
    w.UseTariffs({Tariff("A", "A")}, {}, "Hans (Hans.tfd)");
    w.settings().ShowTariffNames();
    Click(Control<QPushButton>(w.settings(), "removeTariff"));   // "Tarif entfernen" without a line
    Click(Control<QPushButton>(w.settings(), "tariffOptions"));  // "Tarifoptionen" without a line
    QCOMPARE(w.core().Tariffs().size(), size_t(1));
    QVERIFY(w.editor().isHidden());
    QVERIFY(yes.texts.isEmpty());  // not even asked
  }

  void removingTariffsSavesAndRebuildsEverything() {
    DialogWorld w;
    w.settings().show();
    BoxAnswerer yes(QMessageBox::Yes);
    AddUser(w, "Hans");
    Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
    w.UseTariffs({Tariff("Null", "A"), Tariff("Eins", "B"), Tariff("Zwei", "C")}, {}, "Hans (Hans.tfd)");
    w.settings().ShowTariffNames();
    Control<QListWidget>(w.settings(), "tariffs")->setCurrentRow(0);
    Click(Control<QPushButton>(w.settings(), "removeTariff"));
    QCOMPARE(Items(Control<QListWidget>(w.settings(), "tariffs")), (QStringList{"Eins", "Zwei"}));
    const auto onDisk = w.TariffsOnDisk("Hans.tfd");
    QCOMPARE(onDisk.size(), size_t(2));
    QCOMPARE(onDisk[0].Name, std::string("Eins"));
    QCOMPARE(onDisk[1].Name, std::string("Zwei"));
    QCOMPARE(w.mainWindow->TariffOverview()->count(), 2);
    // The dial items follow: none dials a tariff that is gone.
    QCOMPARE(w.mainWindow->DialItems().size(), size_t(2));
    QCOMPARE(w.mainWindow->DialItems()[0]->text(), QStringLiteral("Eins wählen..."));
    QVERIFY(w.mainWindow->Ticking());  // the tick runs again
    w.mainWindow->PauseTick();

    // The only ones left, one by one.
    Control<QListWidget>(w.settings(), "tariffs")->setCurrentRow(1);
    Click(Control<QPushButton>(w.settings(), "removeTariff"));
    Control<QListWidget>(w.settings(), "tariffs")->setCurrentRow(0);
    Click(Control<QPushButton>(w.settings(), "removeTariff"));
    QVERIFY(w.core().Tariffs().empty());
    QCOMPARE(Control<QListWidget>(w.settings(), "tariffs")->count(), 0);
    QVERIFY(w.TariffsOnDisk("Hans.tfd").empty());
  }

  void removingAnotherUserKeepsItsFile() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, "Hans");
    AddUser(w, "Erika");
    Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
    Choose(Control<QComboBox>(w.settings(), "users"), "Erika (Erika.tfd)");
    Control<QComboBox>(w.settings(), "users")->setCurrentIndex(0);  // Hans, selected but not chosen
    BoxAnswerer yes(QMessageBox::Yes);
    Click(Control<QPushButton>(w.settings(), "removeUser"));
    // Asked without a word about counting for nobody: the current user stays.
    QCOMPARE(yes.texts,
             QStringList{QStringLiteral("Den Benutzer „Hans (Hans.tfd)“ entfernen? Seine Datei „%1“ "
                                        "bleibt erhalten.")
                             .arg(QString::fromStdString(w.dir.File("Hans.tfd")))});
    QVERIFY(!Control<QComboBox>(w.settings(), "users")->view()->isVisible());  // nothing to choose
    QCOMPARE(Items(Control<QComboBox>(w.settings(), "users")), QStringList{"Erika (Erika.tfd)"});
    QVERIFY(Control<QComboBox>(w.settings(), "users")->currentText().isEmpty());
    QCOMPARE(Control<QListWidget>(w.settings(), "tariffs")->count(), 0);
    QVERIFY(std::filesystem::exists(w.dir.File("Hans.tfd")));
    QCOMPARE(w.core().CurrentUser(), std::string("Erika (Erika.tfd)"));
  }

  void removingTheCurrentUserSavesFirstAndCountsForNobody() {
    DialogWorld w;
    w.AddEntry("Net");
    w.settings().show();
    AddUser(w, "Hans");
    Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
    w.UseTariffs({Tariff("T", "Net")}, {}, "Hans (Hans.tfd)");
    w.mainWindow->DialTariff(0);
    w.Tick();
    w.Tick();
    QCOMPARE(w.core().Tariffs()[0].PeriodSeconds, 2.0);

    Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
    BoxAnswerer yes(QMessageBox::Yes);
    Click(Control<QPushButton>(w.settings(), "removeUser"));
    QVERIFY(w.mainWindow->Ticking());  // the tick goes on
    w.mainWindow->PauseTick();
    QVERIFY(Control<QComboBox>(w.settings(), "users")->count() == 0);
    QVERIFY(w.core().CurrentUser().empty());
    QVERIFY(w.mainWindow->DialItems().empty());
  }
  void removingATariffAsksWithItsFiguresAndOnlyYesRemovesIt() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, "Hans");
    Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
    std::vector<TariffRecord> tariffs = {Tariff("Flatrate", "A"), Tariff("Zwei", "B")};
    tariffs[0].PeriodCosts = 4751;
    tariffs[0].PeriodSeconds = 12 * 3600 + 3 * 60 + 10;
    w.UseTariffs(tariffs, {}, "Hans (Hans.tfd)");
    w.settings().ShowTariffNames();
    Control<QListWidget>(w.settings(), "tariffs")->setCurrentRow(0);
    const auto fileBefore = ReadFileBytes(w.dir.File("Hans.tfd"));
    const QString question = QStringLiteral(
        "Den Tarif „Flatrate“ mit 47,51 € und 12:03:10 Onlinezeit in diesem Zeitraum entfernen?");

    // "Nein", the default, changes nothing.
    {
      BoxAnswerer no(QMessageBox::No);
      Click(Control<QPushButton>(w.settings(), "removeTariff"));
      QCOMPARE(no.texts, QStringList{question});
      QCOMPARE(no.captions, QStringList{QStringLiteral("Tarif entfernen")});
      QCOMPARE(no.icons[0], QMessageBox::Question);
      QVERIFY2(no.buttons.value(0).contains("Ja") && no.buttons.value(0).contains("Nein"),
               qPrintable(no.buttons.value(0).join('|')));
      QCOMPARE(no.defaults[0], QMessageBox::No);
    }
    QCOMPARE(Items(Control<QListWidget>(w.settings(), "tariffs")), (QStringList{"Flatrate", "Zwei"}));
    QCOMPARE(w.core().Tariffs().size(), size_t(2));
    QCOMPARE(ReadFileBytes(w.dir.File("Hans.tfd")), fileBefore);
    QCOMPARE(w.mainWindow->TariffOverview()->count(), 2);
    QVERIFY(!w.mainWindow->Ticking());  // left as it was

    // "Ja" removes it.
    BoxAnswerer yes(QMessageBox::Yes);
    Click(Control<QPushButton>(w.settings(), "removeTariff"));
    w.mainWindow->PauseTick();
    QCOMPARE(yes.texts, QStringList{question});
    QCOMPARE(Items(Control<QListWidget>(w.settings(), "tariffs")), QStringList{"Zwei"});
    QCOMPARE(w.TariffsOnDisk("Hans.tfd").size(), size_t(1));
    QCOMPARE(w.TariffsOnDisk("Hans.tfd")[0].Name, std::string("Zwei"));
  }

  void withoutADisplayAQuestionIsAnsweredNo() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, "Hans");
    Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
    w.UseTariffs({Tariff("A", "A")}, {}, "Hans (Hans.tfd)");
    w.settings().ShowTariffNames();
    Control<QListWidget>(w.settings(), "tariffs")->setCurrentRow(0);
    SetMessageBoxesShown(false);
    Click(Control<QPushButton>(w.settings(), "removeTariff"));
    Click(Control<QPushButton>(w.settings(), "removeUser"));
    SetMessageBoxesShown(true);
    QCOMPARE(w.core().Tariffs().size(), size_t(1));
    QCOMPARE(w.TariffsOnDisk("Hans.tfd").size(), size_t(1));
    QCOMPARE(w.core().CurrentUser(), std::string("Hans (Hans.tfd)"));
    QCOMPARE(Items(Control<QComboBox>(w.settings(), "users")), QStringList{"Hans (Hans.tfd)"});
  }

  void removingTheCurrentUserAsksSaysWhatFollowsAndOffersTheOthers() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, "Hans");
    AddUser(w, "Erika");
    QComboBox* users = Control<QComboBox>(w.settings(), "users");
    Choose(users, "Hans (Hans.tfd)");
    w.UseTariffs({Tariff("T", "A")}, {}, "Hans (Hans.tfd)");
    w.settings().ShowTariffNames();
    const auto listBefore = ReadFileBytes(w.dir.File("userlist.ini"));
    const QString question =
        QStringLiteral(
            "Den Benutzer „Hans (Hans.tfd)“ entfernen? Seine Datei „%1“ bleibt erhalten.\n\n"
            "Bis ein anderer Benutzer gewählt ist, werden Verbindungen protokolliert, aber keinem "
            "Tarif berechnet.")
            .arg(QString::fromStdString(w.dir.File("Hans.tfd")));

    // "Nein" keeps the user, current, with its tariffs.
    {
      BoxAnswerer no(QMessageBox::No);
      Click(Control<QPushButton>(w.settings(), "removeUser"));
      QCOMPARE(no.texts, QStringList{question});
      QCOMPARE(no.captions, QStringList{QStringLiteral("Benutzer entfernen")});
      QCOMPARE(no.defaults[0], QMessageBox::No);
    }
    QCOMPARE(ReadFileBytes(w.dir.File("userlist.ini")), listBefore);
    QCOMPARE(w.core().CurrentUser(), std::string("Hans (Hans.tfd)"));
    QCOMPARE(users->currentText(), QStringLiteral("Hans (Hans.tfd)"));
    QCOMPARE(Items(Control<QListWidget>(w.settings(), "tariffs")), QStringList{"T"});
    QVERIFY(!users->view()->isVisible());

    // "Ja" removes it, keeps its file and opens the user list to choose
    // another.
    BoxAnswerer yes(QMessageBox::Yes);
    Click(Control<QPushButton>(w.settings(), "removeUser"));
    w.mainWindow->PauseTick();
    QCOMPARE(yes.texts, QStringList{question});
    QVERIFY(w.core().CurrentUser().empty());
    QVERIFY(std::filesystem::exists(w.dir.File("Hans.tfd")));
    QCOMPARE(Items(users), QStringList{"Erika (Erika.tfd)"});
    QVERIFY(users->view()->isVisible());
    users->hidePopup();
    Choose(users, "Erika (Erika.tfd)");
    QCOMPARE(w.core().CurrentUser(), std::string("Erika (Erika.tfd)"));
  }
};

QTEST_MAIN(SettingsDialogTest)
#include "SettingsDialogTest.moc"
