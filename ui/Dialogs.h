// SPDX-License-Identifier: MIT
#pragma once
// The program's dialogs: created once at start-up, in their fixed order,
// hidden when closed and kept until the program ends. The dialogs know
// nothing of each other: where one starts another it emits a signal, and
// this set connects it, as it connects the main window's commands.

#include <memory>

namespace tarifuhr {

class MainWindow;
class AccountLists;
class SettingsDialog;
class TariffEditor;
class UserDialog;
class AboutDialog;
class TariffWizard;
class FirstStartDialog;
class ErrorReportDialog;
class StatisticsWindow;

// Owns the dialogs; destroy it before the main window.
class DialogSet {
 public:
  // Creates the dialogs in order and enables the main window's commands.
  explicit DialogSet(MainWindow& mainWindow);
  ~DialogSet();
  DialogSet(const DialogSet&) = delete;
  DialogSet& operator=(const DialogSet&) = delete;

  SettingsDialog& Settings() { return *settings_; }
  TariffEditor& Editor() { return *editor_; }
  UserDialog& UserSettings() { return *userSettings_; }
  AboutDialog& About() { return *about_; }
  TariffWizard& Wizard() { return *wizard_; }
  FirstStartDialog& FirstStart() { return *firstStart_; }
  ErrorReportDialog& ErrorReport() { return *errorReport_; }
  StatisticsWindow& Statistics() { return *statistics_; }

 private:
  // Where one dialog starts another.
  void ConnectDialogs();
  void ConnectCommands();

  MainWindow& mainWindow_;
  std::unique_ptr<AccountLists> accountLists_;
  std::unique_ptr<SettingsDialog> settings_;
  std::unique_ptr<TariffEditor> editor_;
  std::unique_ptr<UserDialog> userSettings_;
  std::unique_ptr<AboutDialog> about_;
  std::unique_ptr<TariffWizard> wizard_;
  std::unique_ptr<FirstStartDialog> firstStart_;
  std::unique_ptr<ErrorReportDialog> errorReport_;
  std::unique_ptr<StatisticsWindow> statistics_;
};

}  // namespace tarifuhr
