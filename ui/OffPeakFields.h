// SPDX-License-Identifier: MIT
#pragma once
// A tariff's cheaper hours, as the tariff editor and the wizard show them:
// a daily window (over midnight allowed; equal hours are none, and a
// minute pays the price of the hour it begins in) with its own price of a
// minute and of a volume unit.

#include <QWidget>

#include "accounting/TariffStore.h"

class QLineEdit;

namespace tarifuhr {

class DateTimePicker;

class OffPeakFields : public QWidget {
  Q_OBJECT
 public:
  OffPeakFields(char decimalSeparator, QWidget* parent);

  void Show(TDateTime from, TDateTime to, double pricePerMinute, double unitPrice);
  // Into `values`, the bounds as times of day; a price a tariff cannot
  // have throws (FloatConversionError, ValueOutOfRange) and takes the focus.
  void ReadInto(TariffValues& values) const;

 private:
  char separator_;
  DateTimePicker* from_;
  DateTimePicker* to_;
  QLineEdit* pricePerMinute_;
  QLineEdit* unitPrice_;
};

}  // namespace tarifuhr
