#include "ui/SettingsDialog.h"

#include <QGridLayout>
#include <QLabel>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "ui/DialogSupport.h"
#include "ui/UserDialog.h"
#include "ui/MainWindow.h"
#include "ui/TariffWizard.h"
#include "ui/TariffEditor.h"

namespace tarifuhr {

SettingsDialog::SettingsDialog(Dialogs& dialogs)
    : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), d_(dialogs) {
  d_.settings = this;
  setWindowTitle(QStringLiteral("Einstellungen"));
  ComboBox1 = new QComboBox(this);
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->setMinimumWidth(240);
  MakePickOnly(ComboBox1);
  ListBox1 = new QListWidget(this);
  Button3 = new QPushButton(QStringLiteral("Benutzer hinzufügen"), this);
  Button4 = new QPushButton(QStringLiteral("Benutzer entfernen"), this);
  Button1 = new QPushButton(QStringLiteral("Tarif hinzufügen"), this);
  Button2 = new QPushButton(QStringLiteral("Tarif entfernen"), this);
  Button5 = new QPushButton(QStringLiteral("Tarifoptionen"), this);
  Button6 = new QPushButton(QStringLiteral("Schliessen"), this);
  for (QPushButton* b : {Button1, Button2, Button3, Button4, Button5, Button6}) b->setAutoDefault(false);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Benutzerliste:"), this), 0, 0);
  grid->addWidget(ComboBox1, 1, 0);
  auto* userButtons = new QVBoxLayout;
  userButtons->addWidget(Button3);
  userButtons->addWidget(Button4);
  grid->addLayout(userButtons, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Tarifliste:"), this), 2, 0);
  grid->addWidget(ListBox1, 3, 0);
  auto* tariffButtons = new QVBoxLayout;
  tariffButtons->addWidget(Button1);
  tariffButtons->addWidget(Button2);
  tariffButtons->addWidget(Button5);
  tariffButtons->addStretch();
  grid->addLayout(tariffButtons, 3, 1);
  grid->addWidget(Button6, 4, 1);

  connect(ComboBox1, &QComboBox::activated, this, [this] { Guarded(this, [this] { ComboBox1Change(); }); });
  const auto bind = [this](QPushButton* b, void (SettingsDialog::*handler)()) {
    connect(b, &QPushButton::clicked, this, [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); });
  };
  bind(Button1, &SettingsDialog::Button1Click);
  bind(Button2, &SettingsDialog::Button2Click);
  bind(Button3, &SettingsDialog::Button3Click);
  bind(Button4, &SettingsDialog::Button4Click);
  bind(Button5, &SettingsDialog::Button5Click);
  bind(Button6, &SettingsDialog::Button6Click);
  FormCreate();
}

void SettingsDialog::FormCreate() {
  RefillUsers();
  // The user list file exists from now on, if empty.
  const std::string path = d_.form.Files().UserListPath();
  try {
    if (!FileExists(path)) WriteFileAtomically(path, "");
  } catch (const FileError&) {
    // A program directory that cannot be written shows when a user is made.
  }
}

void SettingsDialog::RefillUsers() {
  const QString text = ComboBox1->currentText();
  ComboBox1->clear();
  for (const std::string& user : d_.form.Files().ListUsers()) ComboBox1->addItem(Q(user));
  ComboBox1->setCurrentIndex(ComboBox1->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
  ComboBox1->setEditText(text);
}

void SettingsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  raise();
  activateWindow();
  const QString current = Q(d_.form.Core().currentUser);
  const int found = ComboBox1->findText(current, Qt::MatchFixedString);  // letter case aside
  if (found < 0) return;
  ComboBox1->setCurrentIndex(found);
  ComboBox1->setEditText(current);
  ShowTariffNames();
}

void SettingsDialog::ShowTariffNames() {
  ListBox1->clear();
  for (const TariffRecord& t : d_.form.Core().tariffs) ListBox1->addItem(Q(t.Name));
}

void SettingsDialog::ComboBox1Change() {
  AccountingCore& core = d_.form.Core();
  const int i = ComboBox1->currentIndex();
  if (i < 0) return;
  const std::string chosen = S(ComboBox1->itemText(i));
  if (chosen == core.currentUser) return;
  try {
    core.SaveUser();  // the old user's latest figures
  } catch (...) {
    // Not switched: the old user's figures stay in memory to be saved later.
    ComboBox1->setCurrentIndex(ComboBox1->findText(Q(core.currentUser), Qt::MatchExactly | Qt::MatchCaseSensitive));
    ComboBox1->setEditText(Q(core.currentUser));
    throw;
  }
  core.LoadUser(chosen);
  d_.form.SelectTariff(-1);  // the old user's selection means nothing now
  core.RefreshOverview();
  ShowTariffNames();
  try {
    d_.form.Services().registry.WriteString(kTarifuhrKey, "currentuser", chosen);
  } catch (const RegistryError&) {
    // The switch has happened; only the next start will not know it.
  }
  d_.form.BuildDialMenu();
}

void SettingsDialog::Button3Click() { d_.userSettings->exec(); }

void SettingsDialog::Button4Click() {
  const int i = ComboBox1->currentIndex();
  if (i < 0) return;
  const std::string section = S(ComboBox1->itemText(i));
  if (section == d_.form.Core().currentUser) {
    LeaveRemovedCurrentUser();
  } else {
    // The data file stays on disk.
    if (const std::string notice = d_.form.Files().RemoveUser(section); !notice.empty())
      d_.form.ShowError(notice);
  }
  RefillUsers();
  ListBox1->clear();
  ComboBox1->setCurrentIndex(-1);
  ComboBox1->setEditText(QString());
}

void SettingsDialog::LeaveRemovedCurrentUser() {
  // Counting on into a user whose section is gone would be lost with every
  // save: save what was counted, then go on with no user.
  AccountingCore& core = d_.form.Core();
  d_.form.PauseTick();
  try {
    core.SaveUser();
  } catch (...) {
    RestartTimer();
    throw;  // nothing removed, nothing lost
  }
  if (const std::string notice = d_.form.Files().RemoveUser(core.currentUser); !notice.empty())
    d_.form.ShowError(notice);
  core.LoadUser("");
  core.totals = {};
  core.RefreshOverview();
  d_.form.BuildDialMenu();
  try {
    d_.form.Services().registry.WriteString(kTarifuhrKey, "currentuser", "");
  } catch (const RegistryError&) {
    // An unknown user at the next start loads nothing as well.
  }
  RestartTimer();
}

void SettingsDialog::Button1Click() {
  d_.editor->EnterCreateMode();
  if (ComboBox1->currentIndex() < 0) return;
  d_.wizard->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  d_.wizard->exec();
  ShowTariffNames();
}

void SettingsDialog::RestartTimer() { d_.form.ResumeTick(); }

void SettingsDialog::Button2Click() {
  const int row = ListBox1->currentRow();
  if (row < 0) return;
  AccountingCore& core = d_.form.Core();
  // No tick may see the list while it is rearranged.
  d_.form.PauseTick();
  struct Restart {
    SettingsDialog* self;
    ~Restart() { self->RestartTimer(); }
  } restart{this};
  RemoveTariff(core.tariffs, row);
  d_.editor->TariffRemoved(row);
  core.activeTariff = core.FindActiveTariff();
  ShowTariffNames();
  core.RefreshOverview();
  // The dial items carry tariff indices: none may dial a removed tariff.
  d_.form.BuildDialMenu();
  core.SaveUser();
}

void SettingsDialog::Button5Click() {
  const int row = ListBox1->currentRow();
  if (row < 0) return;
  d_.editor->LoadTariffIntoEditor(row);
  d_.editor->exec();
}

void SettingsDialog::Button6Click() {
  d_.form.Core().SaveUser();
  close();
}

}  // namespace tarifuhr
