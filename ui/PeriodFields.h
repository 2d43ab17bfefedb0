// SPDX-License-Identifier: MIT
#pragma once
// A tariff's kind of period, as the tariff editor and the wizard show it:
// a calendar month from the start date, every N days from it, or prepaid
// credit without a period end.

#include <QWidget>
#include <cstdint>

#include "accounting/TariffStore.h"

class QComboBox;
class QLineEdit;

namespace tarifuhr {

class PeriodFields : public QWidget {
  Q_OBJECT
 public:
  PeriodFields(char decimalSeparator, QWidget* parent);

  void Show(uint8_t periodType, int32_t periodDays);
  // Into `values`; N days outside 1 to 366 throw ValueOutOfRange (a text
  // that is no number FloatConversionError) and take the focus.
  void ReadInto(TariffValues& values) const;
  bool IsPrepaid() const;

 signals:
  void KindChanged();

 private:
  void KindChosen();

  char separator_;
  QComboBox* kind_;
  QLineEdit* days_;
};

}  // namespace tarifuhr
