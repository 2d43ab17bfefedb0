// The new-tariff wizard: its pages, their order and resets, its two
// messages and the hand-over to the tariff editor; and the whole way from
// "Tarif hinzufügen" to a tariff that is counted, edited and removed.

#include <cmath>

#include "tests/ui/DialogFixture.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

void HansIsCurrent(DialogWorld& w) {
  QCOMPARE(w.form->Files().CreateUser("Hans").code, kCreateOk);
  w.settings().RefillUsers();
  w.settings().show();
  Choose(w.settings().ComboBox1, "Hans (Hans.tfd)");
}

// Fills the pages of an open wizard with a cost tariff on entry `entry`.
void FillPages(TariffWizard& z, const QString& name, const QString& entry) {
  Type(z.Page0()->Edit1, name);
  Click(z.Button1);
  z.Page1()->Edit3->selectAll();
  Type(z.Page1()->Edit3, "1.9");
  z.Page1()->Edit4->selectAll();
  Type(z.Page1()->Edit4, "1000");
  Click(z.Button1);
  z.Page2()->Edit3->selectAll();
  Type(z.Page2()->Edit3, "5");
  Click(z.Button1);
  Choose(z.Page4()->ComboBox1, entry);
  Type(z.Page4()->Edit6, "hans");
  Type(z.Page4()->MaskEdit1, "geheim");
}

}  // namespace

class WizardTest : public QObject {
  Q_OBJECT

 private slots:
  void pagesHaveTheirOwnClassesAndHeadings() {
    DialogWorld w;
    TariffWizard& z = w.wizard();
    QCOMPARE(z.windowTitle(), QStringLiteral("Wizard"));
    QCOMPARE(z.Page(0)->metaObject()->className(), "tarifuhr::NamePage");
    QCOMPARE(z.Page(1)->metaObject()->className(), "tarifuhr::LimitPage");
    QCOMPARE(z.Page(2)->metaObject()->className(), "tarifuhr::FeePage");
    QCOMPARE(z.Page(3)->metaObject()->className(), "tarifuhr::TimeWindowPage");
    QCOMPARE(z.Page(4)->metaObject()->className(), "tarifuhr::AccountPage");
    for (int i = 0; i < 4; ++i) QCOMPARE(z.Page(i)->Heading->text(), QStringLiteral("Tarif-Einstellungen"));
    QCOMPARE(z.Page(4)->Heading->text(), QStringLiteral("Tarif-Account-Einstellungen"));
    for (int i = 0; i <= 4; ++i) QVERIFY(!z.Page(i)->Banner->pixmap().isNull());
    QCOMPARE(z.Page4()->MaskEdit1->echoMode(), QLineEdit::Password);
  }

  void pageOrderForwardAndBack() {
    DialogWorld w;
    TariffWizard& z = w.wizard();
    z.show();
    QCOMPARE(z.CurrentPage(), 0);
    QVERIFY(z.Page(0)->isVisible());
    QCOMPARE(z.size(), QSize(z.Page(0)->width() + 10, z.Page(0)->height() + 60));
    QCOMPARE(z.Button1->text(), QStringLiteral("Weiter"));
    Type(z.Page0()->Edit1, " ");  // blanks are a name
    QList<int> forward;
    for (int i = 0; i < 3; ++i) {
      Click(z.Button1);
      forward << z.CurrentPage();
    }
    QCOMPARE(forward, (QList<int>{1, 2, 4}));
    QVERIFY(z.Page(4)->isVisible());
    for (int i = 0; i < 4; ++i) QVERIFY(z.Page(i)->isHidden());
    QCOMPARE(z.Button1->text(), QStringLiteral("Übersicht"));
    QList<int> back;
    for (int i = 0; i < 5; ++i) {
      Click(z.Button2);
      back << z.CurrentPage();
    }
    QCOMPARE(back, (QList<int>{3, 2, 1, 0, 0}));
    // The time window page is reached backwards; "Weiter" leaves it to 4.
    for (int i = 0; i < 2; ++i) Click(z.Button1);
    Click(z.Button1);
    Click(z.Button2);
    QCOMPARE(z.CurrentPage(), 3);
    QCOMPARE(z.Button1->text(), QStringLiteral("Weiter"));
    Click(z.Button1);
    QCOMPARE(z.CurrentPage(), 4);
    // Buttons keep to the bottom right.
    QVERIFY(z.Button1->geometry().right() > z.Button2->geometry().right());
    QVERIFY(z.Button2->geometry().right() > z.Button3->geometry().right());
    QVERIFY(z.Button1->geometry().bottom() < z.height());
    QVERIFY(z.Button1->geometry().top() > z.Page(4)->geometry().bottom());
  }

  void missingNameAndMissingEntryAreReported() {
    DialogWorld w;
    w.AddEntry("Net");
    TariffWizard& z = w.wizard();
    z.show();
    BoxAnswerer boxes;
    Click(z.Button1);
    QCOMPARE(z.CurrentPage(), 0);
    Type(z.Page0()->Edit1, "T");
    Click(z.Button1);
    Click(z.Button1);
    Click(z.Button1);
    QCOMPARE(z.CurrentPage(), 4);
    QVERIFY(z.Page4()->ComboBox1->currentText().isEmpty());
    Click(z.Button1);  // "Übersicht" without an entry
    QVERIFY(z.isVisible());
    QCOMPARE(z.CurrentPage(), 4);
    QVERIFY(w.editor().isHidden());
    QCOMPARE(boxes.texts, (QStringList{QStringLiteral("Geben Sie bitte einen Namen für diesen Tarif ein!"),
                                       QStringLiteral("Wählen Sie eine DFÜ-Verbindung!")}));
    QCOMPARE(boxes.captions, (QStringList{"fehlende Angaben", "fehlende Angaben"}));
    QCOMPARE(boxes.icons, (QList<QMessageBox::Icon>{QMessageBox::Critical, QMessageBox::Critical}));
    // The account box takes no typed keys.
    Type(z.Page4()->ComboBox1, "Net");
    QVERIFY(z.Page4()->ComboBox1->currentText().isEmpty());
  }

  void limitChoiceFiltersAndEmptyFields() {
    DialogWorld w;
    TariffWizard& z = w.wizard();
    z.show();
    LimitPage* p = z.Page1();
    QVERIFY(p->RadioButton1->isChecked());
    QVERIFY(p->Edit3->isEnabled() && p->Edit4->isEnabled() && !p->Edit5->isEnabled());
    Click(p->RadioButton2);
    QVERIFY(!p->Edit3->isEnabled() && !p->Edit4->isEnabled() && p->Edit5->isEnabled());
    Click(p->RadioButton1);
    QVERIFY(p->Edit3->isEnabled() && p->Edit4->isEnabled() && !p->Edit5->isEnabled());
    p->Edit3->clear();
    Type(p->Edit3, "0.5.5x");
    QCOMPARE(p->Edit3->text(), QStringLiteral("0,55"));
    p->Edit4->clear();
    Type(p->Edit4, "1,0a0");
    QCOMPARE(p->Edit4->text(), QStringLiteral("100"));
    // Emptied fields become "0" on "Weiter".
    Type(z.Page0()->Edit1, "T");
    Click(z.Button1);
    for (QLineEdit* e : {p->Edit3, p->Edit4, p->Edit5}) e->clear();
    Click(z.Button1);
    for (QLineEdit* e : {p->Edit3, p->Edit4, p->Edit5}) QCOMPARE(e->text(), QStringLiteral("0"));
    z.Page2()->Edit3->clear();
    Click(z.Button1);
    QCOMPARE(z.Page2()->Edit3->text(), QStringLiteral("0"));
  }

  void timeWindowIndicatorFollowsVon() {
    DialogWorld w;
    TariffWizard& z = w.wizard();
    z.show();
    TimeWindowPage* p = z.Page3();
    QCOMPARE(p->DateTimePicker2->Value(), p->DateTimePicker3->Value());
    QVERIFY(!p->CheckBox1->isChecked());
    p->DateTimePicker2->setFocus();
    p->DateTimePicker2->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(p->DateTimePicker2, Qt::Key_Up);
    QVERIFY(p->CheckBox1->isChecked());
    QTest::keyClick(p->DateTimePicker2, Qt::Key_Down);
    QVERIFY(!p->CheckBox1->isChecked());
    // Only "Von" updates the box.
    p->DateTimePicker3->setFocus();
    p->DateTimePicker3->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(p->DateTimePicker3, Qt::Key_Up);
    QVERIFY(!p->CheckBox1->isChecked());
  }

  void reopeningResetsEveryPage() {
    DialogWorld w;
    w.AddEntry("Net");
    TariffWizard& z = w.wizard();
    z.show();
    FillPages(z, "Erster", "Net");
    Click(z.Page1()->RadioButton2);
    z.Page3()->CheckBox1->setChecked(true);
    z.close();
    w.clock.Set(EncodeDate(2027, 1, 15) + EncodeTime(9, 30, 0));
    z.show();
    QCOMPARE(z.CurrentPage(), 0);
    QVERIFY(z.Page(0)->isVisible());
    QVERIFY(z.Page0()->Edit1->text().isEmpty());
    QCOMPARE(std::floor(z.Page0()->DateTimePicker1->Value()), EncodeDate(2027, 1, 15));
    QVERIFY(z.Page1()->RadioButton1->isChecked());
    QCOMPARE(z.Page1()->Edit3->text(), QStringLiteral("0"));
    QCOMPARE(z.Page1()->Edit4->text(), QStringLiteral("0"));
    QCOMPARE(z.Page1()->Edit5->text(), QStringLiteral("0"));
    QVERIFY(z.Page1()->Edit3->isEnabled() && z.Page1()->Edit4->isEnabled() && !z.Page1()->Edit5->isEnabled());
    QCOMPARE(z.Page2()->Edit3->text(), QStringLiteral("0"));
    QVERIFY(!z.Page3()->CheckBox1->isChecked());
    QCOMPARE(z.Page3()->DateTimePicker2->Value(), w.clock.Now());
    QCOMPARE(z.Page3()->DateTimePicker3->Value(), w.clock.Now());
    QVERIFY(z.Page4()->ComboBox1->currentText().isEmpty());
    QCOMPARE(z.Page4()->ComboBox1->count(), 1);  // the list stays
    QVERIFY(z.Page4()->Edit6->text().isEmpty());
    QVERIFY(z.Page4()->MaskEdit1->text().isEmpty());
  }

  void handOverWithATimeLimit() {
    DialogWorld w;
    w.AddEntry("Net");
    HansIsCurrent(w);
    TariffWizard& z = w.wizard();
    TariffEditor& e = w.editor();
    // An earlier edit left the hidden box unchecked.
    e.CheckBox1->setChecked(false);
    WithModal([&] { Click(w.settings().Button1); },
              [&] {
                QVERIFY(z.isVisible());
                Type(z.Page0()->Edit1, "Zeittarif");
                Click(z.Button1);
                Click(z.Page1()->RadioButton2);
                z.Page1()->Edit5->selectAll();
                Type(z.Page1()->Edit5, "5400");
                Click(z.Button1);
                Click(z.Button1);
                Choose(z.Page4()->ComboBox1, "Net");
                Click(z.Button1);
              });
    QVERIFY(z.isHidden());
    QVERIFY(w.settings().isHidden());
    QVERIFY(e.isVisible());
    QVERIFY(!e.isModal());
    QCOMPARE(e.Tag, -1);
    QCOMPARE(e.Button2->text(), QStringLiteral("Erstellen"));
    QCOMPARE(e.Edit1->text(), QStringLiteral("Zeittarif"));
    QCOMPARE(e.Edit3->text(), QStringLiteral("0"));
    QCOMPARE(e.Edit4->text(), QStringLiteral("0"));
    QCOMPARE(e.Edit5->text(), QStringLiteral("5400"));
    QVERIFY(!e.Edit3->isEnabled() && !e.Edit4->isEnabled() && e.Edit5->isEnabled());
    QCOMPARE(e.Edit7->text(), QStringLiteral("0"));
    QCOMPARE(e.Edit8->text(), QStringLiteral("0"));
    QCOMPARE(e.ComboBox1->currentText(), QStringLiteral("Net"));
    QVERIFY(e.CheckBox1->isChecked());
    // The window bounds are times of day on day 0, equal: no window.
    QCOMPARE(e.DateTimePicker2->Value(), e.DateTimePicker3->Value());
    QVERIFY(e.DateTimePicker2->Value() >= 0 && e.DateTimePicker2->Value() < 1);
    QVERIFY(w.core().tariffs.empty());  // only "Erstellen" makes it
    Click(e.Button2);
    QCOMPARE(w.core().tariffs.size(), size_t(1));
    const TariffRecord& t = w.core().tariffs[0];
    QCOMPARE(t.TimeLimit, 5400.0);
    QCOMPARE(t.CostLimit, 0.0);
    QCOMPARE(t.PricePerMinute, 0.0);
    QVERIFY(t.InTotals);
    QCOMPARE(t.WindowFrom, t.WindowTo);
  }

  void cancelHandsNothingOver() {
    DialogWorld w;
    w.AddEntry("Net");
    HansIsCurrent(w);
    WithModal([&] { Click(w.settings().Button1); },
              [&] {
                FillPages(w.wizard(), "Weg", "Net");
                Click(w.wizard().Button3);
              });
    QVERIFY(w.wizard().isHidden());
    QVERIFY(w.editor().isHidden());
    QVERIFY(w.settings().isVisible());
    QVERIFY(w.core().tariffs.empty());
  }

  // The way a user goes: create through the wizard and the editor, see it
  // in the main window, dial it, watch it count, edit it, remove it.
  void aTariffFromWizardToRemoval() {
    DialogWorld w;
    w.AddEntry("Net");
    w.AddEntry("Andere");
    HansIsCurrent(w);
    WithModal([&] { Click(w.settings().Button1); },
              [&] {
                FillPages(w.wizard(), "Mein Tarif", "Net");
                Click(w.wizard().Button1);
              });
    TariffEditor& e = w.editor();
    QCOMPARE(e.Edit3->text(), QStringLiteral("1,9"));
    QCOMPARE(e.Edit4->text(), QStringLiteral("1000"));
    QCOMPARE(e.Edit9->text(), QStringLiteral("5"));
    QCOMPARE(e.Edit6->text(), QStringLiteral("hans"));
    QCOMPARE(e.MaskEdit1->text(), QStringLiteral("geheim"));
    Click(e.Button2);
    QVERIFY(e.isHidden());
    QCOMPARE(w.core().totals.OnlineSeconds, -1.0);

    // The main window shows it and can dial it.
    QCOMPARE(w.form->TariffOverview()->count(), 1);
    QVERIFY(w.form->TariffOverview()->item(0)->text().startsWith("Mein Tarif\t"));
    QCOMPARE(w.form->DialItems().size(), size_t(1));
    QCOMPARE(w.form->DialItems()[0]->text(), QStringLiteral("Mein Tarif wählen..."));
    w.form->DialItems()[0]->trigger();
    const SimState s = w.network->Snapshot();
    QCOMPARE(s.Connections.size(), size_t(1));
    for (int i = 0; i < 61; ++i) w.Tick();
    const TariffRecord& t = w.core().tariffs[0];
    QCOMPARE(w.core().activeTariff, 0);
    QCOMPARE(t.PeriodSeconds, 61.0);
    QCOMPARE(t.PeriodCosts, 5 + 2 * 1.9);  // fee, and the minutes at 0 and 60
    QCOMPARE(w.form->TariffLabel()->text(), QStringLiteral("Mein Tarif:"));

    // Closing the settings dialog saves it.
    w.settings().show();
    Click(w.settings().Button6);
    auto onDisk = w.TariffsOnDisk("Hans.tfd");
    QCOMPARE(onDisk.size(), size_t(1));
    QCOMPARE(onDisk[0].Name, std::string("Mein Tarif"));
    QCOMPARE(onDisk[0].EntryName, std::string("Net"));
    QCOMPARE(onDisk[0].Password, std::string("geheim"));
    QVERIFY(onDisk[0].InTotals);
    QCOMPARE(onDisk[0].PeriodSeconds, 61.0);
    QCOMPARE(ReadF64(ReadFileBytes(w.dir.File("Hans.tfd")), 52 + 48 + 48), 1.9);  // PricePerMinute

    // Edit it through "Tarifoptionen": another entry.
    w.settings().show();
    w.settings().ListBox1->setCurrentRow(0);
    WithModal([&] { Click(w.settings().Button5); },
              [&] {
                QCOMPARE(e.Edit7->text(), QStringLiteral("61"));
                Choose(e.ComboBox1, "Andere");
                Click(e.Button2);
              });
    onDisk = w.TariffsOnDisk("Hans.tfd");
    QCOMPARE(onDisk[0].EntryName, std::string("Andere"));
    QCOMPARE(w.core().activeTariff, -1);  // the open connection is on "Net"

    // And remove it.
    w.settings().ListBox1->setCurrentRow(0);
    Click(w.settings().Button2);
    w.form->PauseTick();
    QVERIFY(w.TariffsOnDisk("Hans.tfd").empty());
    QCOMPARE(w.form->TariffOverview()->count(), 0);
    QVERIFY(w.form->DialItems().empty());
  }
};

QTEST_MAIN(WizardTest)
#include "WizardTest.moc"
