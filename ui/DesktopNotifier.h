// SPDX-License-Identifier: MIT
#pragma once
// Notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus); where there is none,
// or it does not answer, through a fallback such as the tray's balloon.

#include <QObject>
#include <QString>
#include <functional>

namespace tarifuhr {

class DesktopNotifier : public QObject {
  Q_OBJECT
 public:
  using Fallback = std::function<void(const QString& title, const QString& text)>;
  DesktopNotifier(QString iconName, Fallback fallback, QObject* parent = nullptr);

  // Returns at once; the service's answer, or its absence, comes later.
  void Notify(const QString& title, const QString& text);

 private:
  QString iconName_;
  Fallback fallback_;
};

}  // namespace tarifuhr
