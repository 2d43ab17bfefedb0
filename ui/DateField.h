// SPDX-License-Identifier: MIT
#pragma once
// A date typed as "TT.MM.JJJJ", or picked from a calendar. What is typed
// stays as typed, also a day the month lacks, so that storing it can refuse
// it instead of taking another date. Tab moves from day to month to year as
// the keys fill them, so a date typed section by section never sends keys
// on to the next field.

#include <QLineEdit>

#include "platform/DateTime.h"

namespace tarifuhr {

class DateField : public QLineEdit {
  Q_OBJECT
 public:
  DateField(TDateTime initial, QWidget* parent);

  // The value of the last valid date typed or set; the time of day it
  // carries stays as it was.
  TDateTime Value() const { return value_; }
  void SetValue(TDateTime value);
  // The date part of `value`, keeping the time of day.
  void SetDate(TDateTime value);
  // The date as typed; throws std::runtime_error (German, naming `field`)
  // and takes the focus when the text is no date.
  TDateTime CheckedValue(const QString& field);

 signals:
  // The user typed or picked another valid date.
  void Change();

 protected:
  bool focusNextPrevChild(bool next) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Show();
  void TextChanged();
  void Typed();
  void PickFromCalendar();
  // Section (0 day, 1 month, 2 year) at a cursor position.
  static int SectionAt(int position);
  void SelectSection(int section);

  TDateTime value_;
  // The section the last digit went into since the last Tab; -1: none.
  int typedIn_ = -1;
};

}  // namespace tarifuhr
