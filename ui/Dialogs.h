// SPDX-License-Identifier: MIT
#pragma once
// The program's dialogs: created once at start-up, in their fixed order,
// hidden when closed and kept until the program ends. Each dialog reaches
// the others and the main window through this set.

#include <memory>

namespace tarifuhr {

class MainWindow;
class SettingsDialog;
class TariffEditor;
class UserDialog;
class AboutDialog;
class TariffWizard;
class FirstStartDialog;
class ErrorReportDialog;
class StatisticsWindow;

struct Dialogs {
  explicit Dialogs(MainWindow& mainWindow) : form(mainWindow) {}
  MainWindow& form;
  SettingsDialog* settings = nullptr;
  TariffEditor* editor = nullptr;
  UserDialog* userSettings = nullptr;
  AboutDialog* about = nullptr;
  TariffWizard* wizard = nullptr;
  FirstStartDialog* firstStart = nullptr;
  ErrorReportDialog* errorReport = nullptr;
  StatisticsWindow* statistics = nullptr;
};

// Owns the dialogs; destroy it before the main window.
class DialogSet {
 public:
  // Creates the dialogs in order and enables the main window's commands.
  explicit DialogSet(MainWindow& form);
  ~DialogSet();
  DialogSet(const DialogSet&) = delete;
  DialogSet& operator=(const DialogSet&) = delete;

  Dialogs& Get() { return dialogs_; }
  SettingsDialog& Settings() { return *settings_; }
  TariffEditor& Editor() { return *editor_; }
  UserDialog& UserSettings() { return *userSettings_; }
  AboutDialog& About() { return *about_; }
  TariffWizard& Wizard() { return *wizard_; }
  FirstStartDialog& FirstStart() { return *firstStart_; }
  ErrorReportDialog& ErrorReport() { return *errorReport_; }
  StatisticsWindow& Statistics() { return *statistics_; }

 private:
  Dialogs dialogs_;
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
