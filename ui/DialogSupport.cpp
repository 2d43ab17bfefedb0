// SPDX-License-Identifier: MIT
#include "ui/DialogSupport.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>

#include <cmath>

#include "ui/MessageBoxes.h"

namespace tarifuhr {
namespace {

const QDate kDayZero(1899, 12, 30);

bool IsDialogKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Tab ||
         key == Qt::Key_Backtab;
}

// Keys that choose from a combo box's list or move a cursor without
// typing anything.
bool IsMovementKey(int key) {
  return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right ||
         key == Qt::Key_Home || key == Qt::Key_End || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

bool TypesCharacter(const QKeyEvent* k) {
  if (IsDialogKey(k->key())) return false;
  if (k->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
    return !IsMovementKey(k->key()) && k->key() != Qt::Key_Control && k->key() != Qt::Key_Meta;
  return !k->text().isEmpty() || k->key() == Qt::Key_Backspace;
}

class PickOnlyFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && TypesCharacter(static_cast<QKeyEvent*>(event))) return true;
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

QDateTime ToQDateTime(TDateTime value) {
  const double day = std::floor(value);
  const CivilTime t = DecodeTime(value - day);
  // UTC: no daylight-saving gap moves a time of day.
  return QDateTime(kDayZero.addDays(static_cast<qint64>(day)),
                   QTime(t.hour, t.minute, t.second, t.millisecond), Qt::UTC);
}

TDateTime FromQDateTime(const QDateTime& value) {
  const QTime t = value.time();
  return static_cast<double>(kDayZero.daysTo(value.date())) +
         EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
}

NumberKeyFilter::NumberKeyFilter(QLineEdit* edit, NumberKind kind, char decimalSeparator)
    : QObject(edit), edit_(edit), kind_(kind), separator_(decimalSeparator) {
  edit->installEventFilter(this);
}

bool NumberKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != edit_ || event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
  const auto* k = static_cast<QKeyEvent*>(event);
  if (!TypesCharacter(k)) return false;
  if (k->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier)) return true;
  if (k->key() == Qt::Key_Backspace) return false;
  const QString typed = k->text();
  if (typed.size() != 1 || typed[0].unicode() > 0x7F) return true;
  const char key = static_cast<char>(typed[0].unicode());
  const auto result = FilterNumberKey(kind_, key, S(edit_->text()), separator_);
  if (!result) return true;
  if (*result == key) return false;
  edit_->insert(QString(QChar(*result)));  // "." typed, the separator inserted
  return true;
}

double AmountOfField(QLineEdit* field, char sep, const AmountField& limits, double perUnit) {
  try {
    return AmountFromText(S(field->text()), sep, limits, perUnit);
  } catch (const std::exception&) {
    field->setFocus();
    field->selectAll();
    throw;
  }
}

void MakePickOnly(QComboBox* combo) {
  auto* filter = new PickOnlyFilter(combo);
  combo->installEventFilter(filter);
  if (combo->lineEdit()) {
    combo->lineEdit()->setReadOnly(true);
    combo->lineEdit()->installEventFilter(filter);
    combo->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    // A choice from the list always shows, also the item that was current.
    QObject::connect(combo, &QComboBox::activated, combo,
                     [combo](int i) { combo->setEditText(combo->itemText(i)); });
  }
}

void ClearItemsKeepText(QComboBox* combo) {
  const QString text = combo->currentText();
  combo->clear();
  if (combo->isEditable()) combo->setEditText(text);
}

void ComboEntryList::Add(const std::string& name) {
  const QString text = combo_->currentText();
  combo_->addItem(Q(name));
  // Adding the first item must not put it into the box's text.
  if (combo_->isEditable()) combo_->setEditText(text);
}

void ComboEntryList::SelectFirst() {
  // Selects the first item of the list; the text shown stays as it was.
  if (combo_->count() == 0) return;
  const QString text = combo_->currentText();
  combo_->setCurrentIndex(0);
  if (combo_->isEditable()) combo_->setEditText(text);
}

DateTimePicker::DateTimePicker(Kind kind, TDateTime initial, QWidget* parent)
    : QDateTimeEdit(parent), kind_(kind), value_(initial) {
  setDisplayFormat(kind == Kind::Date ? QStringLiteral("dd.MM.yyyy") : QStringLiteral("HH:mm:ss"));
  setCalendarPopup(kind == Kind::Date);
  setTimeSpec(Qt::UTC);
  setMinimumDate(QDate(1800, 1, 1));
  Show();
  connect(this, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& d) { Edited(d); });
}

void DateTimePicker::Show() {
  showing_ = true;
  setDateTime(ToQDateTime(value_));
  showing_ = false;
}

void DateTimePicker::SetValue(TDateTime value) {
  value_ = value;
  Show();
}

void DateTimePicker::SetDate(TDateTime value) { SetValue(std::floor(value) + (value_ - std::floor(value_))); }

void DateTimePicker::SetTime(TDateTime value) { SetValue(std::floor(value_) + (value - std::floor(value))); }

void DateTimePicker::Edited(const QDateTime& shown) {
  if (showing_) return;
  const TDateTime edited = FromQDateTime(shown);
  const CivilTime before = DecodeTime(value_ - std::floor(value_));
  if (kind_ == Kind::Date) {
    value_ = std::floor(edited) + (value_ - std::floor(value_));
  } else {
    // The picker shows whole seconds; the milliseconds stay.
    const CivilTime t = DecodeTime(edited - std::floor(edited));
    value_ = std::floor(value_) + EncodeTime(t.hour, t.minute, t.second, before.millisecond);
  }
  emit Change();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  event->accept();  // the click is the label's, not the window's behind it
  emit clicked();
}

void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) {
  ShowMessageBox(parent, QMessageBox::Critical, caption, text);
}

}  // namespace tarifuhr
