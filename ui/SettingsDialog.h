#pragma once
// The settings dialog: the users of the PC and the current user's tariffs.

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include "ui/Dialogs.h"

namespace tarifuhr {

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SettingsDialog(Dialogs& dialogs);

  // Fills the user list from the user list file.
  void FormCreate();
  void ComboBox1Change();
  void Button1Click();  // "Tarif hinzufügen"
  void Button2Click();  // "Tarif entfernen"
  void Button3Click();  // "Benutzer hinzufügen"
  void Button4Click();  // "Benutzer entfernen"
  void Button5Click();  // "Tarifoptionen"
  void Button6Click();  // "Schliessen"

  // ListBox1 := the names of the current user's tariffs.
  void ShowTariffNames();
  // ComboBox1's items := the users of the user list file.
  void RefillUsers();

  QComboBox* ComboBox1;
  QListWidget* ListBox1;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button3;
  QPushButton* Button4;
  QPushButton* Button5;
  QPushButton* Button6;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void RestartTimer();
  void LeaveRemovedCurrentUser();

  Dialogs& d_;
};

}  // namespace tarifuhr
