// SPDX-License-Identifier: MIT
#include "ui/UserDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "accounting/UserFiles.h"
#include "ui/DialogSupport.h"
#include "ui/MessageBoxes.h"

namespace tarifuhr {

UserDialog::UserDialog(const UserFiles& files, DialogHost& host)
    : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), files_(files), host_(host) {
  setWindowTitle(QStringLiteral("Benutzer Einstellungen"));
  name_ = Named(new QLineEdit(this), "name");
  name_->setMinimumWidth(200);
  createButton_ = Named(new QPushButton(QStringLiteral("Erstellen"), this), "create");
  cancelButton_ = Named(new QPushButton(QStringLiteral("Abbrechen"), this), "cancel");
  createButton_->setAutoDefault(false);
  cancelButton_->setAutoDefault(false);
  auto* g = new QGridLayout(this);
  g->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
  g->addWidget(name_, 0, 1, 1, 2);
  g->addWidget(createButton_, 1, 1);
  g->addWidget(cancelButton_, 1, 2);
  connect(createButton_, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Create(); }); });
  connect(cancelButton_, &QPushButton::clicked, this, [this] { close(); });
}

void UserDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  name_->clear();
}

void UserDialog::Create() {
  const CreateUserResult result = files_.CreateUser(S(name_->text()));
  if (result.code != kCreateOk) {
    // Nothing was created: say why and let the user choose another name.
    ShowErrorBox(this, windowTitle(), Q(result.message));
    return;
  }
  if (!result.notice.empty()) host_.ShowError(result.notice);
  emit UserCreated();
  close();
}

}  // namespace tarifuhr
