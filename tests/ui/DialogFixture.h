// SPDX-License-Identifier: MIT
#pragma once
// The main window with its dialogs over the simulated network, and helpers
// to drive modal dialogs and answer message boxes from inside their loops.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "accounting/UserFiles.h"
#include "tests/support/Bytes.h"
#include "tests/ui/UiFixture.h"
#include "ui/AboutDialog.h"
#include "ui/DateField.h"
#include "ui/Dialogs.h"
#include "ui/FirstStartDialog.h"
#include "ui/SettingsDialog.h"
#include "ui/TariffEditor.h"
#include "ui/TariffWizard.h"
#include "ui/UserDialog.h"

namespace tarifuhr::testing {

struct DialogWorld : UiWorld {
  // Started as the program starts; the tick is left to the test.
  explicit DialogWorld(bool firstStart = false) {
    // A start after the first leaves this value behind.
    if (!firstStart) registry.WriteInteger(kTarifuhrKey, "first", 1);
    mainWindow->Start();
    mainWindow->PauseTick();
    set = std::make_unique<DialogSet>(*mainWindow);
  }
  ~DialogWorld() { set.reset(); }

  SettingsDialog& settings() { return set->Settings(); }
  TariffEditor& editor() { return set->Editor(); }
  TariffWizard& wizard() { return set->Wizard(); }
  UserDialog& userSettings() { return set->UserSettings(); }
  AccountingCore& core() { return mainWindow->Core(); }

  // The tick of one counted second.
  void Tick() {
    clock.AdvanceSeconds(1);
    mainWindow->Core().Tick();
  }

  // The tariffs and totals in a user's data file.
  std::vector<TariffRecord> TariffsOnDisk(const std::string& file, TotalsRecord* totals = nullptr) const {
    std::vector<TariffRecord> out;
    TotalsRecord t;
    DecodeUserData(ReadFileBytes(dir.File(file)), out, t);
    if (totals) *totals = t;
    return out;
  }

  std::unique_ptr<DialogSet> set;
};

// Runs `inside` once the next modal loop runs, then `trigger`, which opens
// that loop and returns when it is closed.
inline void WithModal(const std::function<void()>& trigger, const std::function<void()>& inside) {
  QTimer::singleShot(0, inside);
  trigger();
}

// Answers every message box that comes up while it lives and offers the
// button it presses: a standard button, or one by its caption (Escape for
// "<Escape>"); records what each box said. Boxes without that button are
// left to another answerer (questions have no OK, notices no "Ja").
class BoxAnswerer {
 public:
  explicit BoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok) : BoxAnswerer(answer, {}) {}
  explicit BoxAnswerer(const QString& pressing) : BoxAnswerer(QMessageBox::NoButton, pressing) {}
  QStringList captions;
  QStringList texts;
  QList<QMessageBox::Icon> icons;
  QList<QStringList> buttons;  // of each box, in their order
  QList<QMessageBox::StandardButton> defaults;

 private:
  BoxAnswerer(QMessageBox::StandardButton answer, const QString& pressing) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this, answer, pressing] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible()) continue;
        const bool escape = pressing == QStringLiteral("<Escape>");
        QAbstractButton* target = pressing.isEmpty() ? box->button(answer) : nullptr;
        QStringList shown;
        for (QAbstractButton* b : box->buttons()) {
          shown << b->text();
          if (!pressing.isEmpty() && b->text() == pressing) target = b;
        }
        if (!target && !escape) continue;
        captions << box->windowTitle();
        texts << box->text();
        icons << box->icon();
        buttons << shown;
        defaults << box->standardButton(box->defaultButton());
        if (escape)
          QTest::keyClick(box, Qt::Key_Escape);
        else
          target->click();
      }
    });
    timer_.start();
  }

 private:
  QTimer timer_;
};

// A window's control by the name it was given; a missing one ends the test
// run, as a typo in a name must.
template <class T>
T* Control(const QObject& window, const char* name) {
  T* control = window.findChild<T*>(QString::fromLatin1(name));
  if (!control) qFatal("no control %s in %s", name, window.metaObject()->className());
  return control;
}

inline void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

// Chooses an item of a combo box as the user does.
inline void Choose(QComboBox* combo, const QString& text) {
  const int i = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  QVERIFY2(i >= 0, qPrintable(text));
  combo->setCurrentIndex(i);
  emit combo->activated(i);
}

// Types a text key by key; letters beyond ASCII come as the keyboard
// sends them, as text with no key code of their own.
inline void Type(QWidget* w, const QString& text) {
  w->setFocus();
  for (QChar c : text) {
    if (c.unicode() < 0x80)
      QTest::keyClick(w, c.toLatin1());
    else
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

// Types a date as people do, section by section with Tab in between.
inline void TypeDateBySections(DateField* field, const QString& day, const QString& month,
                               const QString& year) {
  field->setFocus();
  field->setCursorPosition(0);
  Type(field, day);
  QTest::keyClick(field, Qt::Key_Tab);
  Type(field, month);
  QTest::keyClick(field, Qt::Key_Tab);
  Type(field, year);
}

}  // namespace tarifuhr::testing
