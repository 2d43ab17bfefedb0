// SPDX-License-Identifier: MIT
#include "ui/TariffWizard.h"
#include "accounting/TariffLimits.h"
#include "ui/DateField.h"
#include "ui/DialogSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <cmath>

#include "ui/AccountLists.h"
#include "ui/Artwork.h"
#include "ui/MessageBoxes.h"
#include "ui/OffPeakFields.h"
#include "ui/PeriodFields.h"
#include "ui/ScreenFit.h"
#include "ui/VolumeFields.h"

namespace tarifuhr {
namespace {

constexpr int kPageWidth = 520;
constexpr int kPageHeight = 400;

QLineEdit* NumberEdit(QWidget* parent, NumberKind kind, char sep) {
  auto* e = new QLineEdit(QStringLiteral("0"), parent);
  e->setMaximumWidth(120);
  new NumberKeyFilter(e, kind, sep);
  return e;
}

}  // namespace

WizardPage::WizardPage(const QString& heading, QWidget* parent) : QWidget(parent) {
  setFixedSize(kPageWidth, kPageHeight);
  banner_ = new QLabel(this);
  banner_->setPixmap(HeaderBarPicture());
  banner_->setScaledContents(true);
  banner_->setFixedHeight(40);
  heading_ = new QLabel(heading, this);
  QFont f = heading_->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.3);
  heading_->setFont(f);
  body_ = new QWidget(this);
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(banner_);
  v->addWidget(heading_);
  v->addWidget(body_, 1);
}

QLabel* WizardPage::Note(const QString& text) {
  auto* l = new QLabel(text, body_);
  l->setWordWrap(true);
  return l;
}

NamePage::NamePage(TDateTime now, char sep, QWidget* parent)
    : WizardPage(QStringLiteral("Tarif-Einstellungen"), parent) {
  name_ = Named(new QLineEdit(Body()), "name");
  startDate_ = Named(new DateField(now, Body()), "startDate");
  auto* g = new QGridLayout(Body());
  g->addWidget(new QLabel(QStringLiteral("Name:"), Body()), 0, 0);
  g->addWidget(name_, 0, 1);
  g->addWidget(Note(QStringLiteral(
                   "(Dieser Name wird, falls der Tarif aktiv ist, oben links im Statusbar angezeigt.)")),
               1, 0, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Startdatum:"), Body()), 2, 0);
  g->addWidget(startDate_, 2, 1);
  g->addWidget(Note(QStringLiteral("(Wann Ihr Tarif beginnt.)")), 3, 0, 1, 2);
  period_ = new PeriodFields(sep, Body());
  g->addWidget(new QLabel(QStringLiteral("Zeitraum:"), Body()), 4, 0);
  g->addWidget(period_, 4, 1);
  g->addWidget(Note(QStringLiteral("(Wie Ihr Anbieter abrechnet: je Kalendermonat, alle N Tage, z.B. alle "
                                   "28 Tage, oder als Guthaben, das nur abnimmt.)")),
               5, 0, 1, 2);
  g->setRowStretch(6, 1);
}

LimitPage::LimitPage(char sep, QWidget* parent) : WizardPage(QStringLiteral("Tarif-Einstellungen"), parent) {
  costLimitChoice_ =
      Named(new QRadioButton(
                QStringLiteral("Wollen Sie festlegen wieviel Kosten sie pro Monat ausgeben wollen."), Body()),
            "costLimitChoice");
  timeLimitChoice_ = Named(
      new QRadioButton(QStringLiteral("Oder wollen Sie ein Zeitlimit für einen Monat festlegen."), Body()),
      "timeLimitChoice");
  pricePerMinute_ = Named(NumberEdit(Body(), NumberKind::Decimal, sep), "pricePerMinute");
  costLimit_ = Named(NumberEdit(Body(), NumberKind::Whole, sep), "costLimit");
  timeLimit_ = Named(NumberEdit(Body(), NumberKind::Whole, sep), "timeLimit");
  auto* g = new QGridLayout(Body());
  int r = 0;
  g->addWidget(Note(QStringLiteral("(Es gibt zwei Tarifarten, CallbyCall(minütliche Berechnung)")), r++, 0, 1,
               3);
  g->addWidget(Note(QStringLiteral("oder Zeittarif (z.B. nur 90 Stunden pro Monat).)")), r++, 0, 1, 3);
  g->addWidget(costLimitChoice_, r++, 0, 1, 3);
  g->addWidget(new QLabel(QStringLiteral("Kosten pro Minute (in Cent):"), Body()), r, 0);
  g->addWidget(pricePerMinute_, r++, 1);
  g->addWidget(new QLabel(QStringLiteral("Kostenlimit (in Cent):"), Body()), r, 0);
  g->addWidget(costLimit_, r, 1);
  g->addWidget(Note(QStringLiteral("(z.B. 1000 für 10 Euro.)")), r++, 2);
  g->addWidget(timeLimitChoice_, r++, 0, 1, 3);
  g->addWidget(new QLabel(QStringLiteral("Zeitlimit (in Minuten):"), Body()), r, 0);
  g->addWidget(timeLimit_, r, 1);
  g->addWidget(Note(QStringLiteral("(z.B. 5400 für 90 Stunden.)")), r++, 2);
  hangUpWhenUsed_ = Named(new QCheckBox(QStringLiteral("Auflegen, wenn das Budget verbraucht ist"), Body()),
                          "hangUpWhenBudgetUsed");
  g->addWidget(hangUpWhenUsed_, r++, 0, 1, 3);
  g->setRowStretch(r, 1);
  costLimitChoice_->setChecked(true);
  timeLimit_->setEnabled(false);
  connect(costLimitChoice_, &QRadioButton::clicked, this, [this] { LimitChosen(); });
  connect(timeLimitChoice_, &QRadioButton::clicked, this, [this] { LimitChosen(); });
}

void LimitPage::LimitChosen() {
  const bool timeLimit = timeLimitChoice_->isChecked();
  pricePerMinute_->setEnabled(!timeLimit);
  costLimit_->setEnabled(!timeLimit);
  timeLimit_->setEnabled(timeLimit);
}

FeePage::FeePage(char sep, QWidget* parent) : WizardPage(QStringLiteral("Tarif-Einstellungen"), parent) {
  dialInFee_ = Named(NumberEdit(Body(), NumberKind::Decimal, sep), "dialInFee");
  auto* g = new QGridLayout(Body());
  g->addWidget(new QLabel(QStringLiteral("Einwahlgebühr (in Cent):"), Body()), 0, 0);
  g->addWidget(dialInFee_, 0, 1);
  int r = 1;
  for (const char* note : {"Manche Tarife Berechnen nach der Einwahl, in das Internet, eine Gebühr.",
                           "Meistens wird vom Anbieter auch direkt angegeben wie hoch diese Gebühr ist.",
                           "Falls keine Gebühr angeben worden ist beträgt die Einwahlgebühr meistens den",
                           "Minutenpreis - da gleich nach Einwahl mit der Abrechnung begonnen wird."})
    g->addWidget(Note(QString::fromUtf8(note)), r++, 0, 1, 2);
  g->addWidget(Note(QStringLiteral("Bei Tarifen nach Datenmenge (z.B. 5 GB im Monat, je angefangene 100 KB) "
                                   "hier das Volumen, sonst 0:")),
               r++, 0, 1, 2);
  volume_ = new VolumeFields(sep, Body());
  g->addWidget(volume_, r++, 0, 1, 2);
  g->setRowStretch(r, 1);
}

TimeWindowPage::TimeWindowPage(TDateTime now, char sep, QWidget* parent)
    : WizardPage(QStringLiteral("Tarif-Einstellungen"), parent) {
  useWindow_ = Named(new QCheckBox(QStringLiteral("Zeitfenster?"), Body()), "useWindow");
  windowFrom_ = Named(new DateTimePicker(DateTimePicker::Kind::Time, now, Body()), "windowFrom");
  windowTo_ = Named(new DateTimePicker(DateTimePicker::Kind::Time, now, Body()), "windowTo");
  auto* g = new QGridLayout(Body());
  g->addWidget(useWindow_, 0, 0, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Von:"), Body()), 1, 0);
  g->addWidget(windowFrom_, 1, 1);
  g->addWidget(new QLabel(QStringLiteral("Bis:"), Body()), 2, 0);
  g->addWidget(windowTo_, 2, 1);
  int r = 3;
  for (const char* note : {"(Falls der Tarif auf einen bestimmten Zeitabnitt des Tages beschränkt ist.)",
                           "Wenn es sich um einen Tarif mit zwei Zeitfeinstern handeln sollte",
                           "(z.B. 23:00-09:00 0,49c und 09:00-23:00 0,99c) Falls der Tarif auf einen",
                           "bestimmten Zeitabnitt des Tages beschränkt ist.dann sollte man für beide",
                           "zwei seperate Tarife einstellen."})
    g->addWidget(Note(QString::fromUtf8(note)), r++, 0, 1, 2);
  g->addWidget(Note(QStringLiteral("Günstigere Stunden (z.B. Nebenzeit 18:00–8:00: 0 ct):")), r++, 0, 1, 2);
  offPeak_ = new OffPeakFields(sep, Body());
  g->addWidget(offPeak_, r++, 0, 1, 2);
  g->setRowStretch(r, 1);
  connect(windowFrom_, &DateTimePicker::Change, this, [this] { WindowFromChanged(); });
}

void TimeWindowPage::WindowFromChanged() {
  useWindow_->setChecked(windowFrom_->Value() != windowTo_->Value());
}

AccountPage::AccountPage(QWidget* parent)
    : WizardPage(QStringLiteral("Tarif-Account-Einstellungen"), parent) {
  entryName_ = Named(new QComboBox(Body()), "entryName");
  entryName_->setEditable(true);
  entryName_->setInsertPolicy(QComboBox::NoInsert);
  MakePickOnly(entryName_);
  userName_ = Named(new QLineEdit(Body()), "userName");
  password_ = Named(new QLineEdit(Body()), "password");
  password_->setEchoMode(QLineEdit::Password);
  password_->setStyleSheet(QStringLiteral("lineedit-password-character: 35;"));  // "#"
  auto* g = new QGridLayout(Body());
  g->addWidget(
      Note(QStringLiteral("Hier muss noch eingestellt werden zu welchem DFÜ Account der Tarif gehört.")), 0,
      0, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Accountname:"), Body()), 1, 0);
  g->addWidget(entryName_, 1, 1);
  g->addWidget(new QLabel(QStringLiteral("Benutzername:"), Body()), 2, 0);
  g->addWidget(userName_, 2, 1);
  g->addWidget(new QLabel(QStringLiteral("Benutzerpasswort:"), Body()), 3, 0);
  g->addWidget(password_, 3, 1);
  g->setRowStretch(4, 1);
}

TariffWizard::TariffWizard(const Clock& clock, RegionalSettings regional, AccountLists& accountLists)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint),
      clock_(clock),
      regional_(regional),
      accountLists_(accountLists) {
  setWindowTitle(QStringLiteral("Wizard"));
  cancelButton_ = Named(new QPushButton(QStringLiteral("Abbrechen"), this), "cancel");
  backButton_ = Named(new QPushButton(QStringLiteral("Zurück"), this), "back");
  nextButton_ = Named(new QPushButton(QStringLiteral("Weiter"), this), "next");
  for (QPushButton* b : {nextButton_, backButton_, cancelButton_}) b->setAutoDefault(false);
  connect(nextButton_, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Next(); }); });
  connect(backButton_, &QPushButton::clicked, this, [this] { Back(); });
  connect(cancelButton_, &QPushButton::clicked, this, [this] { close(); });
  CreatePages();
}

TariffWizard::~TariffWizard() = default;

void TariffWizard::CreatePages() {
  current_ = 0;
  const TDateTime now = clock_.Now();
  const char sep = regional_.decimalSeparator;
  pageArea_ = new QScrollArea(this);
  pageArea_->setFrameShape(QFrame::NoFrame);
  auto* stack = new QWidget(pageArea_);
  stack->setFixedSize(kPageWidth, kPageHeight);
  namePage_ = new NamePage(now, sep, stack);
  limitPage_ = new LimitPage(sep, stack);
  feePage_ = new FeePage(sep, stack);
  timeWindowPage_ = new TimeWindowPage(now, sep, stack);
  accountPage_ = new AccountPage(stack);
  pageArea_->setWidget(stack);
  accountLists_.SetWizardBox(accountPage_->entryName_);
  pages_ = {namePage_, limitPage_, feePage_, timeWindowPage_, accountPage_};
  for (int i = 1; i <= kLastPage; ++i) Page(i)->hide();
  accountLists_.Refill();
  ShowPage(0);
}

void TariffWizard::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const TDateTime now = clock_.Now();
  current_ = 0;
  namePage_->name_->clear();
  namePage_->startDate_->SetDate(DateOf(now));
  limitPage_->costLimitChoice_->setChecked(true);
  for (QLineEdit* e : {limitPage_->pricePerMinute_, limitPage_->costLimit_, limitPage_->timeLimit_}) {
    e->setText(QStringLiteral("0"));
    e->setEnabled(e != limitPage_->timeLimit_);
  }
  feePage_->dialInFee_->setText(QStringLiteral("0"));
  feePage_->volume_->Show(0, 0, 0, false);
  timeWindowPage_->useWindow_->setChecked(false);
  timeWindowPage_->windowFrom_->SetValue(now);
  timeWindowPage_->windowTo_->SetValue(now);
  namePage_->period_->Show(0, 0);
  timeWindowPage_->offPeak_->Show(0, 0, 0, 0);
  // Entries made since the last refresh are offered too.
  accountLists_.Refill();
  accountPage_->entryName_->setEditText(QString());
  accountPage_->userName_->clear();
  accountPage_->password_->clear();
  ShowPage(0);
}

void TariffWizard::ShowPage(int i) {
  for (int p = 0; p <= kLastPage; ++p) Page(p)->setVisible(p == i);
  Page(i)->raise();
  // As large as a page, smaller only where the screen is: the page then
  // scrolls and the buttons stay in reach.
  const QSize whole(Page(i)->width() + 10, Page(i)->height() + 60);
  setMinimumSize(whole.boundedTo({3 * 96 + 20, 160}));
  setMaximumSize(whole);
  resize(whole);
  if (isVisible()) FitIntoScreen(*this);
  nextButton_->setText(i == kLastPage ? QStringLiteral("Übersicht") : QStringLiteral("Weiter"));
}

void TariffWizard::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // The buttons keep their place at the bottom right.
  const int w = 90;
  const int h = 28;
  const int y = height() - h - 12;
  if (pageArea_) pageArea_->setGeometry(5, 5, width() - 10, height() - 60);
  nextButton_->setGeometry(width() - 10 - w, y, w, h);
  backButton_->setGeometry(width() - 10 - 2 * w - 6, y, w, h);
  cancelButton_->setGeometry(width() - 10 - 3 * w - 12, y, w, h);
}

void TariffWizard::MissingInput(const QString& text) {
  ShowErrorBox(this, QStringLiteral("fehlende Angaben"), text);
}

void TariffWizard::Next() {
  if (current_ == kLastPage && accountPage_->entryName_->currentText().isEmpty()) {
    MissingInput(QStringLiteral("Wählen Sie eine DFÜ-Verbindung!"));
    return;
  }
  if (current_ == kLastPage) {
    // The summary: the editor shows what the pages hold, ready to create.
    emit SummaryReady(Values(), limitPage_->timeLimitChoice_->isChecked());
    close();
    return;
  }
  if (current_ == 0 && namePage_->name_->text().isEmpty()) {
    MissingInput(QStringLiteral("Geben Sie bitte einen Namen für diesen Tarif ein!"));
    return;
  }
  // A value no tariff can have stops on its page, in its field, not at
  // the summary.
  const char sep = regional_.decimalSeparator;
  TariffValues check;
  if (current_ == 0) {
    namePage_->startDate_->CheckedValue(QStringLiteral("Startdatum"));
    namePage_->period_->ReadInto(check);
  }
  if (current_ == 3) timeWindowPage_->offPeak_->ReadInto(check);
  if (current_ == 1) {
    for (QLineEdit* e : {limitPage_->pricePerMinute_, limitPage_->costLimit_, limitPage_->timeLimit_})
      if (e->text().isEmpty()) e->setText(QStringLiteral("0"));
    AmountOfField(limitPage_->pricePerMinute_, sep, kPricePerMinuteField);
    AmountOfField(limitPage_->costLimit_, sep, kCostLimitField);
    AmountOfField(limitPage_->timeLimit_, sep, kTimeLimitField);
  }
  if (current_ == 2) {
    if (feePage_->dialInFee_->text().isEmpty()) feePage_->dialInFee_->setText(QStringLiteral("0"));
    for (QLineEdit* e : feePage_->findChildren<QLineEdit*>())
      if (e->text().isEmpty()) e->setText(QStringLiteral("0"));
    AmountOfField(feePage_->dialInFee_, sep, kDialInFeeField);
    feePage_->volume_->ReadInto(check);
  }
  ++current_;
  if (current_ == 3) current_ = 4;  // the time window page is reached only backwards
  ShowPage(current_);
}

void TariffWizard::Back() {
  if (current_ <= 0) return;
  --current_;
  ShowPage(current_);
}

TariffValues TariffWizard::Values() const {
  const char sep = regional_.decimalSeparator;
  TariffValues v;
  v.Name = S(namePage_->name_->text());
  v.StartDate = std::floor(namePage_->startDate_->CheckedValue(QStringLiteral("Startdatum")));
  if (limitPage_->timeLimitChoice_->isChecked()) {
    v.TimeLimit = AmountOfField(limitPage_->timeLimit_, sep, kTimeLimitField);
  } else {
    v.PricePerMinute = AmountOfField(limitPage_->pricePerMinute_, sep, kPricePerMinuteField);
    v.CostLimit = AmountOfField(limitPage_->costLimit_, sep, kCostLimitField);
  }
  v.HangUpWhenBudgetUsed = limitPage_->hangUpWhenUsed_->isChecked();
  v.DialInFee = AmountOfField(feePage_->dialInFee_, sep, kDialInFeeField);
  feePage_->volume_->ReadInto(v);
  // Times of day on day 0: equal bounds are exactly "no window", and the
  // window rules look at the time of day only.
  const auto timeOfDay = [](TDateTime t) { return t - std::floor(t); };
  v.WindowFrom = timeOfDay(timeWindowPage_->windowFrom_->Value());
  v.WindowTo = timeOfDay(timeWindowPage_->windowTo_->Value());
  namePage_->period_->ReadInto(v);
  timeWindowPage_->offPeak_->ReadInto(v);
  v.EntryName = S(accountPage_->entryName_->currentText());
  v.UserName = S(accountPage_->userName_->text());
  v.Password = S(accountPage_->password_->text());
  // A new tariff counts in the totals.
  v.InTotals = true;
  return v;
}

}  // namespace tarifuhr
