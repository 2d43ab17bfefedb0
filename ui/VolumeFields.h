// SPDX-License-Identifier: MIT
#pragma once
// The data volume settings of a tariff, as the tariff editor and the
// wizard show them: a monthly volume in MB or GB, a billing unit in KB or
// MB with its price, and whether to hang up once the volume is used.

#include <QWidget>
#include <cstdint>

#include "accounting/TariffLimits.h"
#include "accounting/TariffStore.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tarifuhr {

class VolumeFields : public QWidget {
  Q_OBJECT
 public:
  VolumeFields(char decimalSeparator, QWidget* parent);

  void Show(int64_t limit, int64_t unit, double unitPrice, bool hangUp);
  // Into the volume fields of `values`; a field that holds no volume or
  // price a tariff can have throws (FloatConversionError, ValueOutOfRange)
  // and takes the focus.
  void ReadInto(TariffValues& values) const;

 private:
  // Bytes of a field's number in the chosen unit.
  int64_t Bytes(QLineEdit* edit, const QComboBox* unit, const AmountField& limits) const;

  char separator_;
  QLineEdit* limit_;
  QComboBox* limitUnit_;
  QLineEdit* unit_;
  QComboBox* unitSize_;
  QLineEdit* unitPrice_;
  QCheckBox* hangUp_;
};

}  // namespace tarifuhr
