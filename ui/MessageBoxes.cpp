// SPDX-License-Identifier: MIT
#include "ui/MessageBoxes.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QVariant>
#include <cstdio>
#include <exception>

namespace tarifuhr {
namespace {

constexpr const char* kProperty = "tarifuhrMessageBoxesToStderr";

void ToStderr(const QString& caption, const QString& text) {
  std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
  std::fflush(stderr);
}

// A box over a window that stays on top (the strip, the dialogs above it)
// would be covered by it otherwise.
void KeepAboveParent(QMessageBox& box, const QWidget* parent) {
  if (parent && (parent->window()->windowFlags() & Qt::WindowStaysOnTopHint))
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

}  // namespace

void SetMessageBoxesShown(bool shown) {
  if (QCoreApplication::instance()) QCoreApplication::instance()->setProperty(kProperty, !shown);
}

bool MessageBoxesShown() {
  return !QCoreApplication::instance() || !QCoreApplication::instance()->property(kProperty).toBool();
}

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text) {
  if (!MessageBoxesShown()) return ToStderr(caption, text);
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  KeepAboveParent(box, parent);
  box.exec();
}

void ShowMessageBoxLater(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                         const QString& text) {
  if (!MessageBoxesShown()) return ToStderr(caption, text);
  auto* box = new QMessageBox(icon, caption, text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  KeepAboveParent(*box, parent);
  box->show();
}

bool AskYesNo(QWidget* parent, const QString& caption, const QString& text) {
  if (!MessageBoxesShown()) {
    ToStderr(caption, text + QStringLiteral(" Nein (ohne Anzeige)."));
    return false;
  }
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
  KeepAboveParent(box, parent);
  // Qt's own captions would be English: no translation is loaded.
  box.button(QMessageBox::Yes)->setText(QStringLiteral("Ja"));
  box.button(QMessageBox::No)->setText(QStringLiteral("Nein"));
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

QString AskMessageBox(QWidget* parent, const QString& caption, const QString& text,
                      const QStringList& answers, const QString& escape, const QString& unattended) {
  if (!MessageBoxesShown()) {
    ToStderr(caption, text + QStringLiteral(" – ") + unattended);
    return unattended;
  }
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent);
  KeepAboveParent(box, parent);
  // One role for all keeps the buttons in the order given.
  QList<QAbstractButton*> buttons;
  for (const QString& answer : answers) {
    QPushButton* b = box.addButton(answer, QMessageBox::ActionRole);
    buttons << b;
    if (answer == answers.front()) box.setDefaultButton(b);
    if (answer == escape) box.setEscapeButton(b);
  }
  box.exec();
  // By the button, not its text, which a desktop may give an accelerator.
  // No button when the loop was ended under the box (a signal's end).
  const qsizetype chosen = buttons.indexOf(box.clickedButton());
  return chosen >= 0 ? answers[chosen] : escape;
}

bool Guarded(QWidget* parent, const std::function<void()>& handler) {
  try {
    handler();
    return true;
  } catch (const std::exception& e) {
    ShowMessageBox(parent, QMessageBox::Critical, QStringLiteral("Tarifuhr"),
                   QString::fromStdString(e.what()));
    return false;
  }
}

}  // namespace tarifuhr
