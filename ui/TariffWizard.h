#pragma once
// The new-tariff wizard: five pages that collect a tariff's settings and
// hand them to the tariff editor, which creates the tariff.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <vector>

#include "ui/DialogSupport.h"
#include "ui/Dialogs.h"

namespace tarifuhr {

// A page: a banner across the top and a heading above its controls.
class WizardPage : public QWidget {
  Q_OBJECT
 public:
  WizardPage(const QString& heading, QWidget* parent);
  QLabel* Banner;
  QLabel* Heading;

 protected:
  QWidget* Body() const { return body_; }
  QLabel* Note(const QString& text);

 private:
  QWidget* body_;
};

// Page 0: name and start date.
class NamePage : public WizardPage {
  Q_OBJECT
 public:
  NamePage(TDateTime now, QWidget* parent);
  QLineEdit* Edit1;
  DateTimePicker* DateTimePicker1;
};

// Page 1: cost limit or time limit.
class LimitPage : public WizardPage {
  Q_OBJECT
 public:
  LimitPage(char decimalSeparator, QWidget* parent);
  void RadioButton2Click();
  QRadioButton* RadioButton1;
  QLineEdit* Edit3;
  QLineEdit* Edit4;
  QRadioButton* RadioButton2;
  QLineEdit* Edit5;
};

// Page 2: dial-in fee.
class FeePage : public WizardPage {
  Q_OBJECT
 public:
  FeePage(char decimalSeparator, QWidget* parent);
  QLineEdit* Edit3;
};

// Page 3: time window of the day.
class TimeWindowPage : public WizardPage {
  Q_OBJECT
 public:
  TimeWindowPage(TDateTime now, QWidget* parent);
  void DateTimePicker2Change();
  QCheckBox* CheckBox1;
  DateTimePicker* DateTimePicker2;
  DateTimePicker* DateTimePicker3;
};

// Page 4: the dial-up entry and its account.
class AccountPage : public WizardPage {
  Q_OBJECT
 public:
  explicit AccountPage(QWidget* parent);
  QComboBox* ComboBox1;
  QLineEdit* Edit6;
  QLineEdit* MaskEdit1;
};

class TariffWizard : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kLastPage = 4;

  explicit TariffWizard(Dialogs& dialogs);

  void ShowPage(int i);
  void Button1Click();  // "Weiter" / "Übersicht"
  void Button2Click();  // "Zurück"
  void Button3Click();  // "Abbrechen"
  void CopyWizardToEditor();

  int CurrentPage() const { return current_; }
  WizardPage* Page(int i) const { return pages_[static_cast<size_t>(i)]; }
  NamePage* Page0() const { return page0_; }
  LimitPage* Page1() const { return page1_; }
  FeePage* Page2() const { return page2_; }
  TimeWindowPage* Page3() const { return page3_; }
  AccountPage* Page4() const { return page4_; }

  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button3;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void FormCreate();
  void MissingInput(const QString& text);

  Dialogs& d_;
  int current_ = 0;
  std::vector<WizardPage*> pages_;
  NamePage* page0_;
  LimitPage* page1_;
  FeePage* page2_;
  TimeWindowPage* page3_;
  AccountPage* page4_;
};

}  // namespace tarifuhr
