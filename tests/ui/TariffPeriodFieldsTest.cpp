// SPDX-License-Identifier: MIT
// The kind of period, the cheaper hours and the provider's figures in the
// tariff editor and the wizard: shown, refused as the other number fields,
// stored and read back.

#include "tests/ui/DialogFixture.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

void HansWith(DialogWorld& w, const std::vector<TariffRecord>& tariffs) {
  const CreateUserResult r = w.mainWindow->Files().CreateUser("Hans");
  QCOMPARE(r.code, kCreateOk);
  w.mainWindow->Files().SaveUserData(r.section, tariffs, {});
  w.settings().RefillUsers();
  Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
}

TariffRecord Prepaid() {
  TariffRecord t;
  t.Name = "Karte";
  t.EntryName = "Net";
  t.StartDate = EncodeDate(2026, 11, 1);
  t.PricePerMinute = 2;
  t.CostLimit = 1500;
  t.PeriodSeconds = 600;
  t.PeriodCosts = 20;
  t.PeriodBytes = 3 * 1024 * 1024;
  t.PeriodType = static_cast<uint8_t>(PeriodKind::Prepaid);
  t.OffPeakFrom = EncodeTime(18, 0, 0);
  t.OffPeakTo = EncodeTime(8, 0, 0);
  t.OffPeakPricePerMinute = 0.5;
  return t;
}

}  // namespace

class TariffPeriodFieldsTest : public QObject {
  Q_OBJECT

 private slots:
  void theEditorShowsRefusesAndStoresPeriodsAndCheaperHours() {
    DialogWorld w;
    w.AddEntry("Net");
    HansWith(w, {Prepaid()});
    TariffEditor& e = w.editor();
    e.Load(0);
    e.show();
    QVERIFY(QTest::qWaitForWindowActive(&e));
    QCOMPARE(Control<QComboBox>(e, "periodKind")->currentText(), QStringLiteral("Guthaben (Prepaid)"));
    QVERIFY(!Control<QLineEdit>(e, "periodDays")->isEnabled());
    QCOMPARE(Control<DateTimePicker>(e, "offPeakFrom")->Value(), EncodeTime(18, 0, 0));
    QCOMPARE(Control<QLineEdit>(e, "offPeakPricePerMinute")->text(), QStringLiteral("0,5"));
    QCOMPARE(Control<QLineEdit>(e, "volumeUsed")->text(), QStringLiteral("3"));
    QCOMPARE(Control<QLineEdit>(e, "creditLeft")->text(), QStringLiteral("1480"));

    const TariffRecord before = w.core().Tariffs()[0];
    BoxAnswerer boxes;
    Choose(Control<QComboBox>(e, "periodKind"), "alle N Tage");
    auto* days = Control<QLineEdit>(e, "periodDays");
    QVERIFY(days->isEnabled());
    days->setText("367");
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(boxes.texts.last(),
             QStringLiteral("'367' ist für „Zeitraum in Tagen“ kein gültiger Wert: möglich sind 0 bis 366."));
    QCOMPARE(e.focusWidget(), days);
    days->setText("0");
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(boxes.texts.last(),
             QStringLiteral("'0' ist für „Zeitraum in Tagen“ kein gültiger Wert: möglich sind 1 bis 366."));
    days->setText("28");
    auto* offPeak = Control<QLineEdit>(e, "offPeakPricePerMinute");
    offPeak->setText("-1");
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(
        boxes.texts.last(),
        QStringLiteral("'-1' ist für „Kosten/M. Nebenzeit“ kein gültiger Wert: möglich sind 0 bis 9999,99."));
    QCOMPARE(e.focusWidget(), offPeak);
    QCOMPARE(w.core().Tariffs()[0], before);

    offPeak->setText("0");
    Control<QLineEdit>(e, "offPeakUnitPrice")->setText("1,25");
    Control<DateTimePicker>(e, "offPeakTo")->SetValue(EncodeTime(6, 0, 0));
    Click(Control<QPushButton>(e, "store"));
    const TariffRecord stored = w.TariffsOnDisk("Hans.tfd")[0];
    QCOMPARE(stored.PeriodType, static_cast<uint8_t>(PeriodKind::Days));
    QCOMPARE(stored.PeriodDays, 28);
    QCOMPARE(stored.OffPeakFrom, EncodeTime(18, 0, 0));
    QCOMPARE(stored.OffPeakTo, EncodeTime(6, 0, 0));
    QCOMPARE(stored.OffPeakPricePerMinute, 0.0);
    QCOMPARE(stored.OffPeakUnitPrice, 1.25);
    QCOMPARE(stored.PeriodBytes, Prepaid().PeriodBytes);  // an unchanged volume keeps the counted bytes
    e.Load(0);
    QCOMPARE(Control<QComboBox>(e, "periodKind")->currentText(), QStringLiteral("alle N Tage"));
    QCOMPARE(Control<QLineEdit>(e, "periodDays")->text(), QStringLiteral("28"));
  }

  void theProvidersFiguresAndARechargeGoThroughTheCore() {
    DialogWorld w;
    w.AddEntry("Net");
    HansWith(w, {Prepaid()});
    TariffEditor& e = w.editor();
    e.Load(0);
    Control<QLineEdit>(e, "periodSeconds")->setText("1200");
    Control<QLineEdit>(e, "creditLeft")->setText("1000");
    Control<QLineEdit>(e, "volumeUsed")->setText("1,5");
    Choose(Control<QComboBox>(e, "volumeUsedUnit"), "GB");
    Click(Control<QPushButton>(e, "takeProviderFigures"));
    TariffRecord t = w.TariffsOnDisk("Hans.tfd")[0];
    QCOMPARE(t.PeriodSeconds, 1200.0);
    QCOMPARE(t.PeriodCosts, 500.0);  // what the credit left stands for
    QCOMPARE(t.PeriodBytes, int64_t{3} * 512 * 1024 * 1024);
    QCOMPARE(Control<QLineEdit>(e, "periodCosts")->text(), QStringLiteral("500"));
    const auto logged = w.core().Services().log.ReadTail(5);
    QCOMPARE(logged.size(), size_t(1));
    QCOMPARE(logged[0].entry, std::string("Korrektur"));
    QCOMPARE(logged[0].cost, 480.0);

    Control<QLineEdit>(e, "rechargeAmount")->setText("2000");
    Click(Control<QPushButton>(e, "recharge"));
    t = w.TariffsOnDisk("Hans.tfd")[0];
    QCOMPARE(t.CostLimit, 3500.0);
    QCOMPARE(Control<QLineEdit>(e, "costLimit")->text(), QStringLiteral("3500"));
    QCOMPARE(Control<QLineEdit>(e, "creditLeft")->text(), QStringLiteral("3000"));
    // The edit still belongs to the tariff: storing it lands there.
    Control<QLineEdit>(e, "name")->setText("Karte 2");
    Click(Control<QPushButton>(e, "store"));
    QCOMPARE(w.core().Tariffs()[0].Name, std::string("Karte 2"));
    QCOMPARE(w.core().Tariffs()[0].CostLimit, 3500.0);

    // Without prepaid credit there is nothing to top up.
    TariffValues monthly;
    monthly.Name = "Monat";
    monthly.CostLimit = 100;
    monthly.EntryName = "Net";
    w.core().StoreTariff(0, monthly);
    e.Load(0);
    QVERIFY(!Control<QPushButton>(e, "recharge")->isEnabled());
    QVERIFY(!Control<QLineEdit>(e, "creditLeft")->isEnabled());
  }

  void theWizardHandsOverThePeriodAndTheCheaperHours() {
    DialogWorld w;
    w.AddEntry("Net");
    HansWith(w, {});
    w.settings().show();
    TariffWizard& z = w.wizard();
    TariffEditor& e = w.editor();
    BoxAnswerer boxes;
    WithModal([&] { Click(Control<QPushButton>(w.settings(), "addTariff")); },
              [&] {
                Type(Control<QLineEdit>(z, "name"), "Vier Wochen");
                Choose(Control<QComboBox>(z, "periodKind"), "alle N Tage");
                Control<QLineEdit>(z, "periodDays")->setText("400");
                Click(Control<QPushButton>(z, "next"));
                QCOMPARE(z.CurrentPage(), 0);
                Control<QLineEdit>(z, "periodDays")->setText("28");
                Click(Control<QPushButton>(z, "next"));
                Click(Control<QPushButton>(z, "next"));
                Click(Control<QPushButton>(z, "next"));
                Click(Control<QPushButton>(z, "back"));
                QCOMPARE(z.CurrentPage(), 3);
                // The fixed page has room for them below the window's notes.
                for (QWidget* f : z.Page(3)->findChildren<QWidget*>()) {
                  if (f->isHidden() || f->parentWidget()->inherits("QAbstractSpinBox")) continue;
                  QVERIFY(z.Page(3)->rect().contains(f->mapTo(z.Page(3), f->rect().bottomRight())));
                  QVERIFY2(f->height() >= f->minimumSizeHint().height(), qPrintable(f->objectName()));
                }
                Control<DateTimePicker>(z, "offPeakFrom")->SetValue(EncodeTime(18, 0, 0));
                Control<DateTimePicker>(z, "offPeakTo")->SetValue(EncodeTime(8, 0, 0));
                auto* price = Control<QLineEdit>(z, "offPeakPricePerMinute");
                price->setText("1e9");
                Click(Control<QPushButton>(z, "next"));
                QCOMPARE(z.CurrentPage(), 3);
                QCOMPARE(z.focusWidget(), price);
                price->setText("0,5");
                Click(Control<QPushButton>(z, "next"));
                Choose(Control<QComboBox>(z, "entryName"), "Net");
                Click(Control<QPushButton>(z, "next"));
              });
    QCOMPARE(boxes.texts.size(), 2);
    QVERIFY(e.isVisible());
    QCOMPARE(Control<QLineEdit>(e, "periodDays")->text(), QStringLiteral("28"));
    QCOMPARE(Control<QLineEdit>(e, "offPeakPricePerMinute")->text(), QStringLiteral("0,5"));
    Click(Control<QPushButton>(e, "store"));
    const TariffRecord& t = w.core().Tariffs().at(0);
    QCOMPARE(t.PeriodType, static_cast<uint8_t>(PeriodKind::Days));
    QCOMPARE(t.PeriodDays, 28);
    QCOMPARE(t.OffPeakFrom, EncodeTime(18, 0, 0));
    QCOMPARE(t.OffPeakTo, EncodeTime(8, 0, 0));
    QCOMPARE(t.OffPeakPricePerMinute, 0.5);
  }
};

QTEST_MAIN(TariffPeriodFieldsTest)
#include "TariffPeriodFieldsTest.moc"
