// SPDX-License-Identifier: MIT
// The kind of period, the cheaper hours and the provider's figures in the
// tariff editor and the wizard: shown, refused as the other number fields,
// stored and read back.

#include "tests/ui/DialogFixture.h"

using namespace tarifuhr;
using namespace tarifuhr::testing;

namespace {

void HansWith(DialogWorld& w, const std::vector<TariffRecord>& tariffs) {
  w.AddEntry("Net");
  const CreateUserResult r = w.mainWindow->Files().CreateUser("Hans");
  w.mainWindow->Files().SaveUserData(r.section, tariffs, {});
  w.settings().RefillUsers();
  Choose(Control<QComboBox>(w.settings(), "users"), "Hans (Hans.tfd)");
}

TariffRecord Prepaid() {
  TariffRecord t;
  t.Name = "Karte";
  t.EntryName = "Net";
  t.PricePerMinute = 2;
  t.CostLimit = 1500;
  t.PeriodCosts = 20;
  t.PeriodBytes = 3 * 1024 * 1024;
  t.PeriodType = static_cast<uint8_t>(PeriodKind::Prepaid);
  t.OffPeakFrom = EncodeTime(18, 0, 0);
  t.OffPeakPricePerMinute = 0.5;
  return t;
}

QString Text(QWidget& parent, const char* name) { return Control<QLineEdit>(parent, name)->text(); }

}  // namespace

class TariffPeriodFieldsTest : public QObject {
  Q_OBJECT

 private slots:
  void theEditorShowsRefusesStoresAndTakesTheProvidersFigures() {
    DialogWorld w;
    HansWith(w, {Prepaid()});
    TariffEditor& e = w.editor();
    e.Load(0);
    QCOMPARE(Control<QComboBox>(e, "periodKind")->currentText(), QStringLiteral("Guthaben (Prepaid)"));
    QVERIFY(!Control<QLineEdit>(e, "periodDays")->isEnabled());
    QCOMPARE(Control<DateTimePicker>(e, "offPeakFrom")->Value(), EncodeTime(18, 0, 0));
    QCOMPARE(Text(e, "offPeakPricePerMinute") + "/" + Text(e, "volumeUsed") + "/" + Text(e, "creditLeft"),
             QStringLiteral("0,5/3/1480"));

    // The provider's figures: the costs are what the credit left stands for.
    Control<QLineEdit>(e, "creditLeft")->setText("1000");
    Control<QLineEdit>(e, "volumeUsed")->setText("1,5");
    Choose(Control<QComboBox>(e, "volumeUsedUnit"), "GB");
    Click(Control<QPushButton>(e, "takeProviderFigures"));
    TariffRecord t = w.TariffsOnDisk("Hans.tfd")[0];
    QCOMPARE(std::pair(t.PeriodCosts, t.PeriodBytes), std::pair(500.0, int64_t{3} * 512 * 1024 * 1024));
    QCOMPARE(w.core().Services().log.ReadTail(5).at(0).entry, std::string("Korrektur"));
    Control<QLineEdit>(e, "rechargeAmount")->setText("2000");
    Click(Control<QPushButton>(e, "recharge"));
    QCOMPARE(w.TariffsOnDisk("Hans.tfd")[0].CostLimit, 3500.0);
    QCOMPARE(Text(e, "costLimit") + "/" + Text(e, "creditLeft"), QStringLiteral("3500/3000"));

    const TariffRecord before = w.core().Tariffs()[0];
    BoxAnswerer boxes;
    Choose(Control<QComboBox>(e, "periodKind"), "alle N Tage");
    for (const auto& [field, text] :
         {std::pair{"periodDays", "0"}, std::pair{"offPeakPricePerMinute", "-1"}}) {
      Control<QLineEdit>(e, "periodDays")->setText("28");
      Control<QLineEdit>(e, field)->setText(text);
      Click(Control<QPushButton>(e, "store"));
      QCOMPARE(e.focusWidget(), Control<QLineEdit>(e, field));
      QCOMPARE(w.core().Tariffs()[0], before);
      Control<QLineEdit>(e, field)->setText("0");
    }
    QCOMPARE(
        boxes.texts,
        (QStringList{"'0' ist für „Zeitraum in Tagen“ kein gültiger Wert: möglich sind 1 bis 366.",
                     "'-1' ist für „Kosten/M. Nebenzeit“ kein gültiger Wert: möglich sind 0 bis 9999,99."}));
    // Stored on the tariff, after the recharge too.
    Control<QLineEdit>(e, "periodDays")->setText("28");
    Control<DateTimePicker>(e, "offPeakTo")->SetValue(EncodeTime(6, 0, 0));
    Click(Control<QPushButton>(e, "store"));
    t = w.TariffsOnDisk("Hans.tfd")[0];
    QCOMPARE(std::tuple(t.PeriodType, t.PeriodDays, t.OffPeakTo, t.OffPeakPricePerMinute, t.PeriodBytes),
             std::tuple(uint8_t{1}, 28, EncodeTime(6, 0, 0), 0.0, int64_t{3} * 512 * 1024 * 1024));
  }

  void theWizardHandsOverThePeriodAndTheCheaperHours() {
    DialogWorld w;
    HansWith(w, {});
    w.settings().show();
    TariffWizard& z = w.wizard();
    BoxAnswerer boxes;
    WithModal([&] { Click(Control<QPushButton>(w.settings(), "addTariff")); },
              [&] {
                Type(Control<QLineEdit>(z, "name"), "Vier Wochen");
                Choose(Control<QComboBox>(z, "periodKind"), "alle N Tage");
                Control<QLineEdit>(z, "periodDays")->setText("400");
                Click(Control<QPushButton>(z, "next"));
                QCOMPARE(z.CurrentPage(), 0);
                Control<QLineEdit>(z, "periodDays")->setText("28");
                for (const char* button : {"next", "next", "next", "back"})
                  Click(Control<QPushButton>(z, button));
                QCOMPARE(z.CurrentPage(), 3);
                // The fixed page has room for them below the window's notes.
                for (QWidget* f : z.Page(3)->findChildren<QWidget*>()) {
                  if (f->isHidden() || f->parentWidget()->inherits("QAbstractSpinBox")) continue;
                  QVERIFY(z.Page(3)->rect().contains(f->mapTo(z.Page(3), f->rect().bottomRight())));
                  QVERIFY2(f->height() >= f->minimumSizeHint().height(), qPrintable(f->objectName()));
                }
                Control<DateTimePicker>(z, "offPeakFrom")->SetValue(EncodeTime(18, 0, 0));
                auto* price = Control<QLineEdit>(z, "offPeakPricePerMinute");
                price->setText("1e9");
                Click(Control<QPushButton>(z, "next"));
                QCOMPARE(z.focusWidget(), price);
                price->setText("0,5");
                Click(Control<QPushButton>(z, "next"));
                Choose(Control<QComboBox>(z, "entryName"), "Net");
                Click(Control<QPushButton>(z, "next"));
              });
    QCOMPARE(boxes.texts.size(), 2);
    Click(Control<QPushButton>(w.editor(), "store"));
    const TariffRecord& t = w.core().Tariffs().at(0);
    QCOMPARE(std::tuple(t.PeriodType, t.PeriodDays, t.OffPeakFrom, t.OffPeakPricePerMinute),
             std::tuple(uint8_t{1}, 28, EncodeTime(18, 0, 0), 0.5));
  }
};

QTEST_MAIN(TariffPeriodFieldsTest)
#include "TariffPeriodFieldsTest.moc"
