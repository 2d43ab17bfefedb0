// The settings dialog and the user settings dialog: users made, picked and
// removed; tariffs removed; what reaches the files.

#include <filesystem>

#include "tests/ui/DialogFixture.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

// Makes a user through "Benutzer hinzufügen" and the user settings dialog.
void AddUser(DialogWorld& w, const QString& name) {
  WithModal([&] { Click(w.settings().Button3); },
            [&] {
              QVERIFY(w.userSettings().isVisible());
              QVERIFY(w.userSettings().Edit1->text().isEmpty());
              Type(w.userSettings().Edit1, name);
              Click(w.userSettings().Button1);
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
    QVERIFY(w.form->StripItems().userSettings->isEnabled());
    QVERIFY(w.form->TariffSettingsItem()->isEnabled());
    QVERIFY(w.form->StripItems().about->isEnabled());
    QVERIFY(!w.form->StripItems().errorReport->isEnabled());
    w.form->StripItems().userSettings->trigger();
    QVERIFY(w.settings().isVisible());
    QVERIFY(!w.settings().isModal());
    w.settings().close();
    QVERIFY(w.settings().isHidden());
    w.form->OverviewItems().userSettings->trigger();  // the same instance again
    QVERIFY(w.settings().isVisible());
  }

  void createUsersPickOneAndSwitch() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, QStringLiteral("Hans"));
    QVERIFY(w.userSettings().isHidden());
    AddUser(w, QStringLiteral("Hans"));  // same name, second file
    AddUser(w, QStringLiteral("Jörg"));
    QCOMPARE(Items(w.settings().ComboBox1),
             (QStringList{"Hans (Hans.tfd)", "Hans (Hans0.tfd)", "Jörg (Jörg.tfd)"}));
    QVERIFY(std::filesystem::exists(w.dir.File("Hans.tfd")));
    QVERIFY(std::filesystem::exists(w.dir.File("Hans0.tfd")));
    QVERIFY(std::filesystem::exists(w.dir.File("J\xC3\xB6rg.tfd")));
    QVERIFY(w.core().currentUser.empty());  // made, not chosen

    // Choosing a user makes it current, everywhere.
    Choose(w.settings().ComboBox1, "Hans (Hans.tfd)");
    QCOMPARE(w.core().currentUser, std::string("Hans (Hans.tfd)"));
    QCOMPARE(w.registry.ReadString(kTarifuhrKey, "currentuser"), std::string("Hans (Hans.tfd)"));
    w.core().tariffs = {Tariff("Hans-Tarif", "A")};
    w.core().tariffs[0].PeriodSeconds = 321;
    w.core().totals.OnlineSeconds = 42;

    // Switching saves the old user's latest figures and loads the new one.
    Choose(w.settings().ComboBox1, "Jörg (Jörg.tfd)");
    TotalsRecord totals;
    const auto hans = w.TariffsOnDisk("Hans.tfd", &totals);
    QCOMPARE(hans.size(), size_t(1));
    QCOMPARE(hans[0].PeriodSeconds, 321.0);
    QCOMPARE(totals.OnlineSeconds, 42.0);
    QVERIFY(w.core().tariffs.empty());
    QCOMPARE(w.form->TariffOverview()->count(), 0);
    QVERIFY(w.form->DialItems().empty());
    QCOMPARE(w.registry.ReadString(kTarifuhrKey, "currentuser"), std::string("Jörg (Jörg.tfd)"));

    // And back: the old user's tariffs come back from the file.
    Choose(w.settings().ComboBox1, "Hans (Hans.tfd)");
    QCOMPARE(w.core().tariffs.size(), size_t(1));
    QCOMPARE(Items(w.settings().ListBox1), QStringList{"Hans-Tarif"});
    QCOMPARE(w.form->TariffOverview()->count(), 1);
    QCOMPARE(w.form->DialItems().size(), size_t(1));
    QCOMPARE(w.form->DialItems()[0]->text(), QStringLiteral("Hans-Tarif wählen..."));

    // Choosing the current user again neither saves nor loads.
    w.core().tariffs[0].PeriodSeconds = 999;
    const auto before = std::filesystem::last_write_time(w.dir.File("Hans.tfd"));
    Choose(w.settings().ComboBox1, "Hans (Hans.tfd)");
    QCOMPARE(w.core().tariffs[0].PeriodSeconds, 999.0);
    QCOMPARE(w.TariffsOnDisk("Hans.tfd")[0].PeriodSeconds, 321.0);
    QCOMPARE(std::filesystem::last_write_time(w.dir.File("Hans.tfd")), before);

    // Showing the dialog selects the current user, letter case aside.
    w.settings().hide();
    w.settings().ComboBox1->setCurrentIndex(-1);
    w.settings().ListBox1->clear();
    w.settings().show();
    QCOMPARE(w.settings().ComboBox1->currentText(), QStringLiteral("Hans (Hans.tfd)"));
    QCOMPARE(Items(w.settings().ListBox1), QStringList{"Hans-Tarif"});

    // "Schliessen" saves.
    Click(w.settings().Button6);
    QVERIFY(w.settings().isHidden());
    QCOMPARE(w.TariffsOnDisk("Hans.tfd")[0].PeriodSeconds, 999.0);
  }

  void unsafeNamesAreRefusedInGermanAndCancelChangesNothing() {
    DialogWorld w;
    w.settings().show();
    const auto listBefore = ReadFileBytes(w.dir.File("userlist.ini"));
    BoxAnswerer boxes;
    WithModal([&] { Click(w.settings().Button3); },
              [&] {
                Type(w.userSettings().Edit1, "../böse");
                Click(w.userSettings().Button1);
                // Refused: the dialog stays open for another name.
                QVERIFY(w.userSettings().isVisible());
                Click(w.userSettings().Button2);
              });
    QCOMPARE(boxes.texts.size(), 1);
    QVERIFY2(boxes.texts[0].contains(QStringLiteral("Der Benutzername darf")), qPrintable(boxes.texts[0]));
    QCOMPARE(boxes.icons[0], QMessageBox::Critical);
    QCOMPARE(ReadFileBytes(w.dir.File("userlist.ini")), listBefore);
    QCOMPARE(w.settings().ComboBox1->count(), 0);

    // "Abbrechen" with a name typed creates nothing either.
    WithModal([&] { Click(w.settings().Button3); },
              [&] {
                Type(w.userSettings().Edit1, "Erika");
                Click(w.userSettings().Button2);
              });
    QVERIFY(!std::filesystem::exists(w.dir.File("Erika.tfd")));
    QCOMPARE(ReadFileBytes(w.dir.File("userlist.ini")), listBefore);
  }

  void theUserListTakesNoTypedKeys() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, "Hans");
    QComboBox* c = w.settings().ComboBox1;
    c->setCurrentIndex(-1);
    c->setEditText(QString());
    Type(c, "Hans");
    QTest::keyClick(c->lineEdit(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(c->currentText().isEmpty());
    QVERIFY(w.core().currentUser.empty());
  }

  void withoutSelectionTheButtonsDoNothing() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, "Hans");
    w.settings().ComboBox1->setCurrentIndex(-1);
    Click(w.settings().Button1);  // "Tarif hinzufügen": no wizard
    QVERIFY(w.wizard().isHidden());
    Click(w.settings().Button4);  // "Benutzer entfernen"
    QCOMPARE(w.settings().ComboBox1->count(), 1);
    Choose(w.settings().ComboBox1, "Hans (Hans.tfd)");
    w.core().tariffs = {Tariff("A", "A")};
    w.settings().ShowTariffNames();
    Click(w.settings().Button2);  // "Tarif entfernen" without a line
    Click(w.settings().Button5);  // "Tarifoptionen" without a line
    QCOMPARE(w.core().tariffs.size(), size_t(1));
    QVERIFY(w.editor().isHidden());
  }

  void removingTariffsSavesAndRebuildsEverything() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, "Hans");
    Choose(w.settings().ComboBox1, "Hans (Hans.tfd)");
    w.core().tariffs = {Tariff("Null", "A"), Tariff("Eins", "B"), Tariff("Zwei", "C")};
    w.settings().ShowTariffNames();
    w.form->BuildDialMenu();
    w.settings().ListBox1->setCurrentRow(0);
    Click(w.settings().Button2);
    QCOMPARE(Items(w.settings().ListBox1), (QStringList{"Eins", "Zwei"}));
    const auto onDisk = w.TariffsOnDisk("Hans.tfd");
    QCOMPARE(onDisk.size(), size_t(2));
    QCOMPARE(onDisk[0].Name, std::string("Eins"));
    QCOMPARE(onDisk[1].Name, std::string("Zwei"));
    QCOMPARE(w.form->TariffOverview()->count(), 2);
    // The dial items follow: none dials a tariff that is gone.
    QCOMPARE(w.form->DialItems().size(), size_t(2));
    QCOMPARE(w.form->DialItems()[0]->text(), QStringLiteral("Eins wählen..."));
    QVERIFY(w.form->Ticking());  // the tick runs again
    w.form->PauseTick();

    // The only ones left, one by one.
    w.settings().ListBox1->setCurrentRow(1);
    Click(w.settings().Button2);
    w.settings().ListBox1->setCurrentRow(0);
    Click(w.settings().Button2);
    QVERIFY(w.core().tariffs.empty());
    QCOMPARE(w.settings().ListBox1->count(), 0);
    QVERIFY(w.TariffsOnDisk("Hans.tfd").empty());
  }

  void removingAnotherUserKeepsItsFile() {
    DialogWorld w;
    w.settings().show();
    AddUser(w, "Hans");
    AddUser(w, "Erika");
    Choose(w.settings().ComboBox1, "Hans (Hans.tfd)");
    Choose(w.settings().ComboBox1, "Erika (Erika.tfd)");
    w.settings().ComboBox1->setCurrentIndex(0);  // Hans, selected but not chosen
    Click(w.settings().Button4);
    QCOMPARE(Items(w.settings().ComboBox1), QStringList{"Erika (Erika.tfd)"});
    QVERIFY(w.settings().ComboBox1->currentText().isEmpty());
    QCOMPARE(w.settings().ListBox1->count(), 0);
    QVERIFY(std::filesystem::exists(w.dir.File("Hans.tfd")));
    QCOMPARE(w.core().currentUser, std::string("Erika (Erika.tfd)"));
  }

  void removingTheCurrentUserSavesFirstAndCountsForNobody() {
    DialogWorld w;
    w.AddEntry("Net");
    w.settings().show();
    AddUser(w, "Hans");
    Choose(w.settings().ComboBox1, "Hans (Hans.tfd)");
    w.core().tariffs = {Tariff("T", "Net")};
    w.form->BuildDialMenu();
    w.form->DialTariff(0);
    w.Tick();
    w.Tick();
    QCOMPARE(w.core().tariffs[0].PeriodSeconds, 2.0);

    Choose(w.settings().ComboBox1, "Hans (Hans.tfd)");
    Click(w.settings().Button4);
    w.form->PauseTick();
    // What was counted reached the file before the user went.
    QCOMPARE(w.TariffsOnDisk("Hans.tfd")[0].PeriodSeconds, 2.0);
    QVERIFY(w.settings().ComboBox1->count() == 0);
    QVERIFY(w.core().currentUser.empty());
    QVERIFY(w.core().tariffs.empty());
    QVERIFY(w.form->DialItems().empty());
    QCOMPARE(w.registry.ReadString(kTarifuhrKey, "currentuser"), std::string());
    // The connection goes on without a tariff; nothing is lost or written.
    w.Tick();
    QCOMPARE(w.core().activeTariff, -1);
    QCOMPARE(w.TariffsOnDisk("Hans.tfd")[0].PeriodSeconds, 2.0);
  }
};

QTEST_MAIN(SettingsDialogTest)
#include "SettingsDialogTest.moc"
