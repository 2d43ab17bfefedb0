// SPDX-License-Identifier: MIT
#include "ui/Dialogs.h"

#include "ui/AboutDialog.h"
#include "ui/AccountLists.h"
#include "ui/ErrorReportDialog.h"
#include "ui/FirstStartDialog.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/ScreenFit.h"
#include "ui/SettingsDialog.h"
#include "ui/StatisticsWindow.h"
#include "ui/TariffEditor.h"
#include "ui/TariffWizard.h"
#include "ui/UserDialog.h"

namespace tarifuhr {
namespace {

// The strip stays above every other window: a dialog of the program must
// stay above it, or the strip would cover its buttons.
void KeepAbove(QWidget& dialog, const QWidget& strip) {
  if (strip.windowFlags() & Qt::WindowStaysOnTopHint) dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

// A dialog opened again comes to the front, above a strip clicked since.
void Present(QWidget& dialog) {
  dialog.show();
  dialog.raise();
  dialog.activateWindow();
}

}  // namespace

DialogSet::DialogSet(MainWindow& mainWindow) : mainWindow_(mainWindow) {
  const ProgramServices& services = mainWindow.Services();
  AccountingCore& core = mainWindow.Core();
  accountLists_ = std::make_unique<AccountLists>(mainWindow.Dialer());
  // Created in this order: the editor's account box is filled from the
  // start, the wizard's from its creation on.
  settings_ = std::make_unique<SettingsDialog>(core, mainWindow.Files(), mainWindow, services.regional);
  editor_ = std::make_unique<TariffEditor>(core, services.clock, services.regional, *accountLists_);
  userSettings_ = std::make_unique<UserDialog>(mainWindow.Files(), mainWindow);
  about_ = std::make_unique<AboutDialog>(services.shell);
  wizard_ = std::make_unique<TariffWizard>(services.clock, services.regional, *accountLists_);
  firstStart_ = std::make_unique<FirstStartDialog>();
  errorReport_ =
      std::make_unique<ErrorReportDialog>(services.internetState, services.registry, services.shell);
  statistics_ = std::make_unique<StatisticsWindow>(core, mainWindow);
  for (QWidget* dialog : std::initializer_list<QWidget*>{settings_.get(), editor_.get(), userSettings_.get(),
                                                         about_.get(), wizard_.get(), firstStart_.get(),
                                                         errorReport_.get(), statistics_.get()}) {
    KeepAbove(*dialog, mainWindow);
    KeepOnScreen(*dialog);
  }
  ConnectDialogs();
  ConnectCommands();
}

void DialogSet::ConnectDialogs() {
  SettingsDialog* settings = settings_.get();
  TariffEditor* editor = editor_.get();
  TariffWizard* wizard = wizard_.get();
  UserDialog* userSettings = userSettings_.get();

  QObject::connect(settings, &SettingsDialog::AddUserRequested, userSettings,
                   [userSettings] { userSettings->exec(); });
  QObject::connect(settings, &SettingsDialog::NewTariffStarted, editor, &TariffEditor::EnterCreateMode);
  QObject::connect(settings, &SettingsDialog::WizardRequested, wizard, [wizard] { wizard->exec(); });
  QObject::connect(settings, &SettingsDialog::TariffRemoved, editor, &TariffEditor::TariffRemoved);
  QObject::connect(settings, &SettingsDialog::EditTariffRequested, editor, [editor](int index) {
    editor->Load(index);
    editor->exec();
  });
  // No exception may cross a signal: a user list that cannot be read is
  // told here.
  QObject::connect(userSettings, &UserDialog::UserCreated, settings, [userSettings, settings] {
    Guarded(userSettings, [settings] { settings->RefillUsers(); });
  });
  QObject::connect(editor, &TariffEditor::TariffCreated, settings, &SettingsDialog::AddTariffName);
  QObject::connect(wizard, &TariffWizard::SummaryReady, editor,
                   [editor, settings](const TariffValues& values, bool timeLimit) {
                     editor->EnterCreateMode();
                     editor->ShowNewTariff(values, timeLimit);
                     settings->close();
                     editor->show();
                     editor->raise();
                   });
  MainWindow* mainWindow = &mainWindow_;
  QObject::connect(firstStart_.get(), &FirstStartDialog::HelpRequested, mainWindow, &MainWindow::ShowHelp);
  QObject::connect(firstStart_.get(), &FirstStartDialog::SettingsRequested, settings,
                   [settings] { settings->exec(); });
}

void DialogSet::ConnectCommands() {
  mainWindow_.SetCommand(MainWindow::Command::UserSettings, [this] { Present(*settings_); });
  mainWindow_.SetCommand(MainWindow::Command::TariffSettings, [this] {
    editor_->Load(mainWindow_.SelectedTariff());
    Present(*editor_);
  });
  mainWindow_.SetCommand(MainWindow::Command::Statistics, [this] { statistics_->Open(); });
  mainWindow_.SetCommand(MainWindow::Command::About, [this] { Present(*about_); });
  mainWindow_.SetCommand(MainWindow::Command::FirstStart, [this] { Present(*firstStart_); });
  mainWindow_.SetCommand(MainWindow::Command::ErrorReport, [this] {
    errorReport_->Reset();
    Present(*errorReport_);
  });
}

DialogSet::~DialogSet() {
  for (auto command : {MainWindow::Command::UserSettings, MainWindow::Command::TariffSettings,
                       MainWindow::Command::Statistics, MainWindow::Command::About,
                       MainWindow::Command::FirstStart, MainWindow::Command::ErrorReport})
    mainWindow_.SetCommand(command, {});
}

}  // namespace tarifuhr
