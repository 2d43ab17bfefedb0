// SPDX-License-Identifier: MIT
#pragma once
// The tariff editor: every setting and the period figures of one tariff.
// In create mode it makes a new tariff of the wizard's values; in edit
// mode it overwrites the tariff it was loaded from.

#include <QDialog>

#include "accounting/TariffStore.h"
#include "platform/RegionalSettings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace tarifuhr {

class AccountLists;
class AccountingCore;
class Clock;
class DateField;
class DateTimePicker;
class OffPeakFields;
class PeriodFields;
class ProviderFigureFields;
class VolumeFields;

class TariffEditor : public QDialog {
  Q_OBJECT
 public:
  TariffEditor(AccountingCore& core, const Clock& clock, RegionalSettings regional,
               AccountLists& accountLists);

  // Fills the editor from tariff i of the current user and enters edit mode.
  void Load(int i);
  // Shows a tariff that "Erstellen" will make: the wizard's values, with
  // the fields of the budget kind not chosen disabled.
  void ShowNewTariff(const TariffValues& values, bool timeLimit);
  // Create mode; an edit still open is dropped, as "Abbrechen" drops it.
  void EnterCreateMode();
  // The settings dialog removed tariff `index` of the current user.
  void TariffRemoved(int index);
  // The tariff being edited, -1 in create mode.
  int EditIndex() const { return editIndex_; }

  // "Erstellen" / "Übernehmen" and "Abbrechen".
  void Store();
  void Cancel();

  // The values of the fields, converted; a field that holds no value a
  // tariff can have throws (FloatConversionError, ValueOutOfRange, a date
  // that does not exist) and takes the focus.
  TariffValues ReadValues() const;

 signals:
  // A new tariff was made, named as it was typed.
  void TariffCreated(const QString& name);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // A cost limit and a time limit exclude each other.
  void CostLimitChanged();
  void TimeLimitChanged();
  char Separator() const;
  std::string Text(double value) const;
  void LeaveEditMode();
  // "Stand vom Anbieter übernehmen" and "Guthaben aufladen".
  void TakeProviderFigures();
  void RechargeCredit();
  // The tariff being edited as it is now, or -1 with a message.
  int LocateEdited();
  void ShowPeriodFigures(const TariffRecord& t);

  AccountingCore& core_;
  RegionalSettings regional_;
  AccountLists& accountLists_;
  int editIndex_ = -1;
  EditedTariff edited_;

  QLineEdit* name_;
  DateField* startDate_;
  QLineEdit* pricePerMinute_;
  QLineEdit* costLimit_;
  QLineEdit* timeLimit_;
  QLineEdit* dialInFee_;
  PeriodFields* periodKind_;
  VolumeFields* volume_;
  OffPeakFields* offPeak_;
  DateTimePicker* windowFrom_;
  DateTimePicker* windowTo_;
  QCheckBox* inTotals_;
  QCheckBox* hangUpWhenBudgetUsed_;
  QGroupBox* dialUpGroup_;  // " DFÜ Einstellungen "
  QComboBox* entryName_;
  QLineEdit* userName_;
  QLineEdit* password_;
  QGroupBox* periodGroup_;  // " Benutzerdaten "
  QLineEdit* periodSeconds_;
  QLineEdit* periodCosts_;
  ProviderFigureFields* providerFigures_;
  QPushButton* storeButton_;
  QPushButton* cancelButton_;
};

}  // namespace tarifuhr
