// SPDX-License-Identifier: MIT
#pragma once
// Message boxes, and what becomes of them where no one can answer one: a
// program without a display writes the message to stderr and goes on as
// after OK, instead of waiting for ever.

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace tarifuhr {

// Whether boxes are shown (the default) or written to stderr. Kept with
// the application object.
void SetMessageBoxesShown(bool shown);
bool MessageBoxesShown();

// Shows the box and waits for it.
void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text);
// Shows the box without waiting (the tick goes on meanwhile).
void ShowMessageBoxLater(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                         const QString& text);

// Asks with "Ja" and "Nein", "Nein" the default; true on "Ja". Without a
// display the question goes to stderr and counts as "Nein": nothing is
// done that no one agreed to.
bool AskYesNo(QWidget* parent, const QString& caption, const QString& text);

// Asks `text` with a button for each of `answers`, the first the default,
// and waits; the answer chosen, `escape` for Escape. Without a display the
// question goes to stderr with `unattended` as its answer.
QString AskMessageBox(QWidget* parent, const QString& caption, const QString& text,
                      const QStringList& answers, const QString& escape, const QString& unattended);

// Runs an event handler; an exception's message goes to a box captioned
// "Tarifuhr". True when the handler ran through.
bool Guarded(QWidget* parent, const std::function<void()>& handler);

}  // namespace tarifuhr
