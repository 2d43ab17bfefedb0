// SPDX-License-Identifier: MIT
#pragma once
// The new-tariff wizard: five pages that collect a tariff's settings and
// hand them to the tariff editor, which creates the tariff.

#include <QDialog>
#include <QWidget>
#include <vector>

#include "accounting/TariffStore.h"
#include "platform/DateTime.h"
#include "platform/RegionalSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QScrollArea;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarifuhr {

class AccountLists;
class DateField;
class DateTimePicker;
class OffPeakFields;
class PeriodFields;
class VolumeFields;

// A page: a banner across the top and a heading above its controls.
class WizardPage : public QWidget {
  Q_OBJECT
 public:
  WizardPage(const QString& heading, QWidget* parent);
  QLabel* Banner() const { return banner_; }
  QLabel* Heading() const { return heading_; }

 protected:
  QWidget* Body() const { return body_; }
  QLabel* Note(const QString& text);

 private:
  QLabel* banner_;
  QLabel* heading_;
  QWidget* body_;
};

// Page 0: name and start date.
class NamePage : public WizardPage {
  Q_OBJECT
 public:
  NamePage(TDateTime now, char decimalSeparator, QWidget* parent);

 private:
  friend class TariffWizard;
  QLineEdit* name_;
  DateField* startDate_;
  PeriodFields* period_;
};

// Page 1: a cost limit with the price of a minute, or a time limit.
class LimitPage : public WizardPage {
  Q_OBJECT
 public:
  LimitPage(char decimalSeparator, QWidget* parent);

 private:
  friend class TariffWizard;
  void LimitChosen();
  QRadioButton* costLimitChoice_;
  QLineEdit* pricePerMinute_;
  QLineEdit* costLimit_;
  QRadioButton* timeLimitChoice_;
  QLineEdit* timeLimit_;
  QCheckBox* hangUpWhenUsed_;
};

// Page 2: dial-in fee and data volume.
class FeePage : public WizardPage {
  Q_OBJECT
 public:
  FeePage(char decimalSeparator, QWidget* parent);

 private:
  friend class TariffWizard;
  QLineEdit* dialInFee_;
  VolumeFields* volume_;
};

// Page 3: time window of the day.
class TimeWindowPage : public WizardPage {
  Q_OBJECT
 public:
  TimeWindowPage(TDateTime now, char decimalSeparator, QWidget* parent);

 private:
  friend class TariffWizard;
  void WindowFromChanged();
  QCheckBox* useWindow_;
  DateTimePicker* windowFrom_;
  DateTimePicker* windowTo_;
  OffPeakFields* offPeak_;
};

// Page 4: the dial-up entry and its account.
class AccountPage : public WizardPage {
  Q_OBJECT
 public:
  explicit AccountPage(QWidget* parent);

 private:
  friend class TariffWizard;
  QComboBox* entryName_;
  QLineEdit* userName_;
  QLineEdit* password_;
};

class TariffWizard : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kLastPage = 4;

  TariffWizard(const Clock& clock, RegionalSettings regional, AccountLists& accountLists);
  ~TariffWizard() override;

  int CurrentPage() const { return current_; }
  WizardPage* Page(int i) const { return pages_[static_cast<size_t>(i)]; }
  // "Weiter" / "Übersicht", "Zurück", "Abbrechen".
  void Next();
  void Back();

 signals:
  // "Übersicht" on the last page: the editor shows the values, ready to
  // create the tariff, and the settings dialog closes.
  void SummaryReady(const TariffValues& values, bool timeLimit);

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CreatePages();
  void ShowPage(int i);
  void MissingInput(const QString& text);
  // What the pages hold, converted; throws FloatConversionError.
  TariffValues Values() const;

  const Clock& clock_;
  RegionalSettings regional_;
  AccountLists& accountLists_;
  int current_ = 0;
  std::vector<WizardPage*> pages_;
  // The pages scroll where the screen is smaller than the wizard.
  QScrollArea* pageArea_ = nullptr;
  NamePage* namePage_;
  LimitPage* limitPage_;
  FeePage* feePage_;
  TimeWindowPage* timeWindowPage_;
  AccountPage* accountPage_;
  QPushButton* nextButton_;
  QPushButton* backButton_;
  QPushButton* cancelButton_;
};

}  // namespace tarifuhr
