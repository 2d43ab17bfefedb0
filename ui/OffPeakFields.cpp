// SPDX-License-Identifier: MIT
#include "ui/OffPeakFields.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <cmath>

#include "accounting/NumberText.h"
#include "accounting/TariffLimits.h"
#include "ui/DialogSupport.h"

namespace tarifuhr {

OffPeakFields::OffPeakFields(char sep, QWidget* parent) : QWidget(parent), separator_(sep) {
  from_ = Named(new DateTimePicker(DateTimePicker::Kind::Time, 0, this), "offPeakFrom");
  to_ = Named(new DateTimePicker(DateTimePicker::Kind::Time, 0, this), "offPeakTo");
  const auto priceEdit = [this, sep](const char* name) {
    auto* e = Named(new QLineEdit(QStringLiteral("0"), this), name);
    e->setMaximumWidth(120);
    new NumberKeyFilter(e, NumberKind::Decimal, sep);
    return e;
  };
  pricePerMinute_ = priceEdit("offPeakPricePerMinute");
  unitPrice_ = priceEdit("offPeakUnitPrice");

  // Two lines: they fit below the wizard's notes on its time window page.
  auto* g = new QGridLayout(this);
  g->setContentsMargins(0, 0, 0, 0);
  g->addWidget(new QLabel(QStringLiteral("Nebenzeit von:"), this), 0, 0);
  g->addWidget(from_, 0, 1);
  g->addWidget(new QLabel(QStringLiteral("bis:"), this), 0, 2);
  g->addWidget(to_, 0, 3, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Kosten/M.:"), this), 1, 0);
  g->addWidget(pricePerMinute_, 1, 1);
  g->addWidget(new QLabel(QStringLiteral("Cent; je Einheit:"), this), 1, 2);
  g->addWidget(unitPrice_, 1, 3);
  g->addWidget(new QLabel(QStringLiteral("Cent"), this), 1, 4);
  g->setColumnStretch(5, 1);
}

void OffPeakFields::Show(TDateTime from, TDateTime to, double pricePerMinute, double unitPrice) {
  from_->SetValue(from);
  to_->SetValue(to);
  pricePerMinute_->setText(Q(FloatToText(pricePerMinute, separator_)));
  unitPrice_->setText(Q(FloatToText(unitPrice, separator_)));
}

void OffPeakFields::ReadInto(TariffValues& v) const {
  // Times of day on day 0: the rules look at the hour only.
  const auto timeOfDay = [](TDateTime t) { return t - std::floor(t); };
  v.OffPeakFrom = timeOfDay(from_->Value());
  v.OffPeakTo = timeOfDay(to_->Value());
  v.OffPeakPricePerMinute = AmountOfField(pricePerMinute_, separator_, kOffPeakPriceField);
  v.OffPeakUnitPrice = AmountOfField(unitPrice_, separator_, kOffPeakUnitPriceField);
}

}  // namespace tarifuhr
