// SPDX-License-Identifier: MIT
#pragma once
// The user settings dialog: creates a user.

#include <QDialog>

#include "ui/DialogHost.h"

class QLineEdit;
class QPushButton;

namespace tarifuhr {

class UserFiles;

class UserDialog : public QDialog {
  Q_OBJECT
 public:
  UserDialog(const UserFiles& files, DialogHost& host);

 signals:
  // A user was made: the user list is read again.
  void UserCreated();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Create();  // "Erstellen"

  const UserFiles& files_;
  DialogHost& host_;
  QLineEdit* name_;
  QPushButton* createButton_;
  QPushButton* cancelButton_;
};

}  // namespace tarifuhr
