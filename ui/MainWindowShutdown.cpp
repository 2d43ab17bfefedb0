// SPDX-License-Identifier: MIT
// How the program ends: the user's close (asked, a failure shown and the
// program kept), and the ends no one may be asked about (a signal, the
// session); both log the open connection and save once.
#include <QApplication>
#include <QCloseEvent>
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

void MainWindow::closeEvent(QCloseEvent* event) {
  if (ending_ || !LogAndSave()) {
    event->ignore();  // keep running; a later close tries again
    return;
  }
  ending_ = true;
  timer_.stop();
  event->accept();
  QApplication::quit();
}

}  // namespace tarifuhr
