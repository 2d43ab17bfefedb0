#include "ui/TariffWizard.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QVBoxLayout>
#include <cmath>

#include "ui/Artwork.h"
#include "ui/SettingsDialog.h"
#include "ui/MainWindow.h"
#include "ui/TariffEditor.h"

namespace tarifuhr {
namespace {

constexpr int kPageWidth = 520;
constexpr int kPageHeight = 330;

QLineEdit* NumberEdit(QWidget* parent, NumberKind kind, char sep) {
  auto* e = new QLineEdit(QStringLiteral("0"), parent);
  e->setMaximumWidth(120);
  new NumberKeyFilter(e, kind, sep);
  return e;
}

}  // namespace

WizardPage::WizardPage(const QString& heading, QWidget* parent) : QWidget(parent) {
  setFixedSize(kPageWidth, kPageHeight);
  Banner = new QLabel(this);
  Banner->setPixmap(HeaderBarPicture());
  Banner->setScaledContents(true);
  Banner->setFixedHeight(40);
  Heading = new QLabel(heading, this);
  QFont f = Heading->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.3);
  Heading->setFont(f);
  body_ = new QWidget(this);
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(Banner);
  v->addWidget(Heading);
  v->addWidget(body_, 1);
}

QLabel* WizardPage::Note(const QString& text) {
  auto* l = new QLabel(text, body_);
  l->setWordWrap(true);
  return l;
}

NamePage::NamePage(TDateTime now, QWidget* parent) : WizardPage(QStringLiteral("Tarif-Einstellungen"), parent) {
  Edit1 = new QLineEdit(Body());
  DateTimePicker1 = new DateTimePicker(DateTimePicker::Kind::Date, now, Body());
  auto* g = new QGridLayout(Body());
  g->addWidget(new QLabel(QStringLiteral("Name:"), Body()), 0, 0);
  g->addWidget(Edit1, 0, 1);
  g->addWidget(Note(QStringLiteral("(Dieser Name wird, falls der Tarif aktiv ist, oben links im Statusbar angezeigt.)")),
               1, 0, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Startdatum:"), Body()), 2, 0);
  g->addWidget(DateTimePicker1, 2, 1);
  g->addWidget(Note(QStringLiteral("(Wann Ihr Tarif beginnt.)")), 3, 0, 1, 2);
  g->setRowStretch(4, 1);
}

LimitPage::LimitPage(char sep, QWidget* parent) : WizardPage(QStringLiteral("Tarif-Einstellungen"), parent) {
  RadioButton1 = new QRadioButton(QStringLiteral("Wollen Sie festlegen wieviel Kosten sie pro Monat ausgeben wollen."), Body());
  RadioButton2 = new QRadioButton(QStringLiteral("Oder wollen Sie ein Zeitlimit für einen Monat festlegen."), Body());
  Edit3 = NumberEdit(Body(), NumberKind::Decimal, sep);
  Edit4 = NumberEdit(Body(), NumberKind::Whole, sep);
  Edit5 = NumberEdit(Body(), NumberKind::Whole, sep);
  auto* g = new QGridLayout(Body());
  int r = 0;
  g->addWidget(Note(QStringLiteral("(Es gibt zwei Tarifarten, CallbyCall(minütliche Berechnung)")), r++, 0, 1, 3);
  g->addWidget(Note(QStringLiteral("oder Zeittarif (z.B. nur 90 Stunden pro Monat).)")), r++, 0, 1, 3);
  g->addWidget(RadioButton1, r++, 0, 1, 3);
  g->addWidget(new QLabel(QStringLiteral("Kosten pro Minute (in Cent):"), Body()), r, 0);
  g->addWidget(Edit3, r++, 1);
  g->addWidget(new QLabel(QStringLiteral("Kostenlimit (in Cent):"), Body()), r, 0);
  g->addWidget(Edit4, r, 1);
  g->addWidget(Note(QStringLiteral("(z.B. 1000 für 10 Euro.)")), r++, 2);
  g->addWidget(RadioButton2, r++, 0, 1, 3);
  g->addWidget(new QLabel(QStringLiteral("Zeitlimit (in Minuten):"), Body()), r, 0);
  g->addWidget(Edit5, r, 1);
  g->addWidget(Note(QStringLiteral("(z.B. 5400 für 90 Stunden.)")), r++, 2);
  g->setRowStretch(r, 1);
  RadioButton1->setChecked(true);
  Edit5->setEnabled(false);
  connect(RadioButton1, &QRadioButton::clicked, this, [this] { RadioButton2Click(); });
  connect(RadioButton2, &QRadioButton::clicked, this, [this] { RadioButton2Click(); });
}

void LimitPage::RadioButton2Click() {
  const bool timeLimit = RadioButton2->isChecked();
  Edit3->setEnabled(!timeLimit);
  Edit4->setEnabled(!timeLimit);
  Edit5->setEnabled(timeLimit);
}

FeePage::FeePage(char sep, QWidget* parent) : WizardPage(QStringLiteral("Tarif-Einstellungen"), parent) {
  Edit3 = NumberEdit(Body(), NumberKind::Decimal, sep);
  auto* g = new QGridLayout(Body());
  g->addWidget(new QLabel(QStringLiteral("Einwahlgebühr (in Cent):"), Body()), 0, 0);
  g->addWidget(Edit3, 0, 1);
  int r = 1;
  for (const char* note : {"Manche Tarife Berechnen nach der Einwahl, in das Internet, eine Gebühr.",
                           "Meistens wird vom Anbieter auch direkt angegeben wie hoch diese Gebühr ist.",
                           "Falls keine Gebühr angeben worden ist beträgt die Einwahlgebühr meistens den",
                           "Minutenpreis - da gleich nach Einwahl mit der Abrechnung begonnen wird."})
    g->addWidget(Note(QString::fromUtf8(note)), r++, 0, 1, 2);
  g->setRowStretch(r, 1);
}

TimeWindowPage::TimeWindowPage(TDateTime now, QWidget* parent) : WizardPage(QStringLiteral("Tarif-Einstellungen"), parent) {
  CheckBox1 = new QCheckBox(QStringLiteral("Zeitfenster?"), Body());
  DateTimePicker2 = new DateTimePicker(DateTimePicker::Kind::Time, now, Body());
  DateTimePicker3 = new DateTimePicker(DateTimePicker::Kind::Time, now, Body());
  auto* g = new QGridLayout(Body());
  g->addWidget(CheckBox1, 0, 0, 1, 2);
  g->addWidget(new QLabel(QStringLiteral("Von:"), Body()), 1, 0);
  g->addWidget(DateTimePicker2, 1, 1);
  g->addWidget(new QLabel(QStringLiteral("Bis:"), Body()), 2, 0);
  g->addWidget(DateTimePicker3, 2, 1);
  int r = 3;
  for (const char* note : {"(Falls der Tarif auf einen bestimmten Zeitabnitt des Tages beschränkt ist.)",
                           "Wenn es sich um einen Tarif mit zwei Zeitfeinstern handeln sollte",
                           "(z.B. 23:00-09:00 0,49c und 09:00-23:00 0,99c) Falls der Tarif auf einen",
                           "bestimmten Zeitabnitt des Tages beschränkt ist.dann sollte man für beide",
                           "zwei seperate Tarife einstellen."})
    g->addWidget(Note(QString::fromUtf8(note)), r++, 0, 1, 2);
  g->setRowStretch(r, 1);
  connect(DateTimePicker2, &DateTimePicker::Change, this, [this] { DateTimePicker2Change(); });
}

void TimeWindowPage::DateTimePicker2Change() {
  CheckBox1->setChecked(DateTimePicker2->Value() != DateTimePicker3->Value());
}

AccountPage::AccountPage(QWidget* parent) : WizardPage(QStringLiteral("Tarif-Account-Einstellungen"), parent) {
  ComboBox1 = new QComboBox(Body());
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  MakePickOnly(ComboBox1);
  Edit6 = new QLineEdit(Body());
  MaskEdit1 = new QLineEdit(Body());
  MaskEdit1->setEchoMode(QLineEdit::Password);
  MaskEdit1->setStyleSheet(QStringLiteral("lineedit-password-character: 35;"));  // "#"
  auto* g = new QGridLayout(Body());
  g->addWidget(Note(QStringLiteral("Hier muss noch eingestellt werden zu welchem DFÜ Account der Tarif gehört.")), 0, 0,
               1, 2);
  g->addWidget(new QLabel(QStringLiteral("Accountname:"), Body()), 1, 0);
  g->addWidget(ComboBox1, 1, 1);
  g->addWidget(new QLabel(QStringLiteral("Benutzername:"), Body()), 2, 0);
  g->addWidget(Edit6, 2, 1);
  g->addWidget(new QLabel(QStringLiteral("Benutzerpasswort:"), Body()), 3, 0);
  g->addWidget(MaskEdit1, 3, 1);
  g->setRowStretch(4, 1);
}

TariffWizard::TariffWizard(Dialogs& dialogs)
    : QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint),
      d_(dialogs) {
  d_.wizard = this;
  setWindowTitle(QStringLiteral("Wizard"));
  Button3 = new QPushButton(QStringLiteral("Abbrechen"), this);
  Button2 = new QPushButton(QStringLiteral("Zurück"), this);
  Button1 = new QPushButton(QStringLiteral("Weiter"), this);
  for (QPushButton* b : {Button1, Button2, Button3}) b->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  FormCreate();
}

void TariffWizard::FormCreate() {
  current_ = 0;
  const TDateTime now = d_.form.Services().clock.Now();
  const char sep = d_.form.Services().regional.decimalSeparator;
  page0_ = new NamePage(now, this);
  page1_ = new LimitPage(sep, this);
  page2_ = new FeePage(sep, this);
  page3_ = new TimeWindowPage(now, this);
  page4_ = new AccountPage(this);
  pages_ = {page0_, page1_, page2_, page3_, page4_};
  for (WizardPage* p : pages_) p->move(5, 5);
  for (int i = 1; i <= kLastPage; ++i) Page(i)->hide();
  try {
    d_.editor->FillDialUpEntries();
  } catch (const std::exception&) {
    // No dial-up library: the account list stays empty.
  }
  ShowPage(0);
}

void TariffWizard::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const TDateTime now = d_.form.Services().clock.Now();
  current_ = 0;
  page0_->Edit1->clear();
  page0_->DateTimePicker1->SetDate(DateOf(now));
  page1_->RadioButton1->setChecked(true);
  page1_->Edit3->setText(QStringLiteral("0"));
  page1_->Edit3->setEnabled(true);
  page1_->Edit4->setText(QStringLiteral("0"));
  page1_->Edit4->setEnabled(true);
  page1_->Edit5->setText(QStringLiteral("0"));
  page1_->Edit5->setEnabled(false);
  page2_->Edit3->setText(QStringLiteral("0"));
  page3_->CheckBox1->setChecked(false);
  page3_->DateTimePicker2->SetValue(now);
  page3_->DateTimePicker3->SetValue(now);
  // Entries made since the last refresh are offered too.
  try {
    d_.editor->FillDialUpEntries();
  } catch (const std::exception&) {
    // The list stays as it was.
  }
  page4_->ComboBox1->setEditText(QString());
  page4_->Edit6->clear();
  page4_->MaskEdit1->clear();
  ShowPage(0);
}

void TariffWizard::ShowPage(int i) {
  for (int p = 0; p <= kLastPage; ++p) Page(p)->setVisible(p == i);
  Page(i)->raise();
  setFixedSize(Page(i)->width() + 10, Page(i)->height() + 60);
  Button1->setText(i == kLastPage ? QStringLiteral("Übersicht") : QStringLiteral("Weiter"));
}

void TariffWizard::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // The buttons keep their place at the bottom right.
  const int w = 90;
  const int h = 28;
  const int y = height() - h - 12;
  Button1->setGeometry(width() - 10 - w, y, w, h);
  Button2->setGeometry(width() - 10 - 2 * w - 6, y, w, h);
  Button3->setGeometry(width() - 10 - 3 * w - 12, y, w, h);
}

void TariffWizard::MissingInput(const QString& text) {
  ShowErrorBox(this, QStringLiteral("fehlende Angaben"), text);
}

void TariffWizard::Button1Click() {
  if (current_ == kLastPage && page4_->ComboBox1->currentText().isEmpty()) {
    MissingInput(QStringLiteral("Wählen Sie eine DFÜ-Verbindung!"));
    return;
  }
  if (Button1->text() == QStringLiteral("Übersicht")) {
    TariffEditor& editor = *d_.editor;
    editor.EnterCreateMode();
    editor.Edit7->setText(QStringLiteral("0"));
    editor.Edit8->setText(QStringLiteral("0"));
    CopyWizardToEditor();
    d_.settings->close();
    editor.show();
    editor.raise();
    close();
    return;
  }
  if (current_ == 0 && page0_->Edit1->text().isEmpty()) {
    MissingInput(QStringLiteral("Geben Sie bitte einen Namen für diesen Tarif ein!"));
    return;
  }
  if (current_ == 1) {
    for (QLineEdit* e : {page1_->Edit3, page1_->Edit4, page1_->Edit5})
      if (e->text().isEmpty()) e->setText(QStringLiteral("0"));
  }
  if (current_ == 2 && page2_->Edit3->text().isEmpty()) page2_->Edit3->setText(QStringLiteral("0"));
  ++current_;
  if (current_ == 3) current_ = 4;  // the time window page is reached only backwards
  ShowPage(current_);
}

void TariffWizard::Button2Click() {
  if (current_ <= 0) return;
  --current_;
  ShowPage(current_);
}

void TariffWizard::Button3Click() { close(); }

void TariffWizard::CopyWizardToEditor() {
  TariffEditor& e = *d_.editor;
  e.Edit1->setText(page0_->Edit1->text());
  e.DateTimePicker1->SetDate(page0_->DateTimePicker1->Value());
  if (page1_->RadioButton1->isChecked()) {
    e.Edit3->setEnabled(true);
    e.Edit3->setText(page1_->Edit3->text());
    e.Edit4->setEnabled(true);
    e.Edit4->setText(page1_->Edit4->text());
    e.Edit5->setEnabled(false);
    e.Edit5->setText(QStringLiteral("0"));
  } else {
    e.Edit3->setEnabled(false);
    e.Edit3->setText(QStringLiteral("0"));
    e.Edit4->setEnabled(false);
    e.Edit4->setText(QStringLiteral("0"));
    e.Edit5->setEnabled(true);
    e.Edit5->setText(page1_->Edit5->text());
  }
  e.Edit9->setText(page2_->Edit3->text());
  // Times of day on day 0: equal bounds are exactly "no window", and the
  // window rules look at the time of day only.
  const auto timeOfDay = [](TDateTime v) { return v - std::floor(v); };
  e.DateTimePicker2->SetValue(timeOfDay(page3_->DateTimePicker2->Value()));
  e.DateTimePicker3->SetValue(timeOfDay(page3_->DateTimePicker3->Value()));
  e.ComboBox1->clear();
  for (int i = 0; i < page4_->ComboBox1->count(); ++i) e.ComboBox1->addItem(page4_->ComboBox1->itemText(i));
  e.ComboBox1->setEditText(page4_->ComboBox1->currentText());
  e.Edit6->setText(page4_->Edit6->text());
  e.MaskEdit1->setText(page4_->MaskEdit1->text());
  // A new tariff counts in the totals; the hidden box would otherwise carry
  // whatever the last edited tariff had.
  e.CheckBox1->setChecked(true);
}

}  // namespace tarifuhr
