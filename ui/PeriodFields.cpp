// SPDX-License-Identifier: MIT
#include "ui/PeriodFields.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <cmath>

#include "accounting/NumberText.h"
#include "accounting/TariffLimits.h"
#include "ui/DialogSupport.h"

namespace tarifuhr {

PeriodFields::PeriodFields(char sep, QWidget* parent) : QWidget(parent), separator_(sep) {
  kind_ = Named(new QComboBox(this), "periodKind");
  kind_->addItem(QStringLiteral("Kalendermonat"), static_cast<int>(PeriodKind::CalendarMonth));
  kind_->addItem(QStringLiteral("alle N Tage"), static_cast<int>(PeriodKind::Days));
  kind_->addItem(QStringLiteral("Guthaben (Prepaid)"), static_cast<int>(PeriodKind::Prepaid));
  days_ = Named(new QLineEdit(QStringLiteral("30"), this), "periodDays");
  days_->setMaximumWidth(60);
  new NumberKeyFilter(days_, NumberKind::Whole, sep);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(kind_);
  row->addWidget(new QLabel(QStringLiteral("N ="), this));
  row->addWidget(days_);
  row->addWidget(new QLabel(QStringLiteral("Tage"), this));
  row->addStretch();
  connect(kind_, &QComboBox::currentIndexChanged, this, [this] { KindChosen(); });
  KindChosen();
}

void PeriodFields::KindChosen() {
  days_->setEnabled(kind_->currentData().toInt() == static_cast<int>(PeriodKind::Days));
  emit KindChanged();
}

void PeriodFields::Show(uint8_t periodType, int32_t periodDays) {
  const int index = kind_->findData(static_cast<int>(periodType));
  kind_->setCurrentIndex(index < 0 ? 0 : index);
  days_->setText(periodDays > 0 ? QString::number(periodDays) : QStringLiteral("30"));
}

bool PeriodFields::IsPrepaid() const {
  return kind_->currentData().toInt() == static_cast<int>(PeriodKind::Prepaid);
}

void PeriodFields::ReadInto(TariffValues& v) const {
  v.PeriodType = static_cast<uint8_t>(kind_->currentData().toInt());
  v.PeriodDays = 0;
  if (v.PeriodType != static_cast<uint8_t>(PeriodKind::Days)) return;
  const double days = AmountOfField(days_, separator_, kPeriodDaysField);
  if (days < 1 || days != std::floor(days)) {
    days_->setFocus();
    days_->selectAll();
    throw ValueOutOfRange(S(days_->text()), kPeriodDaysField.label, kMaxPeriodDays, separator_, 1);
  }
  v.PeriodDays = static_cast<int32_t>(days);
}

}  // namespace tarifuhr
