#include "ui/FirstStartDialog.h"

#include <QLabel>
#include <QVBoxLayout>

#include "ui/DialogSupport.h"
#include "ui/SettingsDialog.h"
#include "ui/MainWindow.h"

namespace tarifuhr {

FirstStartDialog::FirstStartDialog(Dialogs& dialogs) : QDialog(nullptr, Qt::Tool), d_(dialogs) {
  d_.firstStart = this;
  setWindowTitle(QStringLiteral("Start"));
  Button1 = new QPushButton(QStringLiteral("Hilfe ansehen"), this);
  Button2 = new QPushButton(QStringLiteral("zum Benutzerfenster wechseln"), this);
  Button1->setAutoDefault(false);
  Button2->setAutoDefault(false);
  auto* v = new QVBoxLayout(this);
  v->addWidget(new QLabel(QStringLiteral("Das Programm wurde zum ersten Mal gestartet. Was wollen Sie tun?"), this));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  v->addLayout(buttons);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void FirstStartDialog::Button1Click() {
  const std::string help = d_.form.HelpFilePath();
  if (!help.empty()) d_.form.Services().shell.Open(help);  // a failure is not reported
  close();
}

void FirstStartDialog::Button2Click() {
  d_.settings->exec();
  close();
}

}  // namespace tarifuhr
