// SPDX-License-Identifier: MIT
#pragma once
// Shown once after the program's first start: the help or the settings.

#include <QDialog>

class QPushButton;

namespace tarifuhr {

class FirstStartDialog : public QDialog {
  Q_OBJECT
 public:
  FirstStartDialog();

 signals:
  // "Hilfe ansehen": the help file.
  void HelpRequested();
  // "zum Benutzerfenster wechseln": the settings dialog, modal.
  void SettingsRequested();

 private:
  void ShowHelp();      // "Hilfe ansehen"
  void OpenSettings();  // "zum Benutzerfenster wechseln"

  QPushButton* helpButton_;
  QPushButton* settingsButton_;
};

}  // namespace tarifuhr
