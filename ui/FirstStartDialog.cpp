// SPDX-License-Identifier: MIT
#include "ui/FirstStartDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/DialogSupport.h"

namespace tarifuhr {

FirstStartDialog::FirstStartDialog() : QDialog(nullptr, Qt::Tool) {
  setWindowTitle(QStringLiteral("Start"));
  helpButton_ = Named(new QPushButton(QStringLiteral("Hilfe ansehen"), this), "help");
  settingsButton_ = Named(new QPushButton(QStringLiteral("zum Benutzerfenster wechseln"), this), "settings");
  helpButton_->setAutoDefault(false);
  settingsButton_->setAutoDefault(false);
  auto* v = new QVBoxLayout(this);
  v->addWidget(
      new QLabel(QStringLiteral("Das Programm wurde zum ersten Mal gestartet. Was wollen Sie tun?"), this));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(helpButton_);
  buttons->addWidget(settingsButton_);
  v->addLayout(buttons);
  connect(helpButton_, &QPushButton::clicked, this, [this] { ShowHelp(); });
  connect(settingsButton_, &QPushButton::clicked, this, [this] { OpenSettings(); });
}

void FirstStartDialog::ShowHelp() {
  emit HelpRequested();
  close();
}

void FirstStartDialog::OpenSettings() {
  emit SettingsRequested();
  close();
}

}  // namespace tarifuhr
