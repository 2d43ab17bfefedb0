#include "ui/Dialogs.h"

#include "ui/TAbout.h"
#include "ui/TBEinstellungen.h"
#include "ui/TEinstellungen.h"
#include "ui/TFirstStartFrm.h"
#include "ui/TForm1.h"
#include "ui/TFrmWizard.h"
#include "ui/TTarifE.h"

namespace tarifuhr {

DialogSet::DialogSet(TForm1& form) : dialogs_(form) {
  // Created in this order: each may reach those made before it.
  settings_ = std::make_unique<TEinstellungen>(dialogs_);
  editor_ = std::make_unique<TTarifE>(dialogs_);
  userSettings_ = std::make_unique<TBEinstellungen>(dialogs_);
  about_ = std::make_unique<TAbout>(dialogs_);
  wizard_ = std::make_unique<TFrmWizard>(dialogs_);
  firstStart_ = std::make_unique<TFirstStartFrm>(dialogs_);

  form.SetCommand(TForm1::Command::UserSettings, [this] { settings_->show(); });
  form.SetCommand(TForm1::Command::TariffSettings, [this, &form] {
    editor_->LoadTariffIntoEditor(form.ListBox1->currentRow());
    editor_->show();
  });
  form.SetCommand(TForm1::Command::About, [this] { about_->show(); });
  form.SetCommand(TForm1::Command::FirstStart, [this] { firstStart_->show(); });
}

DialogSet::~DialogSet() {
  // The entry handler reaches into the editor.
  dialogs_.form.DialUp1().OnEntryGet = nullptr;
  for (auto command : {TForm1::Command::UserSettings, TForm1::Command::TariffSettings, TForm1::Command::About,
                       TForm1::Command::FirstStart})
    dialogs_.form.SetCommand(command, {});
}

}  // namespace tarifuhr
