// SPDX-License-Identifier: MIT
#pragma once
// The settings dialog: the users of the PC and the current user's tariffs.

#include <QDialog>

#include "ui/Dialogs.h"

class QComboBox;
class QListWidget;
class QPushButton;

namespace tarifuhr {

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SettingsDialog(Dialogs& dialogs);

  // The tariff list := the names of the current user's tariffs.
  void ShowTariffNames();
  // The user list := the users of the user list file.
  void RefillUsers();
  // A tariff just made, at the end of the tariff list, as it was typed.
  void AddTariffName(const QString& name);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Makes the user chosen in the list the current one.
  void SwitchUser();
  void AddTariff();             // "Tarif hinzufügen"
  void RemoveSelectedTariff();  // "Tarif entfernen"
  void AddUser();               // "Benutzer hinzufügen"
  void RemoveSelectedUser();    // "Benutzer entfernen"
  void EditSelectedTariff();    // "Tarifoptionen"
  void SaveAndClose();          // "Schliessen"

  Dialogs& d_;
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
