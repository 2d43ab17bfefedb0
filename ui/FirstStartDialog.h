// SPDX-License-Identifier: MIT
#pragma once
// Shown once after the program's first start: the help or the settings.

#include <QDialog>

#include "ui/Dialogs.h"

class QPushButton;

namespace tarifuhr {

class FirstStartDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FirstStartDialog(Dialogs& dialogs);

 private:
  void ShowHelp();      // "Hilfe ansehen"
  void OpenSettings();  // "zum Benutzerfenster wechseln"

  Dialogs& d_;
  QPushButton* helpButton_;
  QPushButton* settingsButton_;
};

}  // namespace tarifuhr
