// SPDX-License-Identifier: MIT
#pragma once
// The tariff editor's lines below the period's time and costs: the volume
// used, what is left of prepaid credit, "Stand vom Anbieter übernehmen"
// and "Guthaben aufladen".

#include <QWidget>
#include <cstdint>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarifuhr {

class ProviderFigureFields : public QWidget {
  Q_OBJECT
 public:
  ProviderFigureFields(char decimalSeparator, QWidget* parent);

  // `credit` is for prepaid credit with a budget only; in minutes for a
  // time budget (`inMinutes`), else cents; `budget` its largest value.
  void Show(int64_t volumeUsed, bool credit, double creditLeft, double budget, bool inMinutes);
  // The fields' numbers; one a period cannot have throws
  // (FloatConversionError, ValueOutOfRange) and takes the focus.
  int64_t VolumeUsed() const;
  // The volume used when it was changed since Show: counting goes on
  // while the editor is open.
  std::optional<int64_t> ChangedVolumeUsed() const;
  bool HasCredit() const { return hasCredit_; }
  double CreditLeft() const;
  double RechargeAmount(double max) const;
  void ClearRecharge();

 signals:
  void TakeRequested();
  void RechargeRequested();

 private:
  char separator_;
  bool hasCredit_ = false;
  double budget_ = 0;
  QLineEdit* volumeUsed_;
  QComboBox* volumeUsedUnit_;
  QString shownVolume_;
  int shownVolumeUnit_ = 0;
  QLineEdit* creditLeft_;
  QLabel* creditUnit_;
  QPushButton* take_;
  QLineEdit* recharge_;
  QLabel* rechargeUnit_;
  QPushButton* rechargeButton_;
};

}  // namespace tarifuhr
