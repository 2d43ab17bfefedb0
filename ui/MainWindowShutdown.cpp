// SPDX-License-Identifier: MIT
// How the program ends: the user's close (asked what becomes of an open
// connection, a failure shown and the program kept), and the ends no one
// may be asked about (a signal, the session); both log the open connection
// and save once.
#include <QApplication>
#include <QCloseEvent>
#include <QScopeGuard>
#include <QSessionManager>
#include <cstdio>

#include "ui/MainWindow.h"
#include "ui/MessageBoxes.h"
#include "ui/ShutdownSignals.h"

namespace tarifuhr {

void MainWindow::WatchShutdown() {
  if (shutdownSignals_) return;
  shutdownSignals_ = new ShutdownSignals(this);
  connect(shutdownSignals_, &ShutdownSignals::Arrived, this, [this] { EndWithoutAsking(); });
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
      // The session end may still be cancelled: save what is counted but
      // keep the connection open; the end that follows logs it.
      SaveCounts();
    });
}

void MainWindow::Quit() { tray_->CloseOwner(); }

bool MainWindow::LogAndSave() {
  return Guarded(this, [this] { core_->CloseDown(); });
}

void MainWindow::SaveCounts() {
  try {
    core_->SaveUser();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarifuhr: %s\n", e.what());
  }
}

void MainWindow::EndWithoutAsking() {
  if (ending_) return;  // a second signal while ending
  ending_ = true;
  timer_.stop();
  const std::vector<std::string> failed = core_->CloseDownOnce();
  for (const std::string& text : failed) std::fprintf(stderr, "tarifuhr: %s\n", text.c_str());
  QCoreApplication::exit(failed.empty() ? 0 : 1);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit && !ending_) {
    // Closing the windows would send the strip to the tray and keep the
    // program from ending.
    EndWithoutAsking();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

bool MainWindow::MayEndWithOpenConnection() {
  const std::string entry = core_->OpenEntryName();
  if (entry.empty()) return true;
  const QString end = QStringLiteral("Beenden");
  const QString hangUpAndEnd = QStringLiteral("Verbindung trennen und beenden");
  const QString cancel = QStringLiteral("Abbrechen");
  // Only a tariff's connection may be hung up, as in the menus.
  const bool canHangUp = core_->CanHangUpOpenConnection();
  const QStringList answers = canHangUp ? QStringList{end, hangUpAndEnd, cancel} : QStringList{end, cancel};
  askingToEnd_ = true;
  const auto done = qScopeGuard([this] { askingToEnd_ = false; });
  // Without a display the end goes on as it always did: the connection is
  // left alone, its record logged.
  const QString answer = AskMessageBox(
      this, QStringLiteral("Tarifuhr"),
      QString::fromStdString("Die Verbindung „" + entry +
                             "“ bleibt bestehen und wird nicht mehr gezählt. Trotzdem beenden?"),
      answers, cancel, end);
  // A signal may have ended the program while the question waited.
  if (ending_ || answer == cancel) return false;
  if (answer == hangUpAndEnd) {
    try {
      core_->HangUpOpenConnection();
    } catch (const HangUpError& e) {
      // The user wanted it ended: the program keeps counting it.
      ShowMessageBoxLater(this, QMessageBox::Warning, QStringLiteral("Tarifuhr"),
                          QString::fromStdString(e.what()));
      return false;
    }
    if (ending_) return false;
  }
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (ending_ || askingToEnd_ || !MayEndWithOpenConnection() || !LogAndSave()) {
    event->ignore();  // keep running; a later close tries again
    return;
  }
  ending_ = true;
  timer_.stop();
  event->accept();
  QApplication::quit();
}

}  // namespace tarifuhr
