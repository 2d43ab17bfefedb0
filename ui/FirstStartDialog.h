#pragma once
// Shown once after the program's first start: the help or the settings.

#include <QDialog>
#include <QPushButton>

#include "ui/Dialogs.h"

namespace tarifuhr {

class FirstStartDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FirstStartDialog(Dialogs& dialogs);
  void Button1Click();  // "Hilfe ansehen"
  void Button2Click();  // "zum Benutzerfenster wechseln"

  QPushButton* Button1;
  QPushButton* Button2;

 private:
  Dialogs& d_;
};

}  // namespace tarifuhr
