// SPDX-License-Identifier: MIT
// End to end in one process: a fresh program directory, the first start,
// a user and a tariff made through the real dialogs, and a dialled
// connection counted on that tariff, down to the files.

#include <filesystem>

#include "tests/ui/DialogFixture.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

class FirstStartFlowTest : public QObject {
  Q_OBJECT

 private slots:
  void fromTheFirstStartToACountedConnection() {
    DialogWorld w(true);
    w.AddEntry("Heimnetz");
    QVERIFY(w.core().Settings().firstStart);  // nothing in the registry yet
    QVERIFY(ReadFileBytes(w.dir.File("dialup.otl")).empty());
    QVERIFY(w.mainWindow->Files().ListUsers().empty());
    FirstStartDialog& first = w.set->FirstStart();

    // The first tick shows the first-start dialog.
    w.Tick();
    QVERIFY(first.isVisible());

    // "zum Benutzerfenster wechseln": a user, then a tariff through the wizard.
    WithModal([&] { Click(Control<QPushButton>(first, "settings")); },
              [&] {
                SettingsDialog& s = w.settings();
                QVERIFY(s.isVisible());
                WithModal([&] { Click(Control<QPushButton>(s, "addUser")); },
                          [&] {
                            Type(Control<QLineEdit>(w.userSettings(), "name"), "Erika");
                            Click(Control<QPushButton>(w.userSettings(), "create"));
                          });
                Choose(Control<QComboBox>(s, "users"), "Erika (Erika.tfd)");
                WithModal([&] { Click(Control<QPushButton>(s, "addTariff")); },
                          [&] {
                            TariffWizard& z = w.wizard();
                            Type(Control<QLineEdit>(z, "name"), "Abendtarif");
                            Click(Control<QPushButton>(z, "next"));
                            Control<QLineEdit>(z, "pricePerMinute")->selectAll();
                            Type(Control<QLineEdit>(z, "pricePerMinute"), "2.5");
                            Control<QLineEdit>(z, "costLimit")->selectAll();
                            Type(Control<QLineEdit>(z, "costLimit"), "2000");
                            Click(Control<QPushButton>(z, "next"));
                            Control<QLineEdit>(z, "dialInFee")->selectAll();
                            Type(Control<QLineEdit>(z, "dialInFee"), "10");
                            Click(Control<QPushButton>(z, "next"));
                            Choose(Control<QComboBox>(z, "entryName"), "Heimnetz");
                            Type(Control<QLineEdit>(z, "userName"), "erika");
                            Type(Control<QLineEdit>(z, "password"), "pw");
                            Click(Control<QPushButton>(z, "next"));  // "Übersicht"
                          });
              });
    QVERIFY(first.isHidden());
    QVERIFY(w.settings().isHidden());
    TariffEditor& editor = w.editor();
    QVERIFY(editor.isVisible());
    Click(Control<QPushButton>(editor, "store"));  // "Erstellen"
    QCOMPARE(w.core().Tariffs().size(), size_t(1));
    QCOMPARE(w.registry.ReadString(kTarifuhrKey, "currentuser"), std::string("Erika (Erika.tfd)"));

    // Dial from the main window's menu; the connection is counted.
    QCOMPARE(w.mainWindow->DialItems().size(), size_t(1));
    w.mainWindow->DialItems()[0]->trigger();
    const SimState dialled = w.network->Snapshot();
    QCOMPARE(dialled.Connections.size(), size_t(1));
    QCOMPARE(dialled.Entries[0].SavedUser, std::string("erika"));
    QTRY_VERIFY(w.mainWindow->DialItems()[0]->isEnabled());  // the dial has ended
    for (int i = 0; i < 30; ++i) w.Tick();
    w.network->AddTraffic("Heimnetz", 50000, 4000);
    for (int i = 0; i < 35; ++i) w.Tick();
    QCOMPARE(w.core().ActiveTariff(), 0);
    QCOMPARE(w.mainWindow->TariffLabel()->text(), QStringLiteral("Abendtarif:"));
    QVERIFY(w.mainWindow->FigureField(Figure::ConnectionBytes)->text().contains(QStringLiteral("54.000 B")));

    w.network->HangUpEntry("Heimnetz");
    w.Tick();
    QCOMPARE(w.mainWindow->TariffLabel()->text(), QStringLiteral("Offline"));
    w.mainWindow->Quit();

    // One logged connection of 65 seconds: the fee and two minutes.
    const std::string log = ReadFileBytes(w.dir.File("dialup.otl"));
    QCOMPARE(log.size(), size_t(64));
    QCOMPARE(log.substr(1, static_cast<uint8_t>(log[0])), std::string("Heimnetz"));
    QCOMPARE(ReadI32(log, 40), 65);
    QCOMPARE(ReadF64(log, 48), 10 + 2 * 2.5);

    TotalsRecord totals;
    const auto onDisk = w.TariffsOnDisk("Erika.tfd", &totals);
    QCOMPARE(onDisk.size(), size_t(1));
    const TariffRecord& t = onDisk[0];
    QCOMPARE(t.Name, std::string("Abendtarif"));
    QCOMPARE(t.EntryName, std::string("Heimnetz"));
    QCOMPARE(t.CostLimit, 2000.0);
    QVERIFY(t.InTotals);
    QCOMPARE(t.PeriodSeconds, 65.0);
    QCOMPARE(t.PeriodCosts, 15.0);
    QCOMPARE(t.PeriodBytes, int64_t(54000));
    // Set to -1 with the first tariff, then one a counted second.
    QCOMPARE(totals.OnlineSeconds, 64.0);
  }
};

QTEST_MAIN(FirstStartFlowTest)
#include "FirstStartFlowTest.moc"
