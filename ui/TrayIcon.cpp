// SPDX-License-Identifier: MIT
#include "ui/TrayIcon.h"

#include <cstdio>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QMessageBox>
#include <QMetaMethod>

#include <QWidget>
#include <stdexcept>
#include "ui/MessageBoxes.h"

namespace tarifuhr {

TrayIcon::TrayIcon(QWidget* owner, std::function<bool()> trayAvailable)
    : QObject(owner), owner_(owner), trayAvailable_(std::move(trayAvailable)) {
  if (!trayAvailable_) trayAvailable_ = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  if (!owner || !owner->isWindow()) throw std::logic_error("Owner must by TForm!");
  doubleClickMs_ = QApplication::doubleClickInterval();
  singleClickTimer_.setSingleShot(true);
  connect(&singleClickTimer_, &QTimer::timeout, this, [this] { SingleClick(); });
  balloonTimer_.setSingleShot(true);
  connect(&balloonTimer_, &QTimer::timeout, this, [this] { ShowNextBalloon(); });
  tray_ = std::make_unique<QSystemTrayIcon>();
  connect(tray_.get(), &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason r) { HandleActivation(r); });
  owner_->installEventFilter(this);
}

TrayIcon::~TrayIcon() {
  if (owner_) owner_->removeEventFilter(this);
}

bool TrayIcon::TrayAvailable() const { return trayId_ != 0 && trayAvailable_(); }

void TrayIcon::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (trayId_ == 0) return;
  if (active) {
    // Only hide where the icon can bring the window back.
    if (hideOnActivate_ && TrayAvailable()) owner_->hide();
    ApplyToTray();
    tray_->show();
  } else {
    tray_->hide();
  }
}

QString TrayIcon::ShownTip() const { return tip_.left(kTipLength); }

void TrayIcon::ApplyToTray() {
  if (trayId_ == 0) return;
  tray_->setIcon(icon_);
  tray_->setToolTip(ShownTip());
}

void TrayIcon::ShowBalloon(const QString& title, const QString& text) {
  if (active_ && trayId_ != 0 && tray_->isVisible()) {
    // A second message would replace the first before anyone read it.
    waitingBalloons_.emplace_back(title, text);
    if (!balloonTimer_.isActive()) ShowNextBalloon();
    return;
  }
  std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
}

void TrayIcon::ShowNextBalloon() {
  shownBalloon_.clear();
  if (waitingBalloons_.empty()) return;
  const auto [title, text] = waitingBalloons_.front();
  waitingBalloons_.pop_front();
  tray_->showMessage(title, text, icon_, balloonMs_);
  shownBalloon_ = title + QStringLiteral(": ") + text;
  balloonTimer_.start(balloonMs_);
}

void TrayIcon::SetPopupMenu(QMenu* menu) {
  popupMenu_ = menu;
  if (trayId_ != 0) tray_->setContextMenu(menu);
}

void TrayIcon::SetTip(const QString& tip) {
  tip_ = tip;
  if (active_) ApplyToTray();
}

void TrayIcon::SetIcon(const QIcon& icon) {
  if (icon.isNull()) {
    icon_ = QApplication::windowIcon();
    return;
  }
  icon_ = icon;
  if (active_) ApplyToTray();
}

void TrayIcon::SetTrayID(int id) {
  if (trayId_ != 0 && id != trayId_ && !active_) trayId_ = id;
}

void TrayIcon::Loaded() {
  if (icon_.isNull()) icon_ = QApplication::windowIcon();
  if (tip_.isEmpty()) tip_ = owner_->windowTitle();
  if (!popupMenu_) {
    defaultMenu_ = std::make_unique<QMenu>();
    defaultMenu_->addAction(QStringLiteral("Beenden"), owner_, [this] { CloseOwner(); });
    SetPopupMenu(defaultMenu_.get());
  }
  if (active_) ApplyToTray();
}

void TrayIcon::HandleActivation(QSystemTrayIcon::ActivationReason reason) {
  if (trayId_ == 0) return;
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      // The first click of a double click starts the wait; the second one
      // arrives while it runs and is left to the double click.
      if (!singleClickTimer_.isActive()) singleClickTimer_.start(doubleClickMs_);
      break;
    case QSystemTrayIcon::DoubleClick:
      singleClickTimer_.stop();
      DoubleClick();
      break;
    case QSystemTrayIcon::Context: RightClick(); break;
    default: break;
  }
}

void TrayIcon::SingleClick() {
  if (isSignalConnected(QMetaMethod::fromSignal(&TrayIcon::LeftButtonDown)))
    emit LeftButtonDown();
  else
    ToggleOwner();
}

void TrayIcon::ToggleOwner() { owner_->setVisible(!owner_->isVisible()); }

void TrayIcon::DoubleClick() {
  if (isSignalConnected(QMetaMethod::fromSignal(&TrayIcon::LeftButtonDoubleClick))) {
    emit LeftButtonDoubleClick();
    return;
  }
  if (!popupMenu_) return;
  if (QAction* def = popupMenu_->defaultAction()) {
    def->trigger();
  } else if (!popupMenu_->actions().isEmpty()) {
    owner_->show();
  } else {
    ComplainAndClose(QStringLiteral("Popupmenu is empty!"));
  }
}

void TrayIcon::RightClick() {
  if (!popupMenu_) {
    ComplainAndClose(QStringLiteral("Popupmenu not defined!"));
    return;
  }
  if (popupMenu_->actions().isEmpty()) {
    ComplainAndClose(QStringLiteral("Popupmenu is empty!"));
    return;
  }
  // The icon's own context menu is already open (an X11 tray) or shown by
  // the panel (a StatusNotifierItem): a second popup would cover it.
  if (tray_->contextMenu() == popupMenu_) return;
  owner_->activateWindow();
  popupMenu_->popup(QCursor::pos());
}

void TrayIcon::ComplainAndClose(const QString& text) {
  ShowMessageBox(owner_, QMessageBox::Warning, owner_->windowTitle(), text);
  QMetaObject::invokeMethod(
      this, [this] { CloseOwner(); }, Qt::QueuedConnection);
}

bool TrayIcon::CloseOwner() {
  allowClose_ = true;
  const bool closed = owner_->close();
  allowClose_ = false;
  return closed;
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
  if (watched != owner_ || !active_ || !captureSysCommand_ || !TrayAvailable())
    return QObject::eventFilter(watched, event);
  // Close and minimize from the window system send the window to the tray;
  // a close the program asks for itself goes through.
  if (event->type() == QEvent::Close && !allowClose_) {
    event->ignore();
    owner_->hide();
    return true;
  }
  if (event->type() == QEvent::WindowStateChange && owner_->isVisible() &&
      (owner_->windowState() & Qt::WindowMinimized)) {
    owner_->setWindowState(owner_->windowState() & ~Qt::WindowMinimized);
    owner_->hide();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tarifuhr
