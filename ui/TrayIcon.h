// SPDX-License-Identifier: MIT
#pragma once
// The notification-area icon of the main window: click handling, its
// context menu, and sending the window to the tray instead of minimizing or
// closing it.

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

class QWidget;

namespace tarifuhr {

class TrayIcon : public QObject {
  Q_OBJECT
 public:
  static constexpr int kTipLength = 63;

  // The owner must be a top-level window; throws std::logic_error otherwise.
  // `trayAvailable` tells whether the desktop has a notification area;
  // tests pass their own.
  explicit TrayIcon(QWidget* owner, std::function<bool()> trayAvailable = {});
  ~TrayIcon() override;

  bool Active() const { return active_; }
  void SetActive(bool active);
  bool HideOnActivate() const { return hideOnActivate_; }
  void SetHideOnActivate(bool v) { hideOnActivate_ = v; }
  bool CaptureSysCommand() const { return captureSysCommand_; }
  void SetCaptureSysCommand(bool v) { captureSysCommand_ = v; }
  QMenu* PopupMenu() const { return popupMenu_; }
  // Also the icon's own context menu: a StatusNotifierItem hands it to
  // the panel over D-Bus, an X11 tray pops it up on a right click.
  void SetPopupMenu(QMenu* menu);
  // The menu the icon itself shows.
  QMenu* ContextMenu() const { return tray_->contextMenu(); }
  const QString& Tip() const { return tip_; }
  void SetTip(const QString& tip);
  // A message from the icon; without an icon in a tray, on stderr. The
  // icon shows one message at a time: the next waits until the one before
  // has been shown for its time.
  void ShowBalloon(const QString& title, const QString& text);
  // The message on show, "title: text"; empty when none.
  const QString& ShownBalloon() const { return shownBalloon_; }
  void SetBalloonTime(int ms) { balloonMs_ = ms; }
  const QIcon& Icon() const { return icon_; }
  void SetIcon(const QIcon& icon);
  int TrayID() const { return trayId_; }
  void SetTrayID(int id);

  // After the owner's set-up: fills in icon, tip and the default menu.
  void Loaded();
  // Whether the desktop has a notification area at all. Without one the
  // window is never hidden out of reach.
  bool TrayAvailable() const;
  // The tip as the notification area gets it.
  QString ShownTip() const;

  // Mouse actions on the icon, as the notification area reports them.
  void HandleActivation(QSystemTrayIcon::ActivationReason reason);
  void SetDoubleClickInterval(int ms) { doubleClickMs_ = ms; }
  // Closes the owner for real: a close the program asks for is not sent
  // to the tray.
  bool CloseOwner();

 signals:
  // A single click, once the double-click time has passed without a
  // second one. Unconnected, the click shows or hides the owner.
  void LeftButtonDown();
  // A double click. Unconnected, it runs the menu's default item, else
  // shows the owner.
  void LeftButtonDoubleClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SingleClick();
  void DoubleClick();
  void RightClick();
  void ToggleOwner();
  void ComplainAndClose(const QString& text);
  void ApplyToTray();
  void ShowNextBalloon();

  QWidget* owner_;
  // Before the icon, which shows it: the icon goes first.
  std::unique_ptr<QMenu> defaultMenu_;
  std::unique_ptr<QSystemTrayIcon> tray_;
  QPointer<QMenu> popupMenu_;
  QIcon icon_;
  QString tip_;
  int trayId_ = 990;
  bool active_ = false;
  bool hideOnActivate_ = false;
  bool captureSysCommand_ = true;
  QTimer singleClickTimer_;
  // Messages waiting for the one on show: title and text.
  std::deque<std::pair<QString, QString>> waitingBalloons_;
  QString shownBalloon_;
  QTimer balloonTimer_;
  int balloonMs_ = 10000;
  int doubleClickMs_;
  std::function<bool()> trayAvailable_;
  bool allowClose_ = false;
};

}  // namespace tarifuhr
