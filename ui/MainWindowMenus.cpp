// SPDX-License-Identifier: MIT
// The main window's menus: the strip's (also the tray's) and the
// overview's, the items both have, the dial items of the current user's
// tariffs, and the commands of the dialogs.
#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>

#include "accounting/ChargingRules.h"
#include "accounting/Formats.h"
#include "platform/Files.h"
#include "platform/ProgramIdentity.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"

namespace tarifuhr {

QAction* MainWindow::AddItem(QMenu* menu, const QString& caption, std::function<void()> handler) {
  QAction* a = menu->addAction(caption);
  connect(a, &QAction::triggered, this, [this, handler] { Guarded(this, handler); });
  return a;
}

MainWindow::MenuItems MainWindow::AddCommonItems(QMenu* menu, const QString& userSettingsCaption,
                                                 QAction* tariffSettings) {
  MenuItems items;
  items.hangUp = AddItem(menu, "Verbindung trennen", [this] { HangUpOpenConnection(); });
  items.hangUp->setEnabled(false);
  // The connection may have come or gone since the last snapshot.
  connect(menu, &QMenu::aboutToShow, this, [this] { UpdateHangUpItems(); });
  menu->addSeparator();
  items.userSettings = AddItem(menu, userSettingsCaption, [this] { commands_[Command::UserSettings](); });
  commandItems_[Command::UserSettings].push_back(items.userSettings);
  menu->addSeparator();
  if (tariffSettings) {
    menu->addAction(tariffSettings);
    menu->addSeparator();
  }
  items.statistics = AddItem(menu, "Statistik", [this] { commands_[Command::Statistics](); });
  commandItems_[Command::Statistics].push_back(items.statistics);
  items.errorReport = AddItem(menu, "Fehlerbericht erstellen", [this] { commands_[Command::ErrorReport](); });
  commandItems_[Command::ErrorReport].push_back(items.errorReport);
  items.help = AddItem(menu, "Hilfe", [this] { ShowHelp(); });
  items.help->setShortcut(Qt::Key_F1);
  menu->addSeparator();
  items.showHide = AddItem(menu, "Verbergen", [this] { ToggleShown(); });
  // A checkable item has toggled when its handler runs: the new mark is the wish.
  QAction* autostart = items.autostart = menu->addAction(QStringLiteral("Autostart"));
  autostart->setCheckable(true);
  connect(autostart, &QAction::triggered, this,
          [this, autostart] { Guarded(this, [this, autostart] { SetAutostart(autostart->isChecked()); }); });
  QAction* warnings = items.warnings = menu->addAction(QStringLiteral("Warnungen"));
  warnings->setCheckable(true);
  warnings->setChecked(true);
  connect(warnings, &QAction::triggered, this,
          [this, warnings] { Guarded(this, [this, warnings] { SetWarnings(warnings->isChecked()); }); });
  items.about = AddItem(menu, "About", [this] { commands_[Command::About](); });
  commandItems_[Command::About].push_back(items.about);
  menu->addSeparator();
  return items;
}

QMenu* MainWindow::CreateStripMenu() {
  auto* m = new QMenu(this);
  // The dial items go in front of the first separator.
  m->addSeparator();
  dialItemsEnd_ = m->addSeparator();
  stripItems_ = AddCommonItems(m, "Benutzer-Einstelllungen");
  stripItems_.quit = AddItem(m, "Beende", [this] { Quit(); });
  return m;
}

QMenu* MainWindow::CreateOverviewMenu() {
  auto* m = new QMenu(this);
  m->addSeparator();
  tariffSettingsItem_ = new QAction(QStringLiteral("Tarif-Einstellungen"), m);
  connect(tariffSettingsItem_, &QAction::triggered, this,
          [this] { Guarded(this, [this] { EditSelectedTariff(); }); });
  commandItems_[Command::TariffSettings].push_back(tariffSettingsItem_);
  overviewItems_ = AddCommonItems(m, "Benutzer-Einstellungen", tariffSettingsItem_);
  overviewItems_.quit = AddItem(m, "Beenden", [this] { Quit(); });
  for (const auto& [command, items] : commandItems_)
    for (QAction* a : items) a->setEnabled(false);
  return m;
}

void MainWindow::SetCommand(Command command, std::function<void()> handler) {
  commands_[command] = std::move(handler);
  for (QAction* a : commandItems_[command]) a->setEnabled(static_cast<bool>(commands_[command]));
}

void MainWindow::BuildDialMenu() {
  for (QAction* a : dialItems_) {
    stripMenu_->removeAction(a);
    delete a;
  }
  dialItems_.clear();
  const auto& tariffs = core_ ? core_->Tariffs() : std::vector<TariffRecord>{};

  for (size_t i = 0; i < tariffs.size(); ++i) {
    const QString caption =
        (QString::fromStdString(OneLine(tariffs[i].Name)) + QStringLiteral(" wählen...")).left(30);
    auto* a = new QAction(caption, stripMenu_);
    a->setData(static_cast<int>(i));  // the tariff's index, as the item's Tag
    const int index = static_cast<int>(i);
    connect(a, &QAction::triggered, this, [this, index] { DialTariff(index); });
    a->setEnabled(!Dialling());
    stripMenu_->insertAction(dialItemsEnd_, a);
    dialItems_.push_back(a);
  }
}

void MainWindow::HangUpOpenConnection() {
  try {
    core_->HangUpOpenConnection();
  } catch (const HangUpError& e) {
    // Not modal: the tick must go on counting the connection that stayed.
    ShowMessageBoxLater(this, QMessageBox::Warning, QStringLiteral("Tarifuhr"),
                        QString::fromStdString(e.what()));
  }
  UpdateHangUpItems();
}

void MainWindow::UpdateHangUpItems() {
  const bool on = core_ && core_->CanHangUpOpenConnection();
  stripItems_.hangUp->setEnabled(on);
  overviewItems_.hangUp->setEnabled(on);
}

void MainWindow::DialTariff(int i) {
  // One dial at a time: another would hang up the one under way.
  if (Dialling()) return;
  try {
    const auto& tariffs = core_->Tariffs();
    if (i < 0 || static_cast<size_t>(i) >= tariffs.size()) return;
    const TariffRecord t = tariffs[static_cast<size_t>(i)];
    if (IsOutsideTimeWindow(t, services_.clock.Now()) && i == core_->ActiveTariff()) return;
    // Dialling it again would hang the connection up and start a new one.
    const std::string connected = core_->ConnectedEntryOfTariff(i);
    if (!connected.empty()) {
      ShowMessageBoxLater(this, QMessageBox::Information, QStringLiteral("Tarifuhr"),
                          QString::fromStdString("Die Verbindung „" + connected + "“ besteht bereits."));
      return;
    }
    if (!AcceptedDespiteUsedUp(i, t)) return;
    dialUp_->SetEntry(t.EntryName);
    dialUp_->SetUserName(t.UserName);
    dialUp_->SetPassword(t.Password);
    dialling_ = true;
    dialEntry_ = OneLine(t.EntryName);
    for (QAction* a : dialItems_) a->setEnabled(false);
    tariffLabel_->setText(QString::fromStdString("Wähle " + dialEntry_ + " …"));
    // Returns once the dial is under way; the steps and the end come to
    // OnDialStep, and the tick notices the connection.
    if (const uint32_t code = dialUp_->Dial(); code != 0) EndDial(code, dialUp_->StatusText(0, code));
  } catch (const std::exception&) {
    // Dial reports its failures by its result; what throws is the binding
    // of a missing dial-up library, and the strip staying offline shows it.
    if (Dialling()) EndDial(0, {});
  }
}

bool MainWindow::AcceptedDespiteUsedUp(int index, const TariffRecord& t) {
  std::string used;
  if (t.HangUpWhenVolumeUsed && IsVolumeUsedUp(t))
    used = "Das Datenvolumen";
  else if (t.HangUpWhenBudgetUsed && IsBudgetUsedUp(t))
    used = "Das Budget";
  else
    return true;
  // Else the connection would be cut again in its first second.
  if (!AskYesNo(
          this, QStringLiteral("Tarifuhr"),
          QString::fromStdString(used + " von „" + OneLine(t.Name) + "“ ist verbraucht. Trotzdem wählen?")))
    return false;
  core_->AcceptUsedUp(index);
  return true;
}

void MainWindow::OnDialStep(uint32_t state, uint32_t error, const std::string& text) {
  if (!Dialling()) return;  // a dial already ended has nothing more to say
  if (error != 0)
    EndDial(error, text);
  else if (state == ras::kConnected || state == ras::kDisconnected)
    EndDial(0, {});
  else if (!text.empty())
    tariffLabel_->setText(QString::fromStdString(text));
}

void MainWindow::EndDial(uint32_t error, const std::string& text) {
  dialling_ = false;
  for (QAction* a : dialItems_) a->setEnabled(true);
  tariffLabel_->setText(coreCaption_);
  if (error == 0) return;
  const std::string why = text.empty() ? "Fehler " + std::to_string(error) : text;
  ShowMessageBoxLater(this, QMessageBox::Warning, QStringLiteral("Tarifuhr"),
                      QString::fromStdString("„" + dialEntry_ + "“ konnte nicht verbunden werden: " + why));
}

void MainWindow::SetAutostart(bool on) {
  try {
    if (on)
      services_.registry.WriteString(kRunKey, kAutostartValue, services_.executablePath);
    else
      services_.registry.DeleteValue(kRunKey, kAutostartValue);
  } catch (const RegistryError&) {
    UpdateAutostartChecks();  // the marks keep showing what is stored
    throw;
  }
  UpdateAutostartChecks();
}

void MainWindow::SetWarnings(bool on) {
  try {
    core_->SetWarningsOn(on);
  } catch (const RegistryError&) {
    UpdateWarningChecks();  // the marks keep showing what counts
    throw;
  }
  UpdateWarningChecks();
}

void MainWindow::UpdateWarningChecks() {
  stripItems_.warnings->setChecked(core_->WarningsOn());
  overviewItems_.warnings->setChecked(core_->WarningsOn());
}

void MainWindow::UpdateAutostartChecks() {
  const bool on = services_.registry.ValueExists(kRunKey, kAutostartValue);
  stripItems_.autostart->setChecked(on);
  overviewItems_.autostart->setChecked(on);
}

std::string MainWindow::HelpFilePath() const {
  const std::string exeDir = DirName(services_.executablePath);
  for (const std::string& dir : {services_.programDir, exeDir, exeDir + "/../share/tarifuhr"}) {
    const std::string path = JoinPath(dir, "tarifuhr.html");
    if (FileExists(path)) return path;
  }
  return {};
}

void MainWindow::ShowHelp() {
  const std::string help = HelpFilePath();
  if (!help.empty()) services_.shell.Open(help);
}

void MainWindow::EditSelectedTariff() {
  if (SelectedTariff() < 0 || !commands_[Command::TariffSettings]) return;
  commands_[Command::TariffSettings]();
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) { stripMenu_->popup(event->globalPos()); }

void MainWindow::UpdateShowHideCaption() {
  const QString caption = IsStripHidden() ? QStringLiteral("Anzeigen") : QStringLiteral("Verbergen");
  stripItems_.showHide->setText(caption);
  overviewItems_.showHide->setText(caption);
}

void MainWindow::ShowFirstStartDialog() {
  if (commands_[Command::FirstStart]) commands_[Command::FirstStart]();
}

}  // namespace tarifuhr
