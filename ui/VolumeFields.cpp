// SPDX-License-Identifier: MIT
#include "ui/VolumeFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <cmath>

#include "accounting/NumberText.h"
#include "accounting/TariffLimits.h"
#include "ui/DialogSupport.h"

namespace tarifuhr {
namespace {

constexpr int64_t kKB = 1024;
constexpr int64_t kMB = kKB * 1024;
constexpr int64_t kGB = kMB * 1024;

QComboBox* UnitChoice(QWidget* parent, std::initializer_list<std::pair<const char*, int64_t>> units) {
  auto* combo = new QComboBox(parent);
  for (const auto& [name, bytes] : units)
    combo->addItem(QString::fromLatin1(name), QVariant::fromValue(bytes));
  return combo;
}

}  // namespace

VolumeFields::VolumeFields(char sep, QWidget* parent) : QWidget(parent), separator_(sep) {
  const auto numberEdit = [this, sep](const char* name) {
    auto* e = Named(new QLineEdit(QStringLiteral("0"), this), name);
    e->setMaximumWidth(120);
    new NumberKeyFilter(e, NumberKind::Decimal, sep);
    return e;
  };
  limit_ = numberEdit("volumeLimit");
  limitUnit_ = Named(UnitChoice(this, {{"MB", kMB}, {"GB", kGB}}), "volumeLimitUnit");
  limitUnit_->setCurrentIndex(1);
  unit_ = numberEdit("volumeUnit");
  unitSize_ = Named(UnitChoice(this, {{"KB", kKB}, {"MB", kMB}}), "volumeUnitSize");
  unitPrice_ = numberEdit("volumeUnitPrice");
  hangUp_ = Named(new QCheckBox(QStringLiteral("Auflegen, wenn das Volumen verbraucht ist"), this),
                  "hangUpWhenVolumeUsed");

  auto* g = new QGridLayout(this);
  g->setContentsMargins(0, 0, 0, 0);
  g->addWidget(new QLabel(QStringLiteral("Datenvolumen pro Monat:"), this), 0, 0);
  g->addWidget(limit_, 0, 1);
  g->addWidget(limitUnit_, 0, 2);
  g->addWidget(new QLabel(QStringLiteral("Abrechnung je angefangene:"), this), 1, 0);
  g->addWidget(unit_, 1, 1);
  g->addWidget(unitSize_, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Preis je Einheit:"), this), 2, 0);
  g->addWidget(unitPrice_, 2, 1);
  g->addWidget(new QLabel(QStringLiteral("Cent"), this), 2, 2);
  g->addWidget(hangUp_, 3, 0, 1, 3);
}

void VolumeFields::Show(int64_t limit, int64_t unit, double unitPrice, bool hangUp) {
  // The larger unit when the number reads well in it.
  const bool limitInGB = limit >= kGB || (limit > 0 && limit % (kGB / 4) == 0);
  limitUnit_->setCurrentIndex(limitInGB || limit == 0 ? 1 : 0);
  limit_->setText(
      Q(FloatToText(static_cast<double>(limit) / static_cast<double>(limitInGB ? kGB : kMB), separator_)));
  const bool unitInMB = unit > 0 && unit % kMB == 0;
  unitSize_->setCurrentIndex(unitInMB ? 1 : 0);
  unit_->setText(
      Q(FloatToText(static_cast<double>(unit) / static_cast<double>(unitInMB ? kMB : kKB), separator_)));
  unitPrice_->setText(Q(FloatToText(unitPrice, separator_)));
  hangUp_->setChecked(hangUp);
}

int64_t VolumeFields::Bytes(QLineEdit* edit, const QComboBox* unit, const AmountField& limits) const {
  const auto perUnit = static_cast<double>(unit->currentData().toLongLong());
  return std::llround(AmountOfField(edit, separator_, limits, perUnit) * perUnit);
}

void VolumeFields::ReadInto(TariffValues& v) const {
  v.VolumeLimit = Bytes(limit_, limitUnit_, kVolumeLimitField);
  v.VolumeUnit = Bytes(unit_, unitSize_, kVolumeUnitField);
  v.VolumeUnitPrice = AmountOfField(unitPrice_, separator_, kVolumeUnitPriceField);
  v.HangUpWhenVolumeUsed = hangUp_->isChecked();
}

}  // namespace tarifuhr
