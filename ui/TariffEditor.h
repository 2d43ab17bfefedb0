#pragma once
// The tariff editor: every setting and the period figures of one tariff.
// Create mode (Tag -1) appends the wizard's tariff, edit mode overwrites
// the tariff it was loaded from.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "accounting/TariffStore.h"
#include "ui/DialogSupport.h"
#include "ui/Dialogs.h"

namespace tarifuhr {

class TariffEditor : public QDialog {
  Q_OBJECT
 public:
  explicit TariffEditor(Dialogs& dialogs);

  // Fills the editor from tariff i of the current user and enters edit mode.
  void LoadTariffIntoEditor(int i);
  // Refills the account lists of the editor and of the wizard.
  void FillDialUpEntries();
  // Tag -1 and "Erstellen"; an edit still open is dropped, as "Abbrechen"
  // drops it.
  void EnterCreateMode();
  // The settings dialog removed tariff `index` of the current user.
  void TariffRemoved(int index);

  void Button2Click();  // "Erstellen" / "Übernehmen"
  void Button3Click();  // "Abbrechen"
  void Edit4Change();
  void Edit5Change();

  // The values of the fields, converted; throws FloatConversionError.
  TariffValues ReadValues() const;

  int Tag = -1;

  QLineEdit* Edit1;
  DateTimePicker* DateTimePicker1;
  QLineEdit* Edit3;
  QLineEdit* Edit4;
  QLineEdit* Edit5;
  QLineEdit* Edit9;
  DateTimePicker* DateTimePicker2;
  DateTimePicker* DateTimePicker3;
  QCheckBox* CheckBox1;
  QGroupBox* GroupBox1;  // " DFÜ Einstellungen "
  QComboBox* ComboBox1;
  QLineEdit* Edit6;
  QLineEdit* MaskEdit1;
  QGroupBox* GroupBox2;  // " Benutzerdaten "
  QLineEdit* Edit7;
  QLineEdit* Edit8;
  QPushButton* Button2;
  QPushButton* Button3;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  char Separator() const;
  std::string Text(double value) const;
  void LeaveEditMode();

  Dialogs& d_;
  EditedTariff edited_;
};

}  // namespace tarifuhr
