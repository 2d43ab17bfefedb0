// SPDX-License-Identifier: MIT
#include "ui/Dialogs.h"

#include "ui/AboutDialog.h"
#include "ui/ErrorReportDialog.h"
#include "ui/FirstStartDialog.h"
#include "ui/MainWindow.h"
#include "ui/SettingsDialog.h"
#include "ui/StatisticsWindow.h"
#include "ui/TariffEditor.h"
#include "ui/TariffWizard.h"
#include "ui/UserDialog.h"

namespace tarifuhr {

DialogSet::DialogSet(MainWindow& form) : dialogs_(form) {
  // Created in this order: each may reach those made before it.
  settings_ = std::make_unique<SettingsDialog>(dialogs_);
  editor_ = std::make_unique<TariffEditor>(dialogs_);
  userSettings_ = std::make_unique<UserDialog>(dialogs_);
  about_ = std::make_unique<AboutDialog>(dialogs_);
  wizard_ = std::make_unique<TariffWizard>(dialogs_);
  firstStart_ = std::make_unique<FirstStartDialog>(dialogs_);
  errorReport_ = std::make_unique<ErrorReportDialog>(dialogs_);
  statistics_ = std::make_unique<StatisticsWindow>(dialogs_);

  form.SetCommand(MainWindow::Command::UserSettings, [this] { settings_->show(); });
  form.SetCommand(MainWindow::Command::TariffSettings, [this, &form] {
    editor_->Load(form.SelectedTariff());
    editor_->show();
  });
  form.SetCommand(MainWindow::Command::Statistics, [this] { statistics_->Open(); });
  form.SetCommand(MainWindow::Command::About, [this] { about_->show(); });
  form.SetCommand(MainWindow::Command::FirstStart, [this] { firstStart_->show(); });
  form.SetCommand(MainWindow::Command::ErrorReport, [this] {
    errorReport_->Reset();
    errorReport_->show();
  });
}

DialogSet::~DialogSet() {
  // The entry handler reaches into the editor.
  dialogs_.form.Dialer().OnEntryGet = nullptr;
  for (auto command : {MainWindow::Command::UserSettings, MainWindow::Command::TariffSettings,
                       MainWindow::Command::Statistics, MainWindow::Command::About,
                       MainWindow::Command::FirstStart, MainWindow::Command::ErrorReport})
    dialogs_.form.SetCommand(command, {});
}

}  // namespace tarifuhr
