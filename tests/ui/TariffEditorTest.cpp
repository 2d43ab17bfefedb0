// SPDX-License-Identifier: MIT
// The tariff editor: limits that exclude each other, the number fields'
// key filters, the conversion error, edit and create modes.

#include <QClipboard>
#include <filesystem>

#include "tests/ui/DialogFixture.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

// A user "Hans" whose file holds the given tariffs and totals, chosen in
// the settings dialog.
void HansWith(DialogWorld& w, const std::vector<TariffRecord>& tariffs, const TotalsRecord& totals = {}) {
  const CreateUserResult r = w.mainWindow->Files().CreateUser("Hans");
  QCOMPARE(r.code, kCreateOk);
  w.mainWindow->Files().SaveUserData(r.section, tariffs, totals);
  w.settings().RefillUsers();
  Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
  w.settings().ShowTariffNames();
}

TariffRecord TimeTariff() {
  TariffRecord t;
  t.Name = "Zeit";
  t.StartDate = EncodeDate(2026, 12, 1) + 0.5;
  t.PricePerMinute = 1.5;
  t.TimeLimit = 5400;
  t.PeriodSeconds = 120;
  t.PeriodCosts = 3.25;
  t.DialInFee = 7;
  t.DailyAllowance = 100;
  t.TodayAllowance = 50;
  t.SecondsToday = 33;
  t.WindowFrom = EncodeTime(8, 0, 0);
  t.WindowTo = EncodeTime(18, 0, 0);
  t.InTotals = true;
  t.EntryName = "Net";
  t.UserName = "hans";
  t.Password = "geheim";
  return t;
}

TariffRecord NoLimitTariff() {
  TariffRecord t;
  t.Name = "Frei";
  t.PricePerMinute = 2;
  t.EntryName = "Net";
  return t;
}

}  // namespace

class TariffEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void startsInCreateModeWithItsFieldsAtZero() {
    DialogWorld w;
    TariffEditor& e = w.editor();
    QCOMPARE(e.windowTitle(), QStringLiteral("Tarif Einstellungen"));
    QCOMPARE(e.EditIndex(), -1);
    QCOMPARE(Control<QPushButton>(e, "store")->text(), QStringLiteral("Erstellen"));
    for (QLineEdit* f : {Control<QLineEdit>(e, "pricePerMinute"), Control<QLineEdit>(e, "costLimit"),
                         Control<QLineEdit>(e, "timeLimit"), Control<QLineEdit>(e, "dialInFee")})
      QCOMPARE(f->text(), QStringLiteral("0"));
    QVERIFY(!Control<QLineEdit>(e, "periodSeconds")->isEnabled());
    QVERIFY(!Control<QGroupBox>(e, "periodGroup")->isEnabled());
    QVERIFY(Control<DateTimePicker>(e, "windowFrom")->isHidden() &&
            !Control<DateTimePicker>(e, "windowFrom")->isEnabled());
    QVERIFY(Control<DateTimePicker>(e, "windowTo")->isHidden() &&
            !Control<DateTimePicker>(e, "windowTo")->isEnabled());
    QVERIFY(Control<QCheckBox>(e, "inTotals")->isHidden() && !Control<QCheckBox>(e, "inTotals")->isEnabled());
    QCOMPARE(Control<QGroupBox>(e, "dialUpGroup")->title(), QStringLiteral(" DFÜ Einstellungen "));
    QCOMPARE(Control<QGroupBox>(e, "periodGroup")->title(), QStringLiteral(" Benutzerdaten "));
  }

  void costAndTimeLimitExcludeEachOther() {
    DialogWorld w;
    TariffEditor& e = w.editor();
    e.show();
    Control<QLineEdit>(e, "costLimit")->clear();
    Type(Control<QLineEdit>(e, "costLimit"), "1000");
    QCOMPARE(Control<QLineEdit>(e, "timeLimit")->text(), QStringLiteral("0"));
    QVERIFY(!Control<QLineEdit>(e, "timeLimit")->isEnabled());
    Control<QLineEdit>(e, "costLimit")->selectAll();
    Type(Control<QLineEdit>(e, "costLimit"), "0");
    QVERIFY(Control<QLineEdit>(e, "timeLimit")->isEnabled());
    Control<QLineEdit>(e, "timeLimit")->selectAll();
    Type(Control<QLineEdit>(e, "timeLimit"), "5400");
    QCOMPARE(Control<QLineEdit>(e, "costLimit")->text(), QStringLiteral("0"));
    QVERIFY(!Control<QLineEdit>(e, "costLimit")->isEnabled());
    Control<QLineEdit>(e, "timeLimit")->setText("0");
    QVERIFY(Control<QLineEdit>(e, "costLimit")->isEnabled());
    // An empty text is not "0".
    Control<QLineEdit>(e, "costLimit")->clear();
    QVERIFY(!Control<QLineEdit>(e, "timeLimit")->isEnabled());
    Control<QLineEdit>(e, "costLimit")->setText("00");
    QVERIFY(!Control<QLineEdit>(e, "timeLimit")->isEnabled());
  }

  void numberFieldsFilterTheirKeys() {
    DialogWorld w;
    TariffEditor& e = w.editor();
    e.show();
    for (QLineEdit* f : {Control<QLineEdit>(e, "pricePerMinute"), Control<QLineEdit>(e, "dialInFee")}) {
      f->clear();
      Type(f, "1.5");
      QCOMPARE(f->text(), QStringLiteral("1,5"));
      Type(f, ",.7a-E ");
      QCOMPARE(f->text(), QStringLiteral("1,57"));
      QTest::keyClick(f, Qt::Key_Backspace);
      QCOMPARE(f->text(), QStringLiteral("1,5"));
    }
    // The comma rule looks at the field's own text only.
    Control<QLineEdit>(e, "pricePerMinute")->setText("1,5");
    Control<QLineEdit>(e, "dialInFee")->clear();
    Type(Control<QLineEdit>(e, "dialInFee"), ",5");
    QCOMPARE(Control<QLineEdit>(e, "dialInFee")->text(), QStringLiteral(",5"));
    for (QLineEdit* f : {Control<QLineEdit>(e, "costLimit"), Control<QLineEdit>(e, "timeLimit")}) {
      f->clear();
      Type(f, "12.3,4x");
      QCOMPARE(f->text(), QStringLiteral("1234"));
    }
    // Pasting is dropped, though the clipboard has a number; an unfiltered
    // field shows that the paste would have worked.
    QGuiApplication::clipboard()->setText(QStringLiteral("99"));
    Control<QLineEdit>(e, "name")->clear();
    QTest::keyClick(Control<QLineEdit>(e, "name"), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(Control<QLineEdit>(e, "name")->text(), QStringLiteral("99"));
    for (QLineEdit* f : {Control<QLineEdit>(e, "pricePerMinute"), Control<QLineEdit>(e, "costLimit"),
                         Control<QLineEdit>(e, "timeLimit"), Control<QLineEdit>(e, "dialInFee")}) {
      f->setText("1");
      f->setCursorPosition(1);
      QTest::keyClick(f, Qt::Key_V, Qt::ControlModifier);
      QCOMPARE(f->text(), QStringLiteral("1"));
    }
    // Cursor keys still move.
    Control<QLineEdit>(e, "pricePerMinute")->setText("15");
    Control<QLineEdit>(e, "pricePerMinute")->setCursorPosition(2);
    QTest::keyClick(Control<QLineEdit>(e, "pricePerMinute"), Qt::Key_Left);
    Type(Control<QLineEdit>(e, "pricePerMinute"), ".");
    QCOMPARE(Control<QLineEdit>(e, "pricePerMinute")->text(), QStringLiteral("1,5"));
    // The account box takes no typed keys.
    Control<QComboBox>(e, "entryName")->setEditText(QString());
    Type(Control<QComboBox>(e, "entryName"), "Net");
    QVERIFY(Control<QComboBox>(e, "entryName")->currentText().isEmpty());
  }

  void anEmptyNumberFieldStopsTheStoreAndChangesNothing() {
    DialogWorld w;
    TotalsRecord totals;
    totals.OnlineSeconds = 77;
    HansWith(w, {}, totals);
    TariffEditor& e = w.editor();
    e.EnterCreateMode();
    Control<QLineEdit>(e, "name")->setText("Neu");
    Control<QLineEdit>(e, "periodSeconds")->setText("0");
    Control<QLineEdit>(e, "periodCosts")->setText("0");
    Control<QLineEdit>(e, "costLimit")->clear();
    e.show();
    BoxAnswerer boxes;
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("'' ist kein gültiger Gleitkommawert")});
    QCOMPARE(boxes.icons[0], QMessageBox::Critical);
    QVERIFY(e.isVisible());
    QCOMPARE(Control<QLineEdit>(e, "name")->text(), QStringLiteral("Neu"));
    QVERIFY(w.core().Tariffs().empty());
    // Nothing was stored, so the totals are as they were.
    QCOMPARE(w.core().Totals().OnlineSeconds, 77.0);
    // Letters that came in otherwise are named in the message.
    Control<QLineEdit>(e, "costLimit")->setText("0");
    Control<QLineEdit>(e, "periodCosts")->setText("abc");
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(boxes.texts.size(), 2);
    QCOMPARE(boxes.texts[1], QStringLiteral("'abc' ist kein gültiger Gleitkommawert"));
    QVERIFY(w.core().Tariffs().empty());
  }

  void loadingShowsEveryFieldAndDecidesTheLimits() {
    DialogWorld w;
    w.AddEntry("Net");
    w.AddEntry("Other");
    HansWith(w, {TimeTariff(), NoLimitTariff()});
    TariffEditor& e = w.editor();
    e.Load(0);
    QCOMPARE(e.EditIndex(), 0);
    QCOMPARE(Control<QPushButton>(e, "store")->text(), QStringLiteral("Übernehmen"));
    QCOMPARE(Control<QLineEdit>(e, "name")->text(), QStringLiteral("Zeit"));
    QCOMPARE(Control<DateField>(e, "startDate")->Value(), EncodeDate(2026, 12, 1) + 0.5);
    QCOMPARE(Control<QLineEdit>(e, "pricePerMinute")->text(), QStringLiteral("1,5"));
    QCOMPARE(Control<QLineEdit>(e, "costLimit")->text(), QStringLiteral("0"));
    QCOMPARE(Control<QLineEdit>(e, "timeLimit")->text(), QStringLiteral("5400"));
    QVERIFY(!Control<QLineEdit>(e, "pricePerMinute")->isEnabled());
    QVERIFY(!Control<QLineEdit>(e, "costLimit")->isEnabled());
    QVERIFY(Control<QLineEdit>(e, "timeLimit")->isEnabled());
    QCOMPARE(Control<QLineEdit>(e, "dialInFee")->text(), QStringLiteral("7"));
    QCOMPARE(Control<QLineEdit>(e, "periodSeconds")->text(), QStringLiteral("120"));
    QCOMPARE(Control<QLineEdit>(e, "periodCosts")->text(), QStringLiteral("3,25"));
    QVERIFY(Control<QLineEdit>(e, "periodSeconds")->isEnabled() &&
            Control<QLineEdit>(e, "periodCosts")->isEnabled() &&
            Control<QGroupBox>(e, "periodGroup")->isEnabled());
    QCOMPARE(Control<QComboBox>(e, "entryName")->currentText(), QStringLiteral("Net"));
    QCOMPARE(Control<QComboBox>(e, "entryName")->count(), 2);  // the phone book's entries
    QCOMPARE(Control<QLineEdit>(e, "userName")->text(), QStringLiteral("hans"));
    QCOMPARE(Control<QLineEdit>(e, "password")->text(), QStringLiteral("geheim"));
    QCOMPARE(Control<QLineEdit>(e, "password")->echoMode(), QLineEdit::Normal);
    QVERIFY(Control<QCheckBox>(e, "inTotals")->isChecked());

    // Then a tariff without any limit: all three open, time limit "0".
    e.Load(1);
    QCOMPARE(Control<QLineEdit>(e, "timeLimit")->text(), QStringLiteral("0"));
    QVERIFY(Control<QLineEdit>(e, "pricePerMinute")->isEnabled() &&
            Control<QLineEdit>(e, "costLimit")->isEnabled() &&
            Control<QLineEdit>(e, "timeLimit")->isEnabled());
    QVERIFY(!Control<QCheckBox>(e, "inTotals")->isChecked());
  }

  void applyingAnEditStoresTheSameValuesAndSaves() {
    DialogWorld w;
    w.AddEntry("Net");
    HansWith(w, {NoLimitTariff(), TimeTariff()});
    TariffEditor& e = w.editor();
    w.mainWindow->TariffOverview()->setCurrentRow(1);
    w.mainWindow->EditSelectedTariff();  // "Tarif-Einstellungen" of the main window
    QVERIFY(e.isVisible());
    QVERIFY(!e.isModal());
    QCOMPARE(e.EditIndex(), 1);
    Click(Control<QPushButton>(e, "store"));
    QVERIFY(e.isHidden());
    QCOMPARE(e.EditIndex(), -1);
    QCOMPARE(Control<QPushButton>(e, "store")->text(), QStringLiteral("Erstellen"));
    // The allowances anew from its figures: 5400 minutes less 2 used over
    // the 25 days to January 1st.
    TariffRecord expected = TimeTariff();
    expected.DailyAllowance = (5400 - 2) / 25.0;
    expected.TodayAllowance = 216;
    QCOMPARE(w.core().Tariffs()[1], expected);
    QCOMPARE(w.TariffsOnDisk("Hans.tfd")[1], expected);

    // A changed name and fee reach the file, the overview and the dial menu.
    e.Load(1);
    Control<QLineEdit>(e, "name")->setText("Umbenannt");
    Control<QLineEdit>(e, "dialInFee")->setText("9,5");
    Click(Control<QPushButton>(e, "store"));
    const auto onDisk = w.TariffsOnDisk("Hans.tfd");
    QCOMPARE(onDisk[1].Name, std::string("Umbenannt"));
    QCOMPARE(onDisk[1].DialInFee, 9.5);
    QCOMPARE(onDisk[1].SecondsToday, 33);  // the tick's counters stay
    QVERIFY(w.mainWindow->TariffOverview()->item(1)->text().startsWith("Umbenannt\t"));
    QCOMPARE(w.mainWindow->DialItems()[1]->text(), QStringLiteral("Umbenannt wählen..."));
  }

  void aValueNoTariffCanHaveIsRefusedInItsFieldHoweverItCame() {
    DialogWorld w;
    w.AddEntry("Net");
    TariffRecord costs = TimeTariff();
    costs.TimeLimit = 0;
    costs.CostLimit = 900;
    HansWith(w, {costs});
    TariffEditor& e = w.editor();
    e.Load(0);
    e.show();
    QVERIFY(QTest::qWaitForWindowActive(&e));
    const TariffRecord before = w.core().Tariffs()[0];
    BoxAnswerer boxes;
    const auto refused = [&](QWidget* field, const QString& text) {
      const int said = boxes.texts.size();
      e.activateWindow();  // as the user's click on the editor does
      QVERIFY(QTest::qWaitForWindowActive(&e));
      Click(Control<QPushButton>(e, "store"));
      QCOMPARE(boxes.texts.size(), said + 1);
      QCOMPARE(boxes.texts.last(), text);
      QCOMPARE(w.core().Tariffs()[0], before);
      QVERIFY(e.isVisible());
      QCOMPARE(e.focusWidget(), field);
    };

    // A date typed section by section, with Tab between: all of it stays in
    // the date field, and a day the month lacks is refused.
    auto* date = Control<DateField>(e, "startDate");
    auto* price = Control<QLineEdit>(e, "pricePerMinute");
    price->setText("1,5");
    TypeDateBySections(date, "31", "02", "2027");
    QCOMPARE(date->text(), QStringLiteral("31.02.2027"));
    QCOMPARE(price->text(), QStringLiteral("1,5"));
    refused(date, QStringLiteral("'31.02.2027' ist kein gültiges Datum für „Startdatum“."));

    // Pasted past the key filter (the context menu's "Einfügen"), or put
    // there some other way.
    date->setText("28.02.2027");
    QGuiApplication::clipboard()->setText(QStringLiteral("-2"));
    price->clear();
    price->paste();
    QCOMPARE(price->text(), QStringLiteral("-2"));
    refused(price,
            QStringLiteral("'-2' ist für „Kosten/M.“ kein gültiger Wert: möglich sind 0 bis 9999,99."));
    price->setText("1,5");
    auto* fee = Control<QLineEdit>(e, "dialInFee");
    fee->setText("1e308");
    refused(fee, QStringLiteral(
                     "'1e308' ist für „Einwahlgebühr“ kein gültiger Wert: möglich sind 0 bis 99999,99."));
    fee->setText("7");
    auto* seconds = Control<QLineEdit>(e, "periodSeconds");
    seconds->clear();
    Type(seconds, "-3600");
    QCOMPARE(seconds->text(), QStringLiteral("3600"));  // the period's figures filter their keys too
    seconds->setText("-3600");
    refused(seconds,
            QStringLiteral("'-3600' ist für „Onlinezeit“ kein gültiger Wert: möglich sind 0 bis 999999999."));

    seconds->setText("3600");
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(w.core().Tariffs()[0].StartDate, EncodeDate(2027, 2, 28) + 0.5);  // the time of day stays
    QCOMPARE(w.core().Tariffs()[0].PeriodSeconds, 3600.0);
    QCOMPARE(w.core().Tariffs()[0].PricePerMinute, 1.5);
  }

  void volumeFieldsShowAndStoreBytes() {
    DialogWorld w;
    w.AddEntry("Net");
    TariffRecord volume = NoLimitTariff();
    volume.VolumeLimit = 1024 * 1024;
    volume.VolumeUnit = 100 * 1024;
    volume.VolumeUnitPrice = 1.5;
    HansWith(w, {volume});
    TariffEditor& e = w.editor();
    e.Load(0);
    QCOMPARE(Control<QLineEdit>(e, "volumeLimit")->text(), QStringLiteral("1"));
    QCOMPARE(Control<QComboBox>(e, "volumeLimitUnit")->currentText(), QStringLiteral("MB"));
    QCOMPARE(Control<QLineEdit>(e, "volumeUnit")->text(), QStringLiteral("100"));
    QCOMPARE(Control<QComboBox>(e, "volumeUnitSize")->currentText(), QStringLiteral("KB"));
    QCOMPARE(Control<QLineEdit>(e, "volumeUnitPrice")->text(), QStringLiteral("1,5"));
    QVERIFY(!Control<QCheckBox>(e, "hangUpWhenVolumeUsed")->isChecked());
    QVERIFY(!Control<QCheckBox>(e, "hangUpWhenBudgetUsed")->isChecked());

    // 2,5 GB typed with the locale's separator; the key filter keeps letters out.
    QLineEdit* limit = Control<QLineEdit>(e, "volumeLimit");
    limit->selectAll();
    Type(limit, "2x,5");
    QCOMPARE(limit->text(), QStringLiteral("2,5"));
    Choose(Control<QComboBox>(e, "volumeLimitUnit"), "GB");
    Choose(Control<QComboBox>(e, "volumeUnitSize"), "MB");
    Control<QCheckBox>(e, "hangUpWhenVolumeUsed")->setChecked(true);
    Control<QCheckBox>(e, "hangUpWhenBudgetUsed")->setChecked(true);
    Click(Control<QPushButton>(e, "store"));
    const TariffRecord stored = w.TariffsOnDisk("Hans.tfd")[0];
    QCOMPARE(stored.VolumeLimit, int64_t{5} * 512 * 1024 * 1024);
    QCOMPARE(stored.VolumeUnit, int64_t{100} * 1024 * 1024);
    QCOMPARE(stored.VolumeUnitPrice, 1.5);
    QVERIFY(stored.HangUpWhenVolumeUsed);
    QVERIFY(stored.HangUpWhenBudgetUsed);
    e.Load(0);
    QCOMPARE(Control<QLineEdit>(e, "volumeLimit")->text(), QStringLiteral("2,5"));
    QCOMPARE(Control<QComboBox>(e, "volumeLimitUnit")->currentText(), QStringLiteral("GB"));
  }

  void cancellingAnEditStoresNothing() {
    DialogWorld w;
    HansWith(w, {TimeTariff()});
    TariffEditor& e = w.editor();
    w.settings().show();
    Control<QListWidget>(w.settings(), "tariffs")->setCurrentRow(0);
    WithModal([&] { Click(Control<QPushButton>(w.settings(), "tariffOptions")); },
              [&] {
                QVERIFY(e.isModal());
                Control<QLineEdit>(e, "name")->setText("Anders");
                Click(Control<QPushButton>(e, "cancel"));
              });
    QCOMPARE(w.core().Tariffs()[0], TimeTariff());
    QCOMPARE(e.EditIndex(), -1);
    QCOMPARE(Control<QPushButton>(e, "store")->text(), QStringLiteral("Erstellen"));
  }

  void anEditWhoseTariffIsGoneStoresNothing() {
    DialogWorld w;
    HansWith(w, {NoLimitTariff(), TimeTariff()});
    TariffEditor& e = w.editor();
    BoxAnswerer boxes;
    BoxAnswerer yes(QMessageBox::Yes);  // "Tarif entfernen" asks first

    // The edited tariff removed in the settings dialog meanwhile.
    e.Load(1);
    e.show();
    w.settings().show();
    Control<QListWidget>(w.settings(), "tariffs")->setCurrentRow(1);
    Click(Control<QPushButton>(w.settings(), "removeTariff"));
    w.mainWindow->PauseTick();
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.texts[0],
             QStringLiteral("Der bearbeitete Tarif ist nicht mehr vorhanden. Es wurde nichts gespeichert."));
    QCOMPARE(w.core().Tariffs().size(), size_t(1));
    QCOMPARE(w.core().Tariffs()[0], NoLimitTariff());
    Click(Control<QPushButton>(e, "cancel"));

    // An earlier tariff removed: the edit follows its tariff.
    w.UseTariffs({NoLimitTariff(), TimeTariff()}, TotalsRecord(w.core().Totals()), "Hans (Hans.tfd)");
    w.settings().ShowTariffNames();
    e.Load(1);
    e.show();
    Control<QListWidget>(w.settings(), "tariffs")->setCurrentRow(0);
    Click(Control<QPushButton>(w.settings(), "removeTariff"));
    w.mainWindow->PauseTick();
    Control<QLineEdit>(e, "name")->setText("Folgt");
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(w.core().Tariffs().size(), size_t(1));
    QCOMPARE(w.core().Tariffs()[0].Name, std::string("Folgt"));

    // The user changed meanwhile: nothing lands in the other user's list.
    QCOMPARE(w.mainWindow->Files().CreateUser("Erika").code, kCreateOk);
    w.settings().RefillUsers();
    e.Load(0);
    e.show();
    Choose(Control<QComboBox>(w.settings(), "users"), "Erika (Erika.tfd)");
    w.UseTariffs({NoLimitTariff()}, TotalsRecord(w.core().Totals()), "Erika (Erika.tfd)");
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(boxes.texts.size(), 2);
    QCOMPARE(w.core().Tariffs()[0], NoLimitTariff());

    // "Tarif hinzufügen" while an edit is open drops the edit.
    e.Load(0);
    e.show();
    Control<QComboBox>(w.settings(), "users")->setCurrentIndex(-1);  // so the wizard does not open
    Click(Control<QPushButton>(w.settings(), "addTariff"));
    QCOMPARE(e.EditIndex(), -1);
    QCOMPARE(Control<QPushButton>(e, "store")->text(), QStringLiteral("Erstellen"));
    QVERIFY(e.isHidden());
  }

  void creatingTheFirstTariffMarksTheTotals() {
    DialogWorld w;
    HansWith(w, {});
    TariffEditor& e = w.editor();
    w.settings().show();
    e.EnterCreateMode();
    Control<QLineEdit>(e, "name")->setText(QString(25, 'N'));
    Control<QLineEdit>(e, "periodSeconds")->setText("0");
    Control<QLineEdit>(e, "periodCosts")->setText("0");
    e.show();
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(w.core().Tariffs().size(), size_t(1));
    QCOMPARE(w.core().Tariffs()[0].Name, std::string(20, 'N'));
    QCOMPARE(w.core().Totals().OnlineSeconds, -1.0);
    // The settings list shows the name as typed until it is rebuilt.
    QCOMPARE(Control<QListWidget>(w.settings(), "tariffs")->item(0)->text(), QString(25, 'N'));
    // A new tariff is on disk at once.
    QCOMPARE(w.TariffsOnDisk("Hans.tfd").size(), size_t(1));
    QCOMPARE(w.mainWindow->DialItems().size(), size_t(1));
  }
};

QTEST_MAIN(TariffEditorTest)
#include "TariffEditorTest.moc"
