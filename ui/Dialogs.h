#pragma once
// The program's dialogs: created once at start-up, in their fixed order,
// hidden when closed and kept until the program ends. Each dialog reaches
// the others and the main window through this set.

#include <memory>

namespace tarifuhr {

class TForm1;
class TEinstellungen;
class TTarifE;
class TBEinstellungen;
class TAbout;
class TFrmWizard;
class TFirstStartFrm;

struct Dialogs {
  explicit Dialogs(TForm1& mainWindow) : form(mainWindow) {}
  TForm1& form;
  TEinstellungen* settings = nullptr;
  TTarifE* editor = nullptr;
  TBEinstellungen* userSettings = nullptr;
  TAbout* about = nullptr;
  TFrmWizard* wizard = nullptr;
  TFirstStartFrm* firstStart = nullptr;
};

// Owns the dialogs; destroy it before the main window.
class DialogSet {
 public:
  // Creates the dialogs in order and enables the main window's commands.
  explicit DialogSet(TForm1& form);
  ~DialogSet();
  DialogSet(const DialogSet&) = delete;
  DialogSet& operator=(const DialogSet&) = delete;

  Dialogs& Get() { return dialogs_; }
  TEinstellungen& Settings() { return *settings_; }
  TTarifE& Editor() { return *editor_; }
  TBEinstellungen& UserSettings() { return *userSettings_; }
  TAbout& About() { return *about_; }
  TFrmWizard& Wizard() { return *wizard_; }
  TFirstStartFrm& FirstStart() { return *firstStart_; }

 private:
  Dialogs dialogs_;
  std::unique_ptr<TEinstellungen> settings_;
  std::unique_ptr<TTarifE> editor_;
  std::unique_ptr<TBEinstellungen> userSettings_;
  std::unique_ptr<TAbout> about_;
  std::unique_ptr<TFrmWizard> wizard_;
  std::unique_ptr<TFirstStartFrm> firstStart_;
};

}  // namespace tarifuhr
