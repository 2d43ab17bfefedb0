#include "ui/TariffEditor.h"

#include <QGridLayout>
#include <QLabel>

#include "ui/SettingsDialog.h"
#include "ui/MainWindow.h"
#include "ui/TariffWizard.h"

namespace tarifuhr {
namespace {

// Entries the enumeration reports while no wizard exists yet.
class NoEntryList : public EntryList {
 public:
  void Add(const std::string&) override {}
  void SelectFirst() override {}
};

}  // namespace

TariffEditor::TariffEditor(Dialogs& dialogs) : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), d_(dialogs) {
  d_.editor = this;
  setWindowTitle(QStringLiteral("Tarif Einstellungen"));
  const TDateTime now = d_.form.Services().clock.Now();
  const char sep = Separator();

  Edit1 = new QLineEdit(this);
  DateTimePicker1 = new DateTimePicker(DateTimePicker::Kind::Date, now, this);
  Edit3 = new QLineEdit(QStringLiteral("0"), this);
  Edit4 = new QLineEdit(QStringLiteral("0"), this);
  Edit5 = new QLineEdit(QStringLiteral("0"), this);
  Edit9 = new QLineEdit(QStringLiteral("0"), this);
  new NumberKeyFilter(Edit3, NumberKind::Decimal, sep);
  new NumberKeyFilter(Edit9, NumberKind::Decimal, sep);
  new NumberKeyFilter(Edit4, NumberKind::Whole, sep);
  new NumberKeyFilter(Edit5, NumberKind::Whole, sep);
  DateTimePicker2 = new DateTimePicker(DateTimePicker::Kind::Time, now, this);
  DateTimePicker3 = new DateTimePicker(DateTimePicker::Kind::Time, now, this);
  CheckBox1 = new QCheckBox(QStringLiteral("Soll dieser Tarif zur Gesamtstatistik"), this);
  for (QWidget* w : {static_cast<QWidget*>(DateTimePicker2), static_cast<QWidget*>(DateTimePicker3),
                     static_cast<QWidget*>(CheckBox1)}) {
    w->hide();
    w->setEnabled(false);
  }

  auto* grid = new QGridLayout(this);
  int row = 0;
  const auto addRow = [&](const QString& label, QWidget* field, const QString& unit = {}) {
    grid->addWidget(new QLabel(label, this), row, 0);
    grid->addWidget(field, row, 1);
    if (!unit.isEmpty()) grid->addWidget(new QLabel(unit, this), row, 2);
    ++row;
  };
  addRow(QStringLiteral("Name:"), Edit1);
  addRow(QStringLiteral("Startdatum:"), DateTimePicker1);
  addRow(QStringLiteral("Kosten/M.:"), Edit3, QStringLiteral("Cent"));
  addRow(QStringLiteral("Kostenlimit:"), Edit4, QStringLiteral("Cent"));
  addRow(QStringLiteral("ZeitLimit:"), Edit5, QStringLiteral("Minuten"));
  addRow(QStringLiteral("Einwahlgebühr:"), Edit9, QStringLiteral("Cent"));

  GroupBox1 = new QGroupBox(QStringLiteral(" DFÜ Einstellungen "), this);
  ComboBox1 = new QComboBox(GroupBox1);
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  MakePickOnly(ComboBox1);
  Edit6 = new QLineEdit(GroupBox1);
  MaskEdit1 = new QLineEdit(GroupBox1);
  auto* dfu = new QGridLayout(GroupBox1);
  dfu->addWidget(new QLabel(QStringLiteral("Accountname:"), GroupBox1), 0, 0);
  dfu->addWidget(ComboBox1, 0, 1);
  dfu->addWidget(new QLabel(QStringLiteral("Benutzername:"), GroupBox1), 1, 0);
  dfu->addWidget(Edit6, 1, 1);
  dfu->addWidget(new QLabel(QStringLiteral("Benutzerpasswort:"), GroupBox1), 2, 0);
  dfu->addWidget(MaskEdit1, 2, 1);
  grid->addWidget(GroupBox1, row++, 0, 1, 3);

  GroupBox2 = new QGroupBox(QStringLiteral(" Benutzerdaten "), this);
  Edit7 = new QLineEdit(GroupBox2);
  Edit8 = new QLineEdit(GroupBox2);
  auto* data = new QGridLayout(GroupBox2);
  data->addWidget(new QLabel(QStringLiteral("Onlinezeit:"), GroupBox2), 0, 0);
  data->addWidget(Edit7, 0, 1);
  data->addWidget(new QLabel(QStringLiteral("Onlinekosten:"), GroupBox2), 1, 0);
  data->addWidget(Edit8, 1, 1);
  grid->addWidget(GroupBox2, row++, 0, 1, 3);
  // Enabled by the first load of a tariff.
  GroupBox2->setEnabled(false);
  Edit7->setEnabled(false);
  Edit8->setEnabled(false);

  Button2 = new QPushButton(QStringLiteral("Erstellen"), this);
  Button3 = new QPushButton(QStringLiteral("Abbrechen"), this);
  Button2->setAutoDefault(false);
  Button3->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button2);
  buttons->addWidget(Button3);
  grid->addLayout(buttons, row++, 0, 1, 3);

  connect(Edit4, &QLineEdit::textChanged, this, [this] { Edit4Change(); });
  connect(Edit5, &QLineEdit::textChanged, this, [this] { Edit5Change(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Button2Click(); }); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });

  d_.form.Dialer().OnEntryGet = [this](DialUp&, const std::string& name) {
    ComboEntryList editor(ComboBox1);
    if (d_.wizard) {
      ComboEntryList wizard(d_.wizard->Page4()->ComboBox1);
      AddEntryToAccountLists(wizard, editor, name);
    } else {
      NoEntryList none;
      AddEntryToAccountLists(none, editor, name);
    }
  };
}

char TariffEditor::Separator() const { return d_.form.Services().regional.decimalSeparator; }

std::string TariffEditor::Text(double value) const { return FloatToText(value, Separator()); }

void TariffEditor::FillDialUpEntries() {
  if (d_.wizard) ClearItemsKeepText(d_.wizard->Page4()->ComboBox1);
  ClearItemsKeepText(ComboBox1);
  d_.form.Dialer().GetEntries();
}

void TariffEditor::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  try {
    FillDialUpEntries();
  } catch (const std::exception&) {
    // Without the dial-up library the lists stay empty; the entry can
    // still be kept as it is.
  }
  raise();
  activateWindow();
}

void TariffEditor::Edit4Change() {
  if (Edit4->text() != QStringLiteral("0")) {
    Edit5->setText(QStringLiteral("0"));
    Edit5->setEnabled(false);
  } else {
    Edit5->setEnabled(true);
  }
}

void TariffEditor::Edit5Change() {
  if (Edit5->text() != QStringLiteral("0")) {
    Edit4->setText(QStringLiteral("0"));
    Edit4->setEnabled(false);
  } else {
    Edit4->setEnabled(true);
  }
}

void TariffEditor::LoadTariffIntoEditor(int i) {
  const AccountingCore& core = d_.form.Core();
  if (i < 0 || static_cast<size_t>(i) >= core.tariffs.size()) return;
  const TariffRecord t = core.tariffs[static_cast<size_t>(i)];
  Tag = i;
  edited_.Set(core.currentUser, i, t);
  try {
    FillDialUpEntries();
  } catch (const std::exception&) {
    // The entry name is shown as stored either way.
  }
  GroupBox2->setEnabled(true);
  Edit7->setEnabled(true);
  Edit8->setEnabled(true);
  Button2->setText(QStringLiteral("Übernehmen"));
  Edit1->setText(Q(t.Name));
  DateTimePicker1->SetValue(t.StartDate);
  Edit3->setText(Q(Text(t.PricePerMinute)));
  Edit4->setText(Q(Text(t.CostLimit)));
  Edit5->setText(Q(Text(t.TimeLimit)));
  const bool timeLimit = Text(t.TimeLimit) != "0";
  const bool costLimit = Text(t.CostLimit) != "0";
  Edit3->setEnabled(!timeLimit);
  Edit4->setEnabled(!timeLimit);
  Edit5->setEnabled(timeLimit || !costLimit);
  DateTimePicker2->SetValue(t.WindowFrom);
  DateTimePicker3->SetValue(t.WindowTo);
  ComboBox1->setEditText(Q(t.EntryName));
  Edit6->setText(Q(t.UserName));
  MaskEdit1->setText(Q(t.Password));
  CheckBox1->setChecked(t.InTotals);
  Edit7->setText(Q(Text(t.PeriodSeconds)));
  Edit8->setText(Q(Text(t.PeriodCosts)));
  Edit9->setText(Q(Text(t.DialInFee)));
}

TariffValues TariffEditor::ReadValues() const {
  const char sep = Separator();
  TariffValues v;
  v.Name = S(Edit1->text());
  v.StartDate = DateTimePicker1->Value();
  v.PricePerMinute = TextToFloat(S(Edit3->text()), sep);
  v.CostLimit = TextToFloat(S(Edit4->text()), sep);
  v.TimeLimit = TextToFloat(S(Edit5->text()), sep);
  v.WindowFrom = DateTimePicker2->Value();
  v.WindowTo = DateTimePicker3->Value();
  v.InTotals = CheckBox1->isChecked();
  v.EntryName = S(ComboBox1->currentText());
  v.UserName = S(Edit6->text());
  v.Password = S(MaskEdit1->text());
  v.PeriodSeconds = TextToFloat(S(Edit7->text()), sep);
  v.PeriodCosts = TextToFloat(S(Edit8->text()), sep);
  v.DialInFee = TextToFloat(S(Edit9->text()), sep);
  return v;
}

void TariffEditor::Button2Click() {
  AccountingCore& core = d_.form.Core();
  // Everything is read before anything changes: a field that is not a
  // number leaves the user's data as it was.
  const TariffValues values = ReadValues();
  int index = -1;
  if (Tag != -1) {
    index = edited_.Locate(core.currentUser, core.tariffs);
    if (index < 0) {
      ShowErrorBox(this, windowTitle(),
                   QStringLiteral("Der bearbeitete Tarif ist nicht mehr vorhanden. Es wurde nichts gespeichert."));
      return;
    }
  }
  if (core.tariffs.empty()) core.totals.OnlineSeconds = -1.0;
  const int stored = StoreTariff(core.tariffs, index, values);
  if (index == -1) d_.settings->ListBox1->addItem(Edit1->text());
  if (Tag != -1) {
    edited_.Set(core.currentUser, stored, core.tariffs[static_cast<size_t>(stored)]);
    core.SaveUser();  // a failure keeps the editor open in edit mode
    LeaveEditMode();
  }
  core.activeTariff = core.FindActiveTariff();
  core.RefreshOverview();
  d_.form.BuildDialMenu();
  if (index == -1) {
    // A new tariff is written at once, so a crash cannot take it. If that
    // fails it stays in memory and the next save takes it along.
    try {
      core.SaveUser();
    } catch (const std::exception& e) {
      ShowErrorBox(this, windowTitle(), QString::fromStdString(e.what()));
    }
  }
  close();
}

void TariffEditor::LeaveEditMode() {
  Button2->setText(QStringLiteral("Erstellen"));
  Tag = -1;
  edited_.Clear();
}

void TariffEditor::Button3Click() {
  if (Tag != -1) LeaveEditMode();
  close();
}

void TariffEditor::EnterCreateMode() {
  const bool editing = Tag != -1;
  LeaveEditMode();
  if (editing && isVisible()) close();
}

void TariffEditor::TariffRemoved(int index) { edited_.TariffRemoved(index); }

}  // namespace tarifuhr
