// SPDX-License-Identifier: MIT
#pragma once
// Pieces the dialogs share: key filters for number fields and pick-only
// combo boxes, a date-time picker over the program's date-time value,
// clickable labels, error boxes and the entry lists of the account boxes.

#include <QDateTimeEdit>
#include <QLabel>
#include <string>

#include "accounting/ConnectionState.h"
#include "accounting/NumberText.h"
#include "accounting/TariffLimits.h"
#include "platform/DateTime.h"

class QComboBox;
class QLineEdit;

namespace tarifuhr {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string S(const QString& s) { return s.toStdString(); }

QDateTime ToQDateTime(TDateTime value);
TDateTime FromQDateTime(const QDateTime& value);

// Lets a number field take only what FilterNumberKey allows. Keys that type
// no character (cursor keys, Delete) and the dialog keys pass; control
// characters other than backspace, the copy and paste shortcuts among
// them, are dropped.
class NumberKeyFilter : public QObject {
 public:
  NumberKeyFilter(QLineEdit* edit, NumberKind kind, char decimalSeparator);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* edit_;
  NumberKind kind_;
  char separator_;
};

// The number in `field` within `limits` (AmountFromText), however the
// text got there (typed, pasted, set): throws FloatConversionError or
// ValueOutOfRange and takes the focus when it is none.
double AmountOfField(QLineEdit* field, char decimalSeparator, const AmountField& limits, double perUnit = 1);

// A combo box whose entry is only chosen from its list: its text cannot be
// typed, pasted or searched by typing.
void MakePickOnly(QComboBox* combo);

// Empties a combo box's list and keeps the text it shows.
void ClearItemsKeepText(QComboBox* combo);

// An account combo box as the list the entry enumeration fills.
class ComboEntryList : public EntryList {
 public:
  explicit ComboEntryList(QComboBox* combo) : combo_(combo) {}
  void Add(const std::string& name) override;
  void SelectFirst() override;

 private:
  QComboBox* combo_;
};

// A date or time picker holding a whole date-time value: the user edits
// the part it shows, the other part stays as it was.
class DateTimePicker : public QDateTimeEdit {
  Q_OBJECT
 public:
  enum class Kind { Date, Time };
  DateTimePicker(Kind kind, TDateTime initial, QWidget* parent);

  TDateTime Value() const { return value_; }
  void SetValue(TDateTime value);
  // The date part of `value`, keeping the time of day.
  void SetDate(TDateTime value);
  // The time of day of `value`, keeping the date.
  void SetTime(TDateTime value);

 signals:
  // The user changed the value.
  void Change();

 private:
  void Show();
  void Edited(const QDateTime& shown);

  Kind kind_;
  TDateTime value_;
  bool showing_ = false;
};

// Gives a control the name that tests find it by.
template <class T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// A label that reports clicks.
class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// A message box with the error icon and one OK button; waits for it.
void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text);

}  // namespace tarifuhr
