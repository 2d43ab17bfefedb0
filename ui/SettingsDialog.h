// SPDX-License-Identifier: MIT
#pragma once
// The settings dialog: the users of the PC and the current user's tariffs.

#include <QDialog>

#include "platform/RegionalSettings.h"
#include "ui/DialogHost.h"

class QComboBox;
class QListWidget;
class QPushButton;

namespace tarifuhr {

class AccountingCore;
class UserFiles;

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  SettingsDialog(AccountingCore& core, const UserFiles& files, DialogHost& host, RegionalSettings regional);

  // The tariff list := the names of the current user's tariffs.
  void ShowTariffNames();
  // The user list := the users of the user list file.
  void RefillUsers();
  // A tariff just made, at the end of the tariff list, as it was typed.
  void AddTariffName(const QString& name);

 signals:
  // "Benutzer hinzufügen": the user dialog, modal.
  void AddUserRequested();
  // "Tarif hinzufügen" begins: an edit open in the editor is dropped.
  void NewTariffStarted();
  // The wizard, modal; the tariff list is shown again after it.
  void WizardRequested();
  // Tariff `index` of the current user is about to go.
  void TariffRemoved(int index);
  // "Tarifoptionen": the editor with tariff `index`, modal.
  void EditTariffRequested(int index);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Makes the user chosen in the list the current one.
  void SwitchUser();
  void AddTariff();             // "Tarif hinzufügen"
  void RemoveSelectedTariff();  // "Tarif entfernen", once asked
  void AddUser();               // "Benutzer hinzufügen"
  void RemoveSelectedUser();    // "Benutzer entfernen", once asked
  void EditSelectedTariff();    // "Tarifoptionen"
  void SaveAndClose();          // "Schliessen"

  AccountingCore& core_;
  const UserFiles& files_;
  DialogHost& host_;
  RegionalSettings regional_;
  QComboBox* users_;
  QListWidget* tariffs_;
  QPushButton* addUserButton_;
  QPushButton* removeUserButton_;
  QPushButton* addTariffButton_;
  QPushButton* removeTariffButton_;
  QPushButton* tariffOptionsButton_;
  QPushButton* closeButton_;
};

}  // namespace tarifuhr
