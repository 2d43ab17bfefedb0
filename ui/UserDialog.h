#pragma once
// The user settings dialog: creates a user.

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include "ui/Dialogs.h"

namespace tarifuhr {

class UserDialog : public QDialog {
  Q_OBJECT
 public:
  explicit UserDialog(Dialogs& dialogs);
  void Button1Click();  // "Erstellen"
  void Button2Click();  // "Abbrechen"

  QLineEdit* Edit1;
  QPushButton* Button1;
  QPushButton* Button2;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Dialogs& d_;
};

}  // namespace tarifuhr
