// SPDX-License-Identifier: MIT
// The new-tariff wizard: its pages, their order and resets, its two
// messages and the hand-over to the tariff editor; and the whole way from
// "Tarif hinzufügen" to a tariff that is counted, edited and removed.

#include <QClipboard>
#include <cmath>

#include "tests/ui/DialogFixture.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

void HansIsCurrent(DialogWorld& w) {
  QCOMPARE(w.mainWindow->Files().CreateUser("Hans").code, kCreateOk);
  w.settings().RefillUsers();
  w.settings().show();
  Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
}

// Fills the pages of an open wizard with a cost tariff on entry `entry`.
void FillPages(TariffWizard& z, const QString& name, const QString& entry) {
  Type(Control<QLineEdit>(z, "name"), name);
  Click(Control<QPushButton>(z, "next"));
  Control<QLineEdit>(z, "pricePerMinute")->selectAll();
  Type(Control<QLineEdit>(z, "pricePerMinute"), "1.9");
  Control<QLineEdit>(z, "costLimit")->selectAll();
  Type(Control<QLineEdit>(z, "costLimit"), "1000");
  Click(Control<QPushButton>(z, "next"));
  Control<QLineEdit>(z, "dialInFee")->selectAll();
  Type(Control<QLineEdit>(z, "dialInFee"), "5");
  Click(Control<QPushButton>(z, "next"));
  Choose(Control<QComboBox>(z, "entryName"), entry);
  Type(Control<QLineEdit>(z, "userName"), "hans");
  Type(Control<QLineEdit>(z, "password"), "geheim");
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
    for (int i = 0; i < 4; ++i) QCOMPARE(z.Page(i)->Heading()->text(), QStringLiteral("Tarif-Einstellungen"));
    QCOMPARE(z.Page(4)->Heading()->text(), QStringLiteral("Tarif-Account-Einstellungen"));
    for (int i = 0; i <= 4; ++i) QVERIFY(!z.Page(i)->Banner()->pixmap().isNull());
    QCOMPARE(Control<QLineEdit>(z, "password")->echoMode(), QLineEdit::Password);
  }

  void pageOrderForwardAndBack() {
    DialogWorld w;
    TariffWizard& z = w.wizard();
    z.show();
    QCOMPARE(z.CurrentPage(), 0);
    QVERIFY(z.Page(0)->isVisible());
    QCOMPARE(z.size(), QSize(z.Page(0)->width() + 10, z.Page(0)->height() + 60));
    QCOMPARE(Control<QPushButton>(z, "next")->text(), QStringLiteral("Weiter"));
    Type(Control<QLineEdit>(z, "name"), " ");  // blanks are a name
    QList<int> forward;
    for (int i = 0; i < 3; ++i) {
      Click(Control<QPushButton>(z, "next"));
      forward << z.CurrentPage();
    }
    QCOMPARE(forward, (QList<int>{1, 2, 4}));
    QVERIFY(z.Page(4)->isVisible());
    for (int i = 0; i < 4; ++i) QVERIFY(z.Page(i)->isHidden());
    QCOMPARE(Control<QPushButton>(z, "next")->text(), QStringLiteral("Übersicht"));
    QList<int> back;
    for (int i = 0; i < 5; ++i) {
      Click(Control<QPushButton>(z, "back"));
      back << z.CurrentPage();
    }
    QCOMPARE(back, (QList<int>{3, 2, 1, 0, 0}));
    // The time window page is reached backwards; "Weiter" leaves it to 4.
    for (int i = 0; i < 2; ++i) Click(Control<QPushButton>(z, "next"));
    Click(Control<QPushButton>(z, "next"));
    Click(Control<QPushButton>(z, "back"));
    QCOMPARE(z.CurrentPage(), 3);
    QCOMPARE(Control<QPushButton>(z, "next")->text(), QStringLiteral("Weiter"));
    Click(Control<QPushButton>(z, "next"));
    QCOMPARE(z.CurrentPage(), 4);
    // Buttons keep to the bottom right.
    QVERIFY(Control<QPushButton>(z, "next")->geometry().right() >
            Control<QPushButton>(z, "back")->geometry().right());
    QVERIFY(Control<QPushButton>(z, "back")->geometry().right() >
            Control<QPushButton>(z, "cancel")->geometry().right());
    QVERIFY(Control<QPushButton>(z, "next")->geometry().bottom() < z.height());
    QVERIFY(Control<QPushButton>(z, "next")->geometry().top() > z.Page(4)->geometry().bottom());
  }

  void missingNameAndMissingEntryAreReported() {
    DialogWorld w;
    w.AddEntry("Net");
    TariffWizard& z = w.wizard();
    z.show();
    BoxAnswerer boxes;
    Click(Control<QPushButton>(z, "next"));
    QCOMPARE(z.CurrentPage(), 0);
    Type(Control<QLineEdit>(z, "name"), "T");
    Click(Control<QPushButton>(z, "next"));
    Click(Control<QPushButton>(z, "next"));
    Click(Control<QPushButton>(z, "next"));
    QCOMPARE(z.CurrentPage(), 4);
    QVERIFY(Control<QComboBox>(z, "entryName")->currentText().isEmpty());
    Click(Control<QPushButton>(z, "next"));  // "Übersicht" without an entry
    QVERIFY(z.isVisible());
    QCOMPARE(z.CurrentPage(), 4);
    QVERIFY(w.editor().isHidden());
    QCOMPARE(boxes.texts, (QStringList{QStringLiteral("Geben Sie bitte einen Namen für diesen Tarif ein!"),
                                       QStringLiteral("Wählen Sie eine DFÜ-Verbindung!")}));
    QCOMPARE(boxes.captions, (QStringList{"fehlende Angaben", "fehlende Angaben"}));
    QCOMPARE(boxes.icons, (QList<QMessageBox::Icon>{QMessageBox::Critical, QMessageBox::Critical}));
    // The account box takes no typed keys.
    Type(Control<QComboBox>(z, "entryName"), "Net");
    QVERIFY(Control<QComboBox>(z, "entryName")->currentText().isEmpty());
  }

  void limitChoiceFiltersAndEmptyFields() {
    DialogWorld w;
    TariffWizard& z = w.wizard();
    z.show();
    const auto price = Control<QLineEdit>(z, "pricePerMinute"), cost = Control<QLineEdit>(z, "costLimit"),
               time = Control<QLineEdit>(z, "timeLimit");
    QVERIFY(Control<QRadioButton>(z, "costLimitChoice")->isChecked());
    QVERIFY(price->isEnabled() && cost->isEnabled() && !time->isEnabled());
    Click(Control<QRadioButton>(z, "timeLimitChoice"));
    QVERIFY(!price->isEnabled() && !cost->isEnabled() && time->isEnabled());
    Click(Control<QRadioButton>(z, "costLimitChoice"));
    QVERIFY(price->isEnabled() && cost->isEnabled() && !time->isEnabled());
    price->clear();
    Type(price, "0.5.5x");
    QCOMPARE(price->text(), QStringLiteral("0,55"));
    cost->clear();
    Type(cost, "1,0a0");
    QCOMPARE(cost->text(), QStringLiteral("100"));
    // Emptied fields become "0" on "Weiter".
    Type(Control<QLineEdit>(z, "name"), "T");
    Click(Control<QPushButton>(z, "next"));
    for (QLineEdit* e : {price, cost, time}) e->clear();
    Click(Control<QPushButton>(z, "next"));
    for (QLineEdit* e : {price, cost, time}) QCOMPARE(e->text(), QStringLiteral("0"));
    Control<QLineEdit>(z, "dialInFee")->clear();
    Click(Control<QPushButton>(z, "next"));
    QCOMPARE(Control<QLineEdit>(z, "dialInFee")->text(), QStringLiteral("0"));
  }

  void aDateOrANumberNoTariffCanHaveStopsOnItsPage() {
    DialogWorld w;
    TariffWizard& z = w.wizard();
    z.show();
    BoxAnswerer boxes;
    Type(Control<QLineEdit>(z, "name"), "T");
    auto* date = Control<DateField>(z, "startDate");
    TypeDateBySections(date, "31", "04", "2027");
    Click(Control<QPushButton>(z, "next"));
    QCOMPARE(boxes.texts,
             QStringList{QStringLiteral("'31.04.2027' ist kein gültiges Datum für „Startdatum“.")});
    QCOMPARE(z.CurrentPage(), 0);
    QCOMPARE(z.focusWidget(), date);
    date->setText("30.04.2027");
    Click(Control<QPushButton>(z, "next"));
    QCOMPARE(z.CurrentPage(), 1);

    QGuiApplication::clipboard()->setText(QStringLiteral("-2"));
    auto* price = Control<QLineEdit>(z, "pricePerMinute");
    price->clear();
    price->paste();
    Click(Control<QPushButton>(z, "next"));
    QCOMPARE(boxes.texts.size(), 2);
    QCOMPARE(boxes.texts[1],
             QStringLiteral("'-2' ist für „Kosten/M.“ kein gültiger Wert: möglich sind 0 bis 9999,99."));
    QCOMPARE(z.CurrentPage(), 1);
    price->setText("2");
    Click(Control<QPushButton>(z, "next"));
    QCOMPARE(z.CurrentPage(), 2);
    QCOMPARE(std::floor(date->Value()), EncodeDate(2027, 4, 30));
  }

  void timeWindowIndicatorFollowsVon() {
    DialogWorld w;
    TariffWizard& z = w.wizard();
    z.show();
    const auto from = Control<DateTimePicker>(z, "windowFrom"), to = Control<DateTimePicker>(z, "windowTo");
    const auto window = Control<QCheckBox>(z, "useWindow");
    QCOMPARE(from->Value(), to->Value());
    QVERIFY(!window->isChecked());
    from->setFocus();
    from->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(from, Qt::Key_Up);
    QVERIFY(window->isChecked());
    QTest::keyClick(from, Qt::Key_Down);
    QVERIFY(!window->isChecked());
    // Only "Von" updates the box.
    to->setFocus();
    to->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(to, Qt::Key_Up);
    QVERIFY(!window->isChecked());
  }

  void reopeningResetsEveryPage() {
    DialogWorld w;
    w.AddEntry("Net");
    TariffWizard& z = w.wizard();
    z.show();
    FillPages(z, "Erster", "Net");
    Click(Control<QRadioButton>(z, "timeLimitChoice"));
    Control<QCheckBox>(z, "useWindow")->setChecked(true);
    z.close();
    w.clock.Set(EncodeDate(2027, 1, 15) + EncodeTime(9, 30, 0));
    z.show();
    QCOMPARE(z.CurrentPage(), 0);
    QVERIFY(z.Page(0)->isVisible());
    QVERIFY(Control<QLineEdit>(z, "name")->text().isEmpty());
    QCOMPARE(std::floor(Control<DateField>(z, "startDate")->Value()), EncodeDate(2027, 1, 15));
    QVERIFY(Control<QRadioButton>(z, "costLimitChoice")->isChecked());
    QCOMPARE(Control<QLineEdit>(z, "pricePerMinute")->text(), QStringLiteral("0"));
    QCOMPARE(Control<QLineEdit>(z, "costLimit")->text(), QStringLiteral("0"));
    QCOMPARE(Control<QLineEdit>(z, "timeLimit")->text(), QStringLiteral("0"));
    QVERIFY(Control<QLineEdit>(z, "pricePerMinute")->isEnabled() &&
            Control<QLineEdit>(z, "costLimit")->isEnabled() &&
            !Control<QLineEdit>(z, "timeLimit")->isEnabled());
    QCOMPARE(Control<QLineEdit>(z, "dialInFee")->text(), QStringLiteral("0"));
    QVERIFY(!Control<QCheckBox>(z, "useWindow")->isChecked());
    QCOMPARE(Control<DateTimePicker>(z, "windowFrom")->Value(), w.clock.Now());
    QCOMPARE(Control<DateTimePicker>(z, "windowTo")->Value(), w.clock.Now());
    QVERIFY(Control<QComboBox>(z, "entryName")->currentText().isEmpty());
    QCOMPARE(Control<QComboBox>(z, "entryName")->count(), 1);  // the list stays
    QVERIFY(Control<QLineEdit>(z, "userName")->text().isEmpty());
    QVERIFY(Control<QLineEdit>(z, "password")->text().isEmpty());
  }

  void handOverWithATimeLimit() {
    DialogWorld w;
    w.AddEntry("Net");
    HansIsCurrent(w);
    TariffWizard& z = w.wizard();
    TariffEditor& e = w.editor();
    // An earlier edit left the hidden box unchecked.
    Control<QCheckBox>(e, "inTotals")->setChecked(false);
    WithModal([&] { Click(Control<QPushButton>(w.settings(), "addTariff")); },
              [&] {
                QVERIFY(z.isVisible());
                Type(Control<QLineEdit>(z, "name"), "Zeittarif");
                Click(Control<QPushButton>(z, "next"));
                Click(Control<QRadioButton>(z, "timeLimitChoice"));
                Control<QLineEdit>(z, "timeLimit")->selectAll();
                Type(Control<QLineEdit>(z, "timeLimit"), "5400");
                Click(Control<QPushButton>(z, "next"));
                Click(Control<QPushButton>(z, "next"));
                Choose(Control<QComboBox>(z, "entryName"), "Net");
                Click(Control<QPushButton>(z, "next"));
              });
    QVERIFY(z.isHidden());
    QVERIFY(w.settings().isHidden());
    QVERIFY(e.isVisible());
    QVERIFY(!e.isModal());
    QCOMPARE(e.EditIndex(), -1);
    QCOMPARE(Control<QPushButton>(e, "store")->text(), QStringLiteral("Erstellen"));
    QCOMPARE(Control<QLineEdit>(e, "name")->text(), QStringLiteral("Zeittarif"));
    QCOMPARE(Control<QLineEdit>(e, "pricePerMinute")->text(), QStringLiteral("0"));
    QCOMPARE(Control<QLineEdit>(e, "costLimit")->text(), QStringLiteral("0"));
    QCOMPARE(Control<QLineEdit>(e, "timeLimit")->text(), QStringLiteral("5400"));
    QVERIFY(!Control<QLineEdit>(e, "pricePerMinute")->isEnabled() &&
            !Control<QLineEdit>(e, "costLimit")->isEnabled() &&
            Control<QLineEdit>(e, "timeLimit")->isEnabled());
    QCOMPARE(Control<QLineEdit>(e, "periodSeconds")->text(), QStringLiteral("0"));
    QCOMPARE(Control<QLineEdit>(e, "periodCosts")->text(), QStringLiteral("0"));
    QCOMPARE(Control<QComboBox>(e, "entryName")->currentText(), QStringLiteral("Net"));
    QVERIFY(Control<QCheckBox>(e, "inTotals")->isChecked());
    // The window bounds are times of day on day 0, equal: no window.
    QCOMPARE(Control<DateTimePicker>(e, "windowFrom")->Value(),
             Control<DateTimePicker>(e, "windowTo")->Value());
    QVERIFY(Control<DateTimePicker>(e, "windowFrom")->Value() >= 0 &&
            Control<DateTimePicker>(e, "windowFrom")->Value() < 1);
    QVERIFY(w.core().Tariffs().empty());  // only "Erstellen" makes it
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(w.core().Tariffs().size(), size_t(1));
    const TariffRecord& t = w.core().Tariffs()[0];
    QCOMPARE(t.TimeLimit, 5400.0);
    QCOMPARE(t.CostLimit, 0.0);
    QCOMPARE(t.PricePerMinute, 0.0);
    QVERIFY(t.InTotals);
    QCOMPARE(t.WindowFrom, t.WindowTo);
  }

  void aVolumeTariffFromTheWizard() {
    DialogWorld w;
    w.AddEntry("Net");
    HansIsCurrent(w);
    TariffWizard& z = w.wizard();
    TariffEditor& e = w.editor();
    WithModal([&] { Click(Control<QPushButton>(w.settings(), "addTariff")); },
              [&] {
                Type(Control<QLineEdit>(z, "name"), "Handy");
                Click(Control<QPushButton>(z, "next"));
                Click(Control<QPushButton>(z, "next"));
                QCOMPARE(z.CurrentPage(), 2);
                // The fixed page has room for the volume fields below the fee's notes.
                QWidget* last = Control<QCheckBox>(z, "hangUpWhenVolumeUsed");
                QVERIFY(z.Page(2)->rect().contains(last->mapTo(z.Page(2), last->rect().bottomRight())));
                Control<QLineEdit>(z, "volumeLimit")->setText("5");
                Control<QLineEdit>(z, "volumeUnit")->clear();  // an empty field becomes 0
                Control<QLineEdit>(z, "volumeUnitPrice")->setText("9");
                Click(Control<QPushButton>(z, "next"));
                Choose(Control<QComboBox>(z, "entryName"), "Net");
                Click(Control<QPushButton>(z, "next"));
              });
    QVERIFY(e.isVisible());
    QCOMPARE(Control<QLineEdit>(e, "volumeLimit")->text(), QStringLiteral("5"));
    QCOMPARE(Control<QComboBox>(e, "volumeLimitUnit")->currentText(), QStringLiteral("GB"));
    Click(Control<QPushButton>(e, "store"));
    const TariffRecord& t = w.core().Tariffs().at(0);
    QCOMPARE(t.VolumeLimit, int64_t{5} * 1024 * 1024 * 1024);
    QCOMPARE(t.VolumeUnit, int64_t{0});
    QCOMPARE(t.VolumeUnitPrice, 9.0);
  }

  void cancelHandsNothingOver() {
    DialogWorld w;
    w.AddEntry("Net");
    HansIsCurrent(w);
    WithModal([&] { Click(Control<QPushButton>(w.settings(), "addTariff")); },
              [&] {
                FillPages(w.wizard(), "Weg", "Net");
                Click(Control<QPushButton>(w.wizard(), "cancel"));
              });
    QVERIFY(w.wizard().isHidden());
    QVERIFY(w.editor().isHidden());
    QVERIFY(w.settings().isVisible());
    QVERIFY(w.core().Tariffs().empty());
  }

  // The way a user goes: create through the wizard and the editor, see it
  // in the main window, dial it, watch it count, edit it, remove it.
  void aTariffFromWizardToRemoval() {
    DialogWorld w;
    w.AddEntry("Net");
    w.AddEntry("Andere");
    HansIsCurrent(w);
    WithModal([&] { Click(Control<QPushButton>(w.settings(), "addTariff")); },
              [&] {
                FillPages(w.wizard(), "Mein Tarif", "Net");
                Control<QCheckBox>(w.wizard(), "hangUpWhenBudgetUsed")->setChecked(true);
                Click(Control<QPushButton>(w.wizard(), "next"));
              });
    TariffEditor& e = w.editor();
    QVERIFY(Control<QCheckBox>(e, "hangUpWhenBudgetUsed")->isChecked());
    QCOMPARE(Control<QLineEdit>(e, "pricePerMinute")->text(), QStringLiteral("1,9"));
    QCOMPARE(Control<QLineEdit>(e, "costLimit")->text(), QStringLiteral("1000"));
    QCOMPARE(Control<QLineEdit>(e, "dialInFee")->text(), QStringLiteral("5"));
    QCOMPARE(Control<QLineEdit>(e, "userName")->text(), QStringLiteral("hans"));
    QCOMPARE(Control<QLineEdit>(e, "password")->text(), QStringLiteral("geheim"));
    Click(Control<QPushButton>(e, "store"));
    QVERIFY(e.isHidden());
    QCOMPARE(w.core().Totals().OnlineSeconds, -1.0);
    QVERIFY(w.core().Tariffs()[0].HangUpWhenBudgetUsed);

    // The main window shows it and can dial it.
    QCOMPARE(w.mainWindow->TariffOverview()->count(), 1);
    QVERIFY(w.mainWindow->TariffOverview()->item(0)->text().startsWith("Mein Tarif\t"));
    QCOMPARE(w.mainWindow->DialItems().size(), size_t(1));
    QCOMPARE(w.mainWindow->DialItems()[0]->text(), QStringLiteral("Mein Tarif wählen..."));
    w.mainWindow->DialItems()[0]->trigger();
    const SimState s = w.network->Snapshot();
    QCOMPARE(s.Connections.size(), size_t(1));
    QTRY_VERIFY(w.mainWindow->DialItems()[0]->isEnabled());  // the dial has ended
    for (int i = 0; i < 61; ++i) w.Tick();
    const TariffRecord& t = w.core().Tariffs()[0];
    QCOMPARE(w.core().ActiveTariff(), 0);
    QCOMPARE(t.PeriodSeconds, 61.0);
    QCOMPARE(t.PeriodCosts, 5 + 2 * 1.9);  // fee, and the minutes at 0 and 60
    QCOMPARE(w.mainWindow->TariffLabel()->text(), QStringLiteral("Mein Tarif:"));

    // Closing the settings dialog saves it.
    w.settings().show();
    Click(Control<QPushButton>(w.settings(), "close"));
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
    Control<QListWidget>(w.settings(), "tariffs")->setCurrentRow(0);
    WithModal([&] { Click(Control<QPushButton>(w.settings(), "tariffOptions")); },
              [&] {
                QCOMPARE(Control<QLineEdit>(e, "periodSeconds")->text(), QStringLiteral("61"));
                Choose(Control<QComboBox>(e, "entryName"), "Andere");
                Click(Control<QPushButton>(e, "store"));
              });
    onDisk = w.TariffsOnDisk("Hans.tfd");
    QCOMPARE(onDisk[0].EntryName, std::string("Andere"));
    QCOMPARE(w.core().ActiveTariff(), -1);  // the open connection is on "Net"

    // And remove it.
    Control<QListWidget>(w.settings(), "tariffs")->setCurrentRow(0);
    BoxAnswerer yes(QMessageBox::Yes);
    Click(Control<QPushButton>(w.settings(), "removeTariff"));
    w.mainWindow->PauseTick();
    QVERIFY(w.TariffsOnDisk("Hans.tfd").empty());
    QCOMPARE(w.mainWindow->TariffOverview()->count(), 0);
    QVERIFY(w.mainWindow->DialItems().empty());
  }
};

QTEST_MAIN(WizardTest)
#include "WizardTest.moc"
