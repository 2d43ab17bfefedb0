#include "ui/UserDialog.h"

#include <QGridLayout>
#include <QLabel>

#include "ui/DialogSupport.h"
#include "ui/SettingsDialog.h"
#include "ui/MainWindow.h"

namespace tarifuhr {

UserDialog::UserDialog(Dialogs& dialogs)
    : QDialog(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), d_(dialogs) {
  d_.userSettings = this;
  setWindowTitle(QStringLiteral("Benutzer Einstellungen"));
  Edit1 = new QLineEdit(this);
  Edit1->setMinimumWidth(200);
  Button1 = new QPushButton(QStringLiteral("Erstellen"), this);
  Button2 = new QPushButton(QStringLiteral("Abbrechen"), this);
  Button1->setAutoDefault(false);
  Button2->setAutoDefault(false);
  auto* g = new QGridLayout(this);
  g->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
  g->addWidget(Edit1, 0, 1, 1, 2);
  g->addWidget(Button1, 1, 1);
  g->addWidget(Button2, 1, 2);
  connect(Button1, &QPushButton::clicked, this, [this] { Guarded(this, [this] { Button1Click(); }); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void UserDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Edit1->clear();
}

void UserDialog::Button1Click() {
  const CreateUserResult result = d_.form.Files().CreateUser(S(Edit1->text()));
  if (result.code != kCreateOk) {
    // Nothing was created: say why and let the user choose another name.
    ShowErrorBox(this, windowTitle(), Q(result.message));
    return;
  }
  if (!result.notice.empty()) d_.form.ShowError(result.notice);
  d_.settings->RefillUsers();
  close();
}

void UserDialog::Button2Click() { close(); }

}  // namespace tarifuhr
