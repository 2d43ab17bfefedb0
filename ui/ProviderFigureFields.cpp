// SPDX-License-Identifier: MIT
#include "ui/ProviderFigureFields.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "accounting/NumberText.h"
#include "accounting/TariffLimits.h"
#include "ui/DialogSupport.h"

namespace tarifuhr {
namespace {

constexpr int64_t kMB = 1024 * 1024;
constexpr int64_t kGB = kMB * 1024;

}  // namespace

ProviderFigureFields::ProviderFigureFields(char sep, QWidget* parent) : QWidget(parent), separator_(sep) {
  const auto numberEdit = [this, sep](const char* name) {
    auto* e = Named(new QLineEdit(QStringLiteral("0"), this), name);
    new NumberKeyFilter(e, NumberKind::Decimal, sep);
    return e;
  };
  volumeUsed_ = numberEdit("volumeUsed");
  volumeUsedUnit_ = Named(new QComboBox(this), "volumeUsedUnit");
  volumeUsedUnit_->addItem(QStringLiteral("MB"), QVariant::fromValue(kMB));
  volumeUsedUnit_->addItem(QStringLiteral("GB"), QVariant::fromValue(kGB));
  creditLeft_ = numberEdit("creditLeft");
  creditUnit_ = new QLabel(QStringLiteral("Cent"), this);
  take_ =
      Named(new QPushButton(QStringLiteral("Stand vom Anbieter übernehmen"), this), "takeProviderFigures");
  recharge_ = numberEdit("rechargeAmount");
  rechargeUnit_ = new QLabel(QStringLiteral("Cent"), this);
  rechargeButton_ = Named(new QPushButton(QStringLiteral("Guthaben aufladen"), this), "recharge");
  for (QPushButton* b : {take_, rechargeButton_}) b->setAutoDefault(false);

  auto* g = new QGridLayout(this);
  g->setContentsMargins(0, 0, 0, 0);
  g->addWidget(new QLabel(QStringLiteral("Datenvolumen verbraucht:"), this), 0, 0);
  g->addWidget(volumeUsed_, 0, 1);
  g->addWidget(volumeUsedUnit_, 0, 2);
  g->addWidget(new QLabel(QStringLiteral("Guthaben:"), this), 1, 0);
  g->addWidget(creditLeft_, 1, 1);
  g->addWidget(creditUnit_, 1, 2);
  g->addWidget(take_, 2, 0, 1, 3);
  g->addWidget(recharge_, 3, 1);
  g->addWidget(rechargeUnit_, 3, 2);
  g->addWidget(rechargeButton_, 3, 0);
  connect(take_, &QPushButton::clicked, this, [this] { emit TakeRequested(); });
  connect(rechargeButton_, &QPushButton::clicked, this, [this] { emit RechargeRequested(); });
  Show(0, false, 0, 0, false);
}

void ProviderFigureFields::Show(int64_t volumeUsed, bool credit, double creditLeft, double budget,
                                bool inMinutes) {
  const bool inGB = volumeUsed >= kGB;
  volumeUsedUnit_->setCurrentIndex(inGB ? 1 : 0);
  // Unrounded: read back, the text gives the same bytes.
  volumeUsed_->setText(
      Q(FloatToText(static_cast<double>(volumeUsed) / static_cast<double>(inGB ? kGB : kMB), separator_)));
  shownVolume_ = volumeUsed_->text();
  shownVolumeUnit_ = volumeUsedUnit_->currentIndex();
  hasCredit_ = credit;
  budget_ = budget;
  const QString unit = inMinutes ? QStringLiteral("Minuten") : QStringLiteral("Cent");
  creditUnit_->setText(unit);
  rechargeUnit_->setText(unit);
  creditLeft_->setText(Q(FloatToText(credit ? creditLeft : 0, separator_)));
  for (QWidget* w : {static_cast<QWidget*>(creditLeft_), static_cast<QWidget*>(recharge_),
                     static_cast<QWidget*>(rechargeButton_)})
    w->setEnabled(credit);
}

int64_t ProviderFigureFields::VolumeUsed() const {
  const auto perUnit = static_cast<double>(volumeUsedUnit_->currentData().toLongLong());
  return std::llround(AmountOfField(volumeUsed_, separator_, kVolumeUsedField, perUnit) * perUnit);
}

std::optional<int64_t> ProviderFigureFields::ChangedVolumeUsed() const {
  if (volumeUsed_->text() == shownVolume_ && volumeUsedUnit_->currentIndex() == shownVolumeUnit_)
    return std::nullopt;
  return VolumeUsed();
}

double ProviderFigureFields::CreditLeft() const {
  return AmountOfField(creditLeft_, separator_, {"Guthaben", budget_});
}

double ProviderFigureFields::RechargeAmount(double max) const {
  return AmountOfField(recharge_, separator_, {kRechargeLabel, max});
}

void ProviderFigureFields::ClearRecharge() { recharge_->setText(QStringLiteral("0")); }

}  // namespace tarifuhr
