// The tariff editor: limits that exclude each other, the number fields'
// key filters, the conversion error, edit and create modes.

#include <QClipboard>
#include <filesystem>

#include "tests/ui/DialogFixture.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

// A user "Hans" that is current, with the given tariffs saved.
void HansWith(DialogWorld& w, std::vector<TariffRecord> tariffs) {
  const CreateUserResult r = w.form->Files().CreateUser("Hans");
  QCOMPARE(r.code, kCreateOk);
  w.settings().RefillUsers();
  Choose(w.settings().ComboBox1, "Hans (Hans.tfd)");
  w.core().tariffs = std::move(tariffs);
  w.core().SaveUser();
  w.core().RefreshOverview();
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
    QCOMPARE(e.Tag, -1);
    QCOMPARE(e.Button2->text(), QStringLiteral("Erstellen"));
    for (QLineEdit* f : {e.Edit3, e.Edit4, e.Edit5, e.Edit9}) QCOMPARE(f->text(), QStringLiteral("0"));
    QVERIFY(!e.Edit7->isEnabled());
    QVERIFY(!e.GroupBox2->isEnabled());
    QVERIFY(e.DateTimePicker2->isHidden() && !e.DateTimePicker2->isEnabled());
    QVERIFY(e.DateTimePicker3->isHidden() && !e.DateTimePicker3->isEnabled());
    QVERIFY(e.CheckBox1->isHidden() && !e.CheckBox1->isEnabled());
    QCOMPARE(e.GroupBox1->title(), QStringLiteral(" DFÜ Einstellungen "));
    QCOMPARE(e.GroupBox2->title(), QStringLiteral(" Benutzerdaten "));
  }

  void costAndTimeLimitExcludeEachOther() {
    DialogWorld w;
    TariffEditor& e = w.editor();
    e.show();
    e.Edit4->clear();
    Type(e.Edit4, "1000");
    QCOMPARE(e.Edit5->text(), QStringLiteral("0"));
    QVERIFY(!e.Edit5->isEnabled());
    e.Edit4->selectAll();
    Type(e.Edit4, "0");
    QVERIFY(e.Edit5->isEnabled());
    e.Edit5->selectAll();
    Type(e.Edit5, "5400");
    QCOMPARE(e.Edit4->text(), QStringLiteral("0"));
    QVERIFY(!e.Edit4->isEnabled());
    e.Edit5->setText("0");
    QVERIFY(e.Edit4->isEnabled());
    // An empty text is not "0".
    e.Edit4->clear();
    QVERIFY(!e.Edit5->isEnabled());
    e.Edit4->setText("00");
    QVERIFY(!e.Edit5->isEnabled());
  }

  void numberFieldsFilterTheirKeys() {
    DialogWorld w;
    TariffEditor& e = w.editor();
    e.show();
    for (QLineEdit* f : {e.Edit3, e.Edit9}) {
      f->clear();
      Type(f, "1.5");
      QCOMPARE(f->text(), QStringLiteral("1,5"));
      Type(f, ",.7a-E ");
      QCOMPARE(f->text(), QStringLiteral("1,57"));
      QTest::keyClick(f, Qt::Key_Backspace);
      QCOMPARE(f->text(), QStringLiteral("1,5"));
    }
    // The comma rule looks at the field's own text only.
    e.Edit3->setText("1,5");
    e.Edit9->clear();
    Type(e.Edit9, ",5");
    QCOMPARE(e.Edit9->text(), QStringLiteral(",5"));
    for (QLineEdit* f : {e.Edit4, e.Edit5}) {
      f->clear();
      Type(f, "12.3,4x");
      QCOMPARE(f->text(), QStringLiteral("1234"));
    }
    // Pasting is dropped, though the clipboard has a number; an unfiltered
    // field shows that the paste would have worked.
    QGuiApplication::clipboard()->setText(QStringLiteral("99"));
    e.Edit1->clear();
    QTest::keyClick(e.Edit1, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(e.Edit1->text(), QStringLiteral("99"));
    for (QLineEdit* f : {e.Edit3, e.Edit4, e.Edit5, e.Edit9}) {
      f->setText("1");
      f->setCursorPosition(1);
      QTest::keyClick(f, Qt::Key_V, Qt::ControlModifier);
      QCOMPARE(f->text(), QStringLiteral("1"));
    }
    // Cursor keys still move.
    e.Edit3->setText("15");
    e.Edit3->setCursorPosition(2);
    QTest::keyClick(e.Edit3, Qt::Key_Left);
    Type(e.Edit3, ".");
    QCOMPARE(e.Edit3->text(), QStringLiteral("1,5"));
    // The account box takes no typed keys.
    e.ComboBox1->setEditText(QString());
    Type(e.ComboBox1, "Net");
    QVERIFY(e.ComboBox1->currentText().isEmpty());
  }

  void anEmptyNumberFieldStopsTheStoreAndChangesNothing() {
    DialogWorld w;
    HansWith(w, {});
    TariffEditor& e = w.editor();
    w.core().totals.OnlineSeconds = 77;
    e.EnterCreateMode();
    e.Edit1->setText("Neu");
    e.Edit7->setText("0");
    e.Edit8->setText("0");
    e.Edit4->clear();
    e.show();
    BoxAnswerer boxes;
    Click(e.Button2);
    QCOMPARE(boxes.texts, QStringList{QStringLiteral("'' ist kein gültiger Gleitkommawert")});
    QCOMPARE(boxes.icons[0], QMessageBox::Critical);
    QVERIFY(e.isVisible());
    QCOMPARE(e.Edit1->text(), QStringLiteral("Neu"));
    QVERIFY(w.core().tariffs.empty());
    // Nothing was stored, so the totals are as they were.
    QCOMPARE(w.core().totals.OnlineSeconds, 77.0);
    // Letters that came in otherwise are named in the message.
    e.Edit4->setText("0");
    e.Edit8->setText("abc");
    Click(e.Button2);
    QCOMPARE(boxes.texts.size(), 2);
    QCOMPARE(boxes.texts[1], QStringLiteral("'abc' ist kein gültiger Gleitkommawert"));
    QVERIFY(w.core().tariffs.empty());
  }

  void loadingShowsEveryFieldAndDecidesTheLimits() {
    DialogWorld w;
    w.AddEntry("Net");
    w.AddEntry("Other");
    HansWith(w, {TimeTariff(), NoLimitTariff()});
    TariffEditor& e = w.editor();
    e.LoadTariffIntoEditor(0);
    QCOMPARE(e.Tag, 0);
    QCOMPARE(e.Button2->text(), QStringLiteral("Übernehmen"));
    QCOMPARE(e.Edit1->text(), QStringLiteral("Zeit"));
    QCOMPARE(e.DateTimePicker1->Value(), EncodeDate(2026, 12, 1) + 0.5);
    QCOMPARE(e.Edit3->text(), QStringLiteral("1,5"));
    QCOMPARE(e.Edit4->text(), QStringLiteral("0"));
    QCOMPARE(e.Edit5->text(), QStringLiteral("5400"));
    QVERIFY(!e.Edit3->isEnabled());
    QVERIFY(!e.Edit4->isEnabled());
    QVERIFY(e.Edit5->isEnabled());
    QCOMPARE(e.Edit9->text(), QStringLiteral("7"));
    QCOMPARE(e.Edit7->text(), QStringLiteral("120"));
    QCOMPARE(e.Edit8->text(), QStringLiteral("3,25"));
    QVERIFY(e.Edit7->isEnabled() && e.Edit8->isEnabled() && e.GroupBox2->isEnabled());
    QCOMPARE(e.ComboBox1->currentText(), QStringLiteral("Net"));
    QCOMPARE(e.ComboBox1->count(), 2);  // the phone book's entries
    QCOMPARE(e.Edit6->text(), QStringLiteral("hans"));
    QCOMPARE(e.MaskEdit1->text(), QStringLiteral("geheim"));
    QCOMPARE(e.MaskEdit1->echoMode(), QLineEdit::Normal);
    QVERIFY(e.CheckBox1->isChecked());

    // Then a tariff without any limit: all three open, time limit "0".
    e.LoadTariffIntoEditor(1);
    QCOMPARE(e.Edit5->text(), QStringLiteral("0"));
    QVERIFY(e.Edit3->isEnabled() && e.Edit4->isEnabled() && e.Edit5->isEnabled());
    QVERIFY(!e.CheckBox1->isChecked());
  }

  void applyingAnEditStoresTheSameValuesAndSaves() {
    DialogWorld w;
    w.AddEntry("Net");
    HansWith(w, {NoLimitTariff(), TimeTariff()});
    TariffEditor& e = w.editor();
    w.form->TariffOverview()->setCurrentRow(1);
    w.form->EditSelectedTariff();  // "Tarif-Einstellungen" of the main window
    QVERIFY(e.isVisible());
    QVERIFY(!e.isModal());
    QCOMPARE(e.Tag, 1);
    Click(e.Button2);
    QVERIFY(e.isHidden());
    QCOMPARE(e.Tag, -1);
    QCOMPARE(e.Button2->text(), QStringLiteral("Erstellen"));
    TariffRecord expected = TimeTariff();
    expected.DailyAllowance = 0;
    expected.TodayAllowance = 0;
    QCOMPARE(w.core().tariffs[1], expected);
    QCOMPARE(w.TariffsOnDisk("Hans.tfd")[1], expected);

    // A changed name and fee reach the file, the overview and the dial menu.
    e.LoadTariffIntoEditor(1);
    e.Edit1->setText("Umbenannt");
    e.Edit9->setText("9,5");
    Click(e.Button2);
    const auto onDisk = w.TariffsOnDisk("Hans.tfd");
    QCOMPARE(onDisk[1].Name, std::string("Umbenannt"));
    QCOMPARE(onDisk[1].DialInFee, 9.5);
    QCOMPARE(onDisk[1].SecondsToday, 33);  // the tick's counters stay
    QVERIFY(w.form->TariffOverview()->item(1)->text().startsWith("Umbenannt\t"));
    QCOMPARE(w.form->DialItems()[1]->text(), QStringLiteral("Umbenannt wählen..."));
  }

  void cancellingAnEditStoresNothing() {
    DialogWorld w;
    HansWith(w, {TimeTariff()});
    TariffEditor& e = w.editor();
    w.settings().show();
    w.settings().ListBox1->setCurrentRow(0);
    WithModal([&] { Click(w.settings().Button5); },
              [&] {
                QVERIFY(e.isModal());
                e.Edit1->setText("Anders");
                Click(e.Button3);
              });
    QCOMPARE(w.core().tariffs[0], TimeTariff());
    QCOMPARE(e.Tag, -1);
    QCOMPARE(e.Button2->text(), QStringLiteral("Erstellen"));
  }

  void anEditWhoseTariffIsGoneStoresNothing() {
    DialogWorld w;
    HansWith(w, {NoLimitTariff(), TimeTariff()});
    TariffEditor& e = w.editor();
    BoxAnswerer boxes;

    // The edited tariff removed in the settings dialog meanwhile.
    e.LoadTariffIntoEditor(1);
    e.show();
    w.settings().show();
    w.settings().ListBox1->setCurrentRow(1);
    Click(w.settings().Button2);
    w.form->PauseTick();
    Click(e.Button2);
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(boxes.texts[0], QStringLiteral("Der bearbeitete Tarif ist nicht mehr vorhanden. Es wurde nichts gespeichert."));
    QCOMPARE(w.core().tariffs.size(), size_t(1));
    QCOMPARE(w.core().tariffs[0], NoLimitTariff());
    Click(e.Button3);

    // An earlier tariff removed: the edit follows its tariff.
    w.core().tariffs = {NoLimitTariff(), TimeTariff()};
    w.settings().ShowTariffNames();
    e.LoadTariffIntoEditor(1);
    e.show();
    w.settings().ListBox1->setCurrentRow(0);
    Click(w.settings().Button2);
    w.form->PauseTick();
    e.Edit1->setText("Folgt");
    Click(e.Button2);
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(w.core().tariffs.size(), size_t(1));
    QCOMPARE(w.core().tariffs[0].Name, std::string("Folgt"));

    // The user changed meanwhile: nothing lands in the other user's list.
    QCOMPARE(w.form->Files().CreateUser("Erika").code, kCreateOk);
    w.settings().RefillUsers();
    e.LoadTariffIntoEditor(0);
    e.show();
    Choose(w.settings().ComboBox1, "Erika (Erika.tfd)");
    w.core().tariffs = {NoLimitTariff()};
    Click(e.Button2);
    QCOMPARE(boxes.texts.size(), 2);
    QCOMPARE(w.core().tariffs[0], NoLimitTariff());

    // "Tarif hinzufügen" while an edit is open drops the edit.
    e.LoadTariffIntoEditor(0);
    e.show();
    w.settings().ComboBox1->setCurrentIndex(-1);  // so the wizard does not open
    Click(w.settings().Button1);
    QCOMPARE(e.Tag, -1);
    QCOMPARE(e.Button2->text(), QStringLiteral("Erstellen"));
    QVERIFY(e.isHidden());
  }

  void creatingTheFirstTariffMarksTheTotals() {
    DialogWorld w;
    HansWith(w, {});
    TariffEditor& e = w.editor();
    w.settings().show();
    e.EnterCreateMode();
    e.Edit1->setText(QString(25, 'N'));
    e.Edit7->setText("0");
    e.Edit8->setText("0");
    e.show();
    Click(e.Button2);
    QCOMPARE(w.core().tariffs.size(), size_t(1));
    QCOMPARE(w.core().tariffs[0].Name, std::string(20, 'N'));
    QCOMPARE(w.core().totals.OnlineSeconds, -1.0);
    // The settings list shows the name as typed until it is rebuilt.
    QCOMPARE(w.settings().ListBox1->item(0)->text(), QString(25, 'N'));
    // A new tariff is on disk at once.
    QCOMPARE(w.TariffsOnDisk("Hans.tfd").size(), size_t(1));
    QCOMPARE(w.form->DialItems().size(), size_t(1));
  }
};

QTEST_MAIN(TariffEditorTest)
#include "TariffEditorTest.moc"
