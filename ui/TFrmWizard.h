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
class TWizardPage : public QWidget {
  Q_OBJECT
 public:
  TWizardPage(const QString& heading, QWidget* parent);
  QLabel* Banner;
  QLabel* Heading;

 protected:
  QWidget* Body() const { return body_; }
  QLabel* Note(const QString& text);

 private:
  QWidget* body_;
};

// Page 0: name and start date.
class TFrame7 : public TWizardPage {
  Q_OBJECT
 public:
  TFrame7(TDateTime now, QWidget* parent);
  QLineEdit* Edit1;
  TDateTimePicker* DateTimePicker1;
};

// Page 1: cost limit or time limit.
class TFrame2 : public TWizardPage {
  Q_OBJECT
 public:
  TFrame2(char decimalSeparator, QWidget* parent);
  void RadioButton2Click();
  QRadioButton* RadioButton1;
  QLineEdit* Edit3;
  QLineEdit* Edit4;
  QRadioButton* RadioButton2;
  QLineEdit* Edit5;
};

// Page 2: dial-in fee.
class TuFrame1 : public TWizardPage {
  Q_OBJECT
 public:
  TuFrame1(char decimalSeparator, QWidget* parent);
  QLineEdit* Edit3;
};

// Page 3: time window of the day.
class TFrame3 : public TWizardPage {
  Q_OBJECT
 public:
  TFrame3(TDateTime now, QWidget* parent);
  void DateTimePicker2Change();
  QCheckBox* CheckBox1;
  TDateTimePicker* DateTimePicker2;
  TDateTimePicker* DateTimePicker3;
};

// Page 4: the dial-up entry and its account.
class TFrame4 : public TWizardPage {
  Q_OBJECT
 public:
  explicit TFrame4(QWidget* parent);
  QComboBox* ComboBox1;
  QLineEdit* Edit6;
  QLineEdit* MaskEdit1;
};

class TFrmWizard : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kLastPage = 4;

  explicit TFrmWizard(Dialogs& dialogs);

  void ShowPage(int i);
  void Button1Click();  // "Weiter" / "Übersicht"
  void Button2Click();  // "Zurück"
  void Button3Click();  // "Abbrechen"
  void CopyWizardToEditor();

  int CurrentPage() const { return current_; }
  TWizardPage* Page(int i) const { return pages_[static_cast<size_t>(i)]; }
  TFrame7* Page0() const { return page0_; }
  TFrame2* Page1() const { return page1_; }
  TuFrame1* Page2() const { return page2_; }
  TFrame3* Page3() const { return page3_; }
  TFrame4* Page4() const { return page4_; }

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
  std::vector<TWizardPage*> pages_;
  TFrame7* page0_;
  TFrame2* page1_;
  TuFrame1* page2_;
  TFrame3* page3_;
  TFrame4* page4_;
};

}  // namespace tarifuhr
