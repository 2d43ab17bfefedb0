// SPDX-License-Identifier: MIT
#include "ui/UserDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/DialogSupport.h"
#include "ui/MainWindow.h"
#include "ui/SettingsDialog.h"

namespace tarifuhr {

UserDialog::UserDialog(Dialogs& dialogs)
    : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), d_(dialogs) {
  d_.userSettings = this;
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
  const CreateUserResult result = d_.form.Files().CreateUser(S(name_->text()));
  if (result.code != kCreateOk) {
    // Nothing was created: say why and let the user choose another name.
    ShowErrorBox(this, windowTitle(), Q(result.message));
    return;
  }
  if (!result.notice.empty()) d_.form.ShowError(result.notice);
  d_.settings->RefillUsers();
  close();
}

}  // namespace tarifuhr
