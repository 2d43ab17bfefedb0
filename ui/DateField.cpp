// SPDX-License-Identifier: MIT
#include "ui/DateField.h"

#include <QAction>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QStyle>
#include <cmath>
#include <stdexcept>

namespace tarifuhr {
namespace {

const QDate kDayZero(1899, 12, 30);
// Where the day, the month and the year begin in "TT.MM.JJJJ".
constexpr int kSectionStart[] = {0, 3, 6};
constexpr int kSectionLength[] = {2, 2, 4};

QDate DateOfText(const QString& text) {
  const QDate d = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
  // The years the program's dates count in.
  return d.isValid() && d.year() >= 1800 && d.year() <= 9999 ? d : QDate();
}

}  // namespace

DateField::DateField(TDateTime initial, QWidget* parent) : QLineEdit(parent), value_(initial) {
  setInputMask(QStringLiteral("99.99.9999;_"));
  Show();
  connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
  connect(this, &QLineEdit::textEdited, this, [this] { Typed(); });
  QAction* calendar = addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
  calendar->setToolTip(QStringLiteral("Kalender"));
  connect(calendar, &QAction::triggered, this, [this] { PickFromCalendar(); });
}

void DateField::Show() {
  const QDate d = kDayZero.addDays(static_cast<qint64>(std::floor(value_)));
  setText(d.toString(QStringLiteral("dd.MM.yyyy")));
}

void DateField::SetValue(TDateTime value) {
  value_ = value;
  Show();
}

void DateField::SetDate(TDateTime value) { SetValue(std::floor(value) + (value_ - std::floor(value_))); }

void DateField::TextChanged() {
  const QDate d = DateOfText(text());
  if (d.isValid()) value_ = static_cast<double>(kDayZero.daysTo(d)) + (value_ - std::floor(value_));
}

void DateField::Typed() {
  // Not (yet) a date: nothing changes.
  if (DateOfText(text()).isValid()) emit Change();
}

TDateTime DateField::CheckedValue(const QString& field) {
  if (!DateOfText(text()).isValid()) {
    setFocus();
    SelectSection(0);
    throw std::runtime_error("'" + text().toStdString() + "' ist kein gültiges Datum für „" +
                             field.toStdString() + "“.");
  }
  return value_;
}

int DateField::SectionAt(int position) {
  return position < kSectionStart[1] ? 0 : position < kSectionStart[2] ? 1 : 2;
}

void DateField::SelectSection(int section) { setSelection(kSectionStart[section], kSectionLength[section]); }

void DateField::keyPressEvent(QKeyEvent* event) {
  // The section a digit goes into, before the mask moves the cursor on.
  if (event->text().size() == 1 && event->text()[0].isDigit())
    typedIn_ = SectionAt(hasSelectedText() ? selectionStart() : cursorPosition());
  QLineEdit::keyPressEvent(event);
}

bool DateField::focusNextPrevChild(bool next) {
  // Tab goes on from the section typed into, not from where the cursor
  // went after its last digit: "31", Tab, "02", Tab, "2027" is one date.
  const int from =
      typedIn_ >= 0 ? typedIn_ : SectionAt(hasSelectedText() ? selectionStart() : cursorPosition());
  typedIn_ = -1;
  const int to = from + (next ? 1 : -1);
  if (!hasFocus() || to < 0 || to > 2) return QLineEdit::focusNextPrevChild(next);
  SelectSection(to);
  return true;
}

void DateField::PickFromCalendar() {
  auto* popup = new QCalendarWidget(this);
  popup->setWindowFlags(Qt::Popup);
  popup->setAttribute(Qt::WA_DeleteOnClose);
  popup->setFirstDayOfWeek(Qt::Monday);
  const QDate shown = DateOfText(text());
  popup->setSelectedDate(shown.isValid() ? shown : kDayZero.addDays(static_cast<qint64>(std::floor(value_))));
  connect(popup, &QCalendarWidget::clicked, this, [this, popup](const QDate& d) {
    value_ = static_cast<double>(kDayZero.daysTo(d)) + (value_ - std::floor(value_));
    Show();
    emit Change();
    popup->close();
  });
  popup->move(mapToGlobal(QPoint(0, height())));
  popup->show();
}

}  // namespace tarifuhr
