// SPDX-License-Identifier: MIT
#include "ui/TariffEditor.h"
#include "ui/DialogSupport.h"
#include "ui/ScreenFit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "accounting/AccountingCore.h"
#include "accounting/ChargingRules.h"
#include "accounting/TariffLimits.h"
#include "platform/Files.h"
#include "ui/AccountLists.h"
#include "ui/DateField.h"
#include "ui/MessageBoxes.h"
#include "ui/OffPeakFields.h"
#include "ui/PeriodFields.h"
#include "ui/ProviderFigureFields.h"
#include "ui/VolumeFields.h"

namespace tarifuhr {

TariffEditor::TariffEditor(AccountingCore& core, const Clock& clock, RegionalSettings regional,
                           AccountLists& accountLists)
    : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint),
      core_(core),
      regional_(regional),
      accountLists_(accountLists) {
  setWindowTitle(QStringLiteral("Tarif Einstellungen"));
  const TDateTime now = clock.Now();
  const char sep = Separator();

  name_ = Named(new QLineEdit(this), "name");
  startDate_ = Named(new DateField(now, this), "startDate");
  pricePerMinute_ = Named(new QLineEdit(QStringLiteral("0"), this), "pricePerMinute");
  costLimit_ = Named(new QLineEdit(QStringLiteral("0"), this), "costLimit");
  timeLimit_ = Named(new QLineEdit(QStringLiteral("0"), this), "timeLimit");
  dialInFee_ = Named(new QLineEdit(QStringLiteral("0"), this), "dialInFee");
  new NumberKeyFilter(pricePerMinute_, NumberKind::Decimal, sep);
  new NumberKeyFilter(dialInFee_, NumberKind::Decimal, sep);
  new NumberKeyFilter(costLimit_, NumberKind::Whole, sep);
  new NumberKeyFilter(timeLimit_, NumberKind::Whole, sep);
  windowFrom_ = Named(new DateTimePicker(DateTimePicker::Kind::Time, now, this), "windowFrom");
  windowTo_ = Named(new DateTimePicker(DateTimePicker::Kind::Time, now, this), "windowTo");
  inTotals_ = Named(new QCheckBox(QStringLiteral("Soll dieser Tarif zur Gesamtstatistik"), this), "inTotals");
  hangUpWhenBudgetUsed_ =
      Named(new QCheckBox(QStringLiteral("Auflegen, wenn das Budget verbraucht ist"), this),
            "hangUpWhenBudgetUsed");
  for (QWidget* w : {static_cast<QWidget*>(windowFrom_), static_cast<QWidget*>(windowTo_),
                     static_cast<QWidget*>(inTotals_)}) {
    w->hide();
    w->setEnabled(false);
  }

  storeButton_ = Named(new QPushButton(QStringLiteral("Erstellen"), this), "store");
  cancelButton_ = Named(new QPushButton(QStringLiteral("Abbrechen"), this), "cancel");
  storeButton_->setAutoDefault(false);
  cancelButton_->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(storeButton_);
  buttons->addWidget(cancelButton_);
  auto* grid = new QGridLayout(ScrollingForm(this, buttons));
  int row = 0;
  const auto addRow = [&](const QString& label, QWidget* field, const QString& unit = {}) {
    grid->addWidget(new QLabel(label, this), row, 0);
    grid->addWidget(field, row, 1);
    if (!unit.isEmpty()) grid->addWidget(new QLabel(unit, this), row, 2);
    ++row;
  };
  addRow(QStringLiteral("Name:"), name_);
  addRow(QStringLiteral("Startdatum:"), startDate_);
  periodKind_ = new PeriodFields(sep, this);
  addRow(QStringLiteral("Zeitraum:"), periodKind_);
  addRow(QStringLiteral("Kosten/M.:"), pricePerMinute_, QStringLiteral("Cent"));
  addRow(QStringLiteral("Kostenlimit:"), costLimit_, QStringLiteral("Cent"));
  addRow(QStringLiteral("ZeitLimit:"), timeLimit_, QStringLiteral("Minuten"));
  grid->addWidget(hangUpWhenBudgetUsed_, row++, 1, 1, 2);
  addRow(QStringLiteral("Einwahlgebühr:"), dialInFee_, QStringLiteral("Cent"));

  auto* volumeGroup = new QGroupBox(QStringLiteral(" Datenvolumen "), this);
  volume_ = new VolumeFields(sep, volumeGroup);
  auto* volumeLayout = new QVBoxLayout(volumeGroup);
  volumeLayout->addWidget(volume_);
  grid->addWidget(volumeGroup, row++, 0, 1, 3);

  auto* offPeakGroup = new QGroupBox(QStringLiteral(" Günstigere Stunden "), this);
  offPeak_ = new OffPeakFields(sep, offPeakGroup);
  (new QVBoxLayout(offPeakGroup))->addWidget(offPeak_);
  grid->addWidget(offPeakGroup, row++, 0, 1, 3);

  dialUpGroup_ = Named(new QGroupBox(QStringLiteral(" DFÜ Einstellungen "), this), "dialUpGroup");
  entryName_ = Named(new QComboBox(dialUpGroup_), "entryName");
  entryName_->setEditable(true);
  entryName_->setInsertPolicy(QComboBox::NoInsert);
  MakePickOnly(entryName_);
  userName_ = Named(new QLineEdit(dialUpGroup_), "userName");
  password_ = Named(new QLineEdit(dialUpGroup_), "password");
  auto* dfu = new QGridLayout(dialUpGroup_);
  dfu->addWidget(new QLabel(QStringLiteral("Accountname:"), dialUpGroup_), 0, 0);
  dfu->addWidget(entryName_, 0, 1);
  dfu->addWidget(new QLabel(QStringLiteral("Benutzername:"), dialUpGroup_), 1, 0);
  dfu->addWidget(userName_, 1, 1);
  dfu->addWidget(new QLabel(QStringLiteral("Benutzerpasswort:"), dialUpGroup_), 2, 0);
  dfu->addWidget(password_, 2, 1);
  grid->addWidget(dialUpGroup_, row++, 0, 1, 3);

  periodGroup_ = Named(new QGroupBox(QStringLiteral(" Benutzerdaten "), this), "periodGroup");
  periodSeconds_ = Named(new QLineEdit(periodGroup_), "periodSeconds");
  periodCosts_ = Named(new QLineEdit(periodGroup_), "periodCosts");
  new NumberKeyFilter(periodSeconds_, NumberKind::Decimal, sep);
  new NumberKeyFilter(periodCosts_, NumberKind::Decimal, sep);
  auto* data = new QGridLayout(periodGroup_);
  data->addWidget(new QLabel(QStringLiteral("Onlinezeit:"), periodGroup_), 0, 0);
  data->addWidget(periodSeconds_, 0, 1);
  data->addWidget(new QLabel(QStringLiteral("Onlinekosten:"), periodGroup_), 1, 0);
  data->addWidget(periodCosts_, 1, 1);
  providerFigures_ = new ProviderFigureFields(sep, periodGroup_);
  data->addWidget(providerFigures_, 2, 0, 1, 2);
  grid->addWidget(periodGroup_, row++, 0, 1, 3);
  // Enabled by the first load of a tariff.
  periodGroup_->setEnabled(false);
  periodSeconds_->setEnabled(false);
  periodCosts_->setEnabled(false);
  grid->setRowStretch(row, 1);

  connect(costLimit_, &QLineEdit::textChanged, this, [this] { CostLimitChanged(); });
  connect(timeLimit_, &QLineEdit::textChanged, this, [this] { TimeLimitChanged(); });
  connect(storeButton_, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Store(); }); });
  connect(cancelButton_, &QPushButton::clicked, this, [this] { Cancel(); });
  connect(providerFigures_, &ProviderFigureFields::TakeRequested, this,
          [this] { Guarded(this, [this] { TakeProviderFigures(); }); });
  connect(providerFigures_, &ProviderFigureFields::RechargeRequested, this,
          [this] { Guarded(this, [this] { RechargeCredit(); }); });
  accountLists_.SetEditorBox(entryName_);
}

char TariffEditor::Separator() const { return regional_.decimalSeparator; }

std::string TariffEditor::Text(double value) const { return FloatToText(value, Separator()); }

void TariffEditor::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  accountLists_.Refill();
  raise();
  activateWindow();
}

void TariffEditor::CostLimitChanged() {
  if (costLimit_->text() != QStringLiteral("0")) {
    timeLimit_->setText(QStringLiteral("0"));
    timeLimit_->setEnabled(false);
  } else {
    timeLimit_->setEnabled(true);
  }
}

void TariffEditor::TimeLimitChanged() {
  if (timeLimit_->text() != QStringLiteral("0")) {
    costLimit_->setText(QStringLiteral("0"));
    costLimit_->setEnabled(false);
  } else {
    costLimit_->setEnabled(true);
  }
}

void TariffEditor::Load(int i) {
  if (i < 0 || static_cast<size_t>(i) >= core_.Tariffs().size()) return;
  const TariffRecord t = core_.Tariffs()[static_cast<size_t>(i)];
  editIndex_ = i;
  edited_.Set(core_.CurrentUser(), i, t);
  accountLists_.Refill();
  periodGroup_->setEnabled(true);
  periodSeconds_->setEnabled(true);
  periodCosts_->setEnabled(true);
  storeButton_->setText(QStringLiteral("Übernehmen"));
  name_->setText(Q(t.Name));
  startDate_->SetValue(t.StartDate);
  pricePerMinute_->setText(Q(Text(t.PricePerMinute)));
  costLimit_->setText(Q(Text(t.CostLimit)));
  timeLimit_->setText(Q(Text(t.TimeLimit)));
  const bool timeLimit = Text(t.TimeLimit) != "0";
  const bool costLimit = Text(t.CostLimit) != "0";
  pricePerMinute_->setEnabled(!timeLimit);
  costLimit_->setEnabled(!timeLimit);
  timeLimit_->setEnabled(timeLimit || !costLimit);
  windowFrom_->SetValue(t.WindowFrom);
  windowTo_->SetValue(t.WindowTo);
  entryName_->setEditText(Q(t.EntryName));
  userName_->setText(Q(t.UserName));
  password_->setText(Q(t.Password));
  inTotals_->setChecked(t.InTotals);
  hangUpWhenBudgetUsed_->setChecked(t.HangUpWhenBudgetUsed);
  ShowPeriodFigures(t);
  dialInFee_->setText(Q(Text(t.DialInFee)));
  volume_->Show(t.VolumeLimit, t.VolumeUnit, t.VolumeUnitPrice, t.HangUpWhenVolumeUsed);
  periodKind_->Show(t.PeriodType, t.PeriodDays);
  offPeak_->Show(t.OffPeakFrom, t.OffPeakTo, t.OffPeakPricePerMinute, t.OffPeakUnitPrice);
}

void TariffEditor::ShowPeriodFigures(const TariffRecord& t) {
  periodSeconds_->setText(Q(Text(t.PeriodSeconds)));
  periodCosts_->setText(Q(Text(t.PeriodCosts)));
  // Credit as stored, not as the kind chosen but not yet stored.
  const bool credit = PeriodKindOf(t) == PeriodKind::Prepaid && HasBudget(t);
  const bool inMinutes = BudgetOf(t) == BudgetKind::Time;
  providerFigures_->Show(VolumeUsed(t), credit, CreditLeft(t), inMinutes ? t.TimeLimit : t.CostLimit,
                         inMinutes);
}

int TariffEditor::LocateEdited() {
  const int index = edited_.Locate(core_.CurrentUser(), core_.Tariffs());
  if (index < 0)
    ShowErrorBox(
        this, windowTitle(),
        QStringLiteral("Der bearbeitete Tarif ist nicht mehr vorhanden. Es wurde nichts gespeichert."));
  return index;
}

void TariffEditor::TakeProviderFigures() {
  const int index = LocateEdited();
  if (index < 0) return;
  const char sep = Separator();
  ProviderFigures f;
  f.periodSeconds = AmountOfField(periodSeconds_, sep, kPeriodSecondsField);
  f.periodCosts = AmountOfField(periodCosts_, sep, kPeriodCostsField);
  f.volumeUsed = providerFigures_->VolumeUsed();
  if (providerFigures_->HasCredit()) {
    // The credit left decides the costs (or the time) it stands for.
    TariffRecord t = core_.Tariffs()[static_cast<size_t>(index)];
    t.PeriodSeconds = f.periodSeconds;
    t.PeriodCosts = f.periodCosts;
    SetCreditLeft(t, providerFigures_->CreditLeft());
    f.periodSeconds = t.PeriodSeconds;
    f.periodCosts = t.PeriodCosts;
  }
  core_.TakeProviderFigures(index, f);
  ShowPeriodFigures(core_.Tariffs()[static_cast<size_t>(index)]);
}

void TariffEditor::RechargeCredit() {
  const int index = LocateEdited();
  if (index < 0) return;
  const TariffRecord& before = core_.Tariffs()[static_cast<size_t>(index)];
  const bool minutes = BudgetOf(before) == BudgetKind::Time;
  const double room = minutes ? kMaxTimeLimit - before.TimeLimit : kMaxCostLimit - before.CostLimit;
  core_.RechargeCredit(index, providerFigures_->RechargeAmount(room));
  const TariffRecord& t = core_.Tariffs()[static_cast<size_t>(index)];
  // The budget changed here, by this edit.
  edited_.Set(core_.CurrentUser(), index, t);
  costLimit_->setText(Q(Text(t.CostLimit)));
  timeLimit_->setText(Q(Text(t.TimeLimit)));
  providerFigures_->ClearRecharge();
  ShowPeriodFigures(t);
}

TariffValues TariffEditor::ReadValues() const {
  const char sep = Separator();
  TariffValues v;
  v.Name = S(name_->text());
  v.StartDate = startDate_->CheckedValue(QStringLiteral("Startdatum"));
  v.PricePerMinute = AmountOfField(pricePerMinute_, sep, kPricePerMinuteField);
  v.CostLimit = AmountOfField(costLimit_, sep, kCostLimitField);
  v.TimeLimit = AmountOfField(timeLimit_, sep, kTimeLimitField);
  v.WindowFrom = windowFrom_->Value();
  v.WindowTo = windowTo_->Value();
  v.InTotals = inTotals_->isChecked();
  v.HangUpWhenBudgetUsed = hangUpWhenBudgetUsed_->isChecked();
  v.EntryName = S(entryName_->currentText());
  v.UserName = S(userName_->text());
  v.Password = S(password_->text());
  v.PeriodSeconds = AmountOfField(periodSeconds_, sep, kPeriodSecondsField);
  v.PeriodCosts = AmountOfField(periodCosts_, sep, kPeriodCostsField);
  v.DialInFee = AmountOfField(dialInFee_, sep, kDialInFeeField);
  volume_->ReadInto(v);
  periodKind_->ReadInto(v);
  offPeak_->ReadInto(v);
  if (editIndex_ != -1) v.VolumeUsed = providerFigures_->ChangedVolumeUsed();
  return v;
}

void TariffEditor::Store() {
  // Everything is read before anything changes: a field that is not a
  // number leaves the user's data as it was.
  const TariffValues values = ReadValues();
  int index = -1;
  if (editIndex_ != -1) {
    index = edited_.Locate(core_.CurrentUser(), core_.Tariffs());
    if (index < 0) {
      ShowErrorBox(
          this, windowTitle(),
          QStringLiteral("Der bearbeitete Tarif ist nicht mehr vorhanden. Es wurde nichts gespeichert."));
      return;
    }
  }
  try {
    core_.StoreTariff(index, values);
  } catch (const FileError& e) {
    // Stored but not saved: it stays in memory and the next save takes it
    // along. An edit stays open, on the record as it is now.
    if (index != -1) {
      edited_.Set(core_.CurrentUser(), index, core_.Tariffs()[static_cast<size_t>(index)]);
      throw;
    }
    emit TariffCreated(name_->text());
    ShowErrorBox(this, windowTitle(), QString::fromStdString(e.what()));
    close();
    return;
  }
  if (index == -1) emit TariffCreated(name_->text());
  if (editIndex_ != -1) LeaveEditMode();
  close();
}

void TariffEditor::LeaveEditMode() {
  storeButton_->setText(QStringLiteral("Erstellen"));
  editIndex_ = -1;
  edited_.Clear();
}

void TariffEditor::Cancel() {
  if (editIndex_ != -1) LeaveEditMode();
  close();
}

void TariffEditor::EnterCreateMode() {
  const bool editing = editIndex_ != -1;
  LeaveEditMode();
  if (editing && isVisible()) close();
}

void TariffEditor::TariffRemoved(int index) { edited_.TariffRemoved(index); }

void TariffEditor::ShowNewTariff(const TariffValues& v, bool timeLimit) {
  periodSeconds_->setText(QStringLiteral("0"));
  periodCosts_->setText(QStringLiteral("0"));
  name_->setText(Q(v.Name));
  startDate_->SetDate(v.StartDate);
  pricePerMinute_->setText(Q(Text(v.PricePerMinute)));
  costLimit_->setText(Q(Text(v.CostLimit)));
  timeLimit_->setText(Q(Text(v.TimeLimit)));
  pricePerMinute_->setEnabled(!timeLimit);
  costLimit_->setEnabled(!timeLimit);
  timeLimit_->setEnabled(timeLimit);
  dialInFee_->setText(Q(Text(v.DialInFee)));
  windowFrom_->SetValue(v.WindowFrom);
  windowTo_->SetValue(v.WindowTo);
  entryName_->setEditText(Q(v.EntryName));
  userName_->setText(Q(v.UserName));
  password_->setText(Q(v.Password));
  inTotals_->setChecked(v.InTotals);
  hangUpWhenBudgetUsed_->setChecked(v.HangUpWhenBudgetUsed);
  volume_->Show(v.VolumeLimit, v.VolumeUnit, v.VolumeUnitPrice, v.HangUpWhenVolumeUsed);
  periodKind_->Show(v.PeriodType, v.PeriodDays);
  offPeak_->Show(v.OffPeakFrom, v.OffPeakTo, v.OffPeakPricePerMinute, v.OffPeakUnitPrice);
  providerFigures_->Show(0, false, 0, 0, false);
}

}  // namespace tarifuhr
