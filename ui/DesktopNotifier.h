// SPDX-License-Identifier: MIT
#pragma once
// Notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus); where there is none,
// or it does not answer, through a fallback such as the tray's balloon.

#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

namespace tarifuhr {

class DesktopNotifier : public QObject {
  Q_OBJECT
 public:
  using Fallback = std::function<void(const QString& title, const QString& text)>;
  DesktopNotifier(QString iconName, Fallback fallback, QObject* parent = nullptr);

  // Returns at once; the service's answer, or its absence, comes later.
  // With `offerHangUp` the notification has a button "Verbindung trennen".
  void Notify(const QString& title, const QString& text, bool offerHangUp = false);

 signals:
  // The button "Verbindung trennen" of one of these notifications was pressed.
  void HangUpRequested();

 private slots:
  void ActionInvoked(uint id, const QString& action);
  void NotificationClosed(uint id, uint reason);

 private:
  QString iconName_;
  Fallback fallback_;
  // Notifications with the button, until the service says they are closed.
  QSet<uint> withHangUp_;
  bool listening_ = false;
};

}  // namespace tarifuhr
