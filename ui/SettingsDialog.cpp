// SPDX-License-Identifier: MIT
#include "ui/SettingsDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

#include "accounting/AccountingCore.h"
#include "accounting/Formats.h"
#include "accounting/UserFiles.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "ui/DialogSupport.h"
#include "ui/MessageBoxes.h"

namespace tarifuhr {

SettingsDialog::SettingsDialog(AccountingCore& core, const UserFiles& files, DialogHost& host,
                               RegionalSettings regional)
    : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint),
      core_(core),
      files_(files),
      host_(host),
      regional_(std::move(regional)) {
  setWindowTitle(QStringLiteral("Einstellungen"));
  users_ = Named(new QComboBox(this), "users");
  users_->setEditable(true);
  users_->setInsertPolicy(QComboBox::NoInsert);
  users_->setMinimumWidth(240);
  MakePickOnly(users_);
  tariffs_ = Named(new QListWidget(this), "tariffs");
  const auto button = [this](const char* caption, const char* name, void (SettingsDialog::*handler)()) {
    auto* b = Named(new QPushButton(QString::fromUtf8(caption), this), name);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this,
            [this, handler] { Guarded(this, [this, handler] { (this->*handler)(); }); });
    return b;
  };
  addUserButton_ = button("Benutzer hinzufügen", "addUser", &SettingsDialog::AddUser);
  removeUserButton_ = button("Benutzer entfernen", "removeUser", &SettingsDialog::RemoveSelectedUser);
  addTariffButton_ = button("Tarif hinzufügen", "addTariff", &SettingsDialog::AddTariff);
  removeTariffButton_ = button("Tarif entfernen", "removeTariff", &SettingsDialog::RemoveSelectedTariff);
  tariffOptionsButton_ = button("Tarifoptionen", "tariffOptions", &SettingsDialog::EditSelectedTariff);
  closeButton_ = button("Schliessen", "close", &SettingsDialog::SaveAndClose);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Benutzerliste:"), this), 0, 0);
  grid->addWidget(users_, 1, 0);
  auto* userButtons = new QVBoxLayout;
  userButtons->addWidget(addUserButton_);
  userButtons->addWidget(removeUserButton_);
  grid->addLayout(userButtons, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("Tarifliste:"), this), 2, 0);
  grid->addWidget(tariffs_, 3, 0);
  auto* tariffButtons = new QVBoxLayout;
  tariffButtons->addWidget(addTariffButton_);
  tariffButtons->addWidget(removeTariffButton_);
  tariffButtons->addWidget(tariffOptionsButton_);
  tariffButtons->addStretch();
  grid->addLayout(tariffButtons, 3, 1);
  grid->addWidget(closeButton_, 4, 1);
  connect(users_, &QComboBox::activated, this, [this] { Guarded(this, [this] { SwitchUser(); }); });

  RefillUsers();
  // The user list file exists from now on, if empty.
  const std::string path = files_.UserListPath();
  try {
    if (!FileExists(path)) WriteFileAtomically(path, "");
  } catch (const FileError&) {
    // A program directory that cannot be written shows when a user is made.
  }
}

void SettingsDialog::RefillUsers() {
  const QString text = users_->currentText();
  users_->clear();
  for (const std::string& user : files_.ListUsers()) users_->addItem(Q(user));
  users_->setCurrentIndex(users_->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
  users_->setEditText(text);
}

void SettingsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  raise();
  activateWindow();
  const QString current = Q(core_.CurrentUser());
  const int found = users_->findText(current, Qt::MatchFixedString);  // letter case aside
  if (found < 0) return;
  users_->setCurrentIndex(found);
  users_->setEditText(current);
  ShowTariffNames();
}

void SettingsDialog::ShowTariffNames() {
  tariffs_->clear();
  for (const TariffRecord& t : core_.Tariffs()) tariffs_->addItem(Q(t.Name));
}

void SettingsDialog::AddTariffName(const QString& name) { tariffs_->addItem(name); }

void SettingsDialog::SwitchUser() {
  const int i = users_->currentIndex();
  if (i < 0) return;
  const std::string chosen = S(users_->itemText(i));
  if (chosen == core_.CurrentUser()) return;
  try {
    host_.SelectTariff(-1);  // the old user's selection means nothing now
    core_.SwitchUser(chosen);
  } catch (const std::exception&) {
    // Not switched: the list shows the user that is still the current one.
    users_->setCurrentIndex(
        users_->findText(Q(core_.CurrentUser()), Qt::MatchExactly | Qt::MatchCaseSensitive));
    users_->setEditText(Q(core_.CurrentUser()));
    throw;
  }
  ShowTariffNames();
}

void SettingsDialog::AddUser() { emit AddUserRequested(); }

void SettingsDialog::RemoveSelectedUser() {
  const int i = users_->currentIndex();
  if (i < 0) return;
  const std::string section = S(users_->itemText(i));
  const bool current = section == core_.CurrentUser();
  QString question = QStringLiteral("Den Benutzer „%1“ entfernen?").arg(Q(section));
  if (const std::string file = files_.DataFileOf(section); !file.empty())
    question += QStringLiteral(" Seine Datei „%1“ bleibt erhalten.").arg(Q(file));
  if (current)
    question += QStringLiteral(
        "\n\nBis ein anderer Benutzer gewählt ist, werden Verbindungen protokolliert, aber keinem Tarif "
        "berechnet.");
  if (!AskYesNo(this, QStringLiteral("Benutzer entfernen"), question)) return;
  {
    // The tick must not count into a user that is going.
    const TickPause pause(host_);
    if (const std::string notice = core_.RemoveUser(section); !notice.empty()) host_.ShowError(notice);
  }
  RefillUsers();
  tariffs_->clear();
  users_->setCurrentIndex(-1);
  users_->setEditText(QString());
  // Counting for nobody is meant to be short: the users left, to choose one.
  if (current && users_->count() > 0) {
    users_->setFocus();
    users_->showPopup();
  }
}

void SettingsDialog::AddTariff() {
  emit NewTariffStarted();
  if (users_->currentIndex() < 0) return;
  emit WizardRequested();
  ShowTariffNames();
}

void SettingsDialog::RemoveSelectedTariff() {
  const int row = tariffs_->currentRow();
  if (row < 0 || static_cast<size_t>(row) >= core_.Tariffs().size()) return;
  const TariffRecord& t = core_.Tariffs()[row];
  const std::string name = t.Name;
  const QString question =
      QStringLiteral("Den Tarif „%1“ mit %2 € und %3 Onlinezeit in diesem Zeitraum entfernen?")
          .arg(Q(name), Q(FormatMoney(t.PeriodCosts, regional_)), Q(FormatDuration(t.PeriodSeconds)));
  if (!AskYesNo(this, QStringLiteral("Tarif entfernen"), question)) return;
  // Only the tariff asked about goes, should the list have changed meanwhile.
  if (static_cast<size_t>(row) >= core_.Tariffs().size() || core_.Tariffs()[row].Name != name) return;
  // No tick may see the list while it is rearranged.
  const TickPause pause(host_);
  emit TariffRemoved(row);
  core_.RemoveTariffAt(row);
  ShowTariffNames();
}

void SettingsDialog::EditSelectedTariff() {
  const int row = tariffs_->currentRow();
  if (row < 0) return;
  emit EditTariffRequested(row);
}

void SettingsDialog::SaveAndClose() {
  core_.SaveUser();
  close();
}

}  // namespace tarifuhr
