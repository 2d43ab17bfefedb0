// SPDX-License-Identifier: MIT
#pragma once
// The user settings dialog: creates a user.

#include <QDialog>

#include "ui/Dialogs.h"

class QLineEdit;
class QPushButton;

namespace tarifuhr {

class UserDialog : public QDialog {
  Q_OBJECT
 public:
  explicit UserDialog(Dialogs& dialogs);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Create();  // "Erstellen"

  Dialogs& d_;
  QLineEdit* name_;
  QPushButton* createButton_;
  QPushButton* cancelButton_;
};

}  // namespace tarifuhr
