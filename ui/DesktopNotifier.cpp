// SPDX-License-Identifier: MIT
#include "ui/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace tarifuhr {
namespace {

// Long enough for a service that is started on demand; the tick never waits.
constexpr int kAnswerTimeoutMs = 5000;

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kHangUpAction = QStringLiteral("trennen");

}  // namespace

DesktopNotifier::DesktopNotifier(QString iconName, Fallback fallback, QObject* parent)
    : QObject(parent), iconName_(std::move(iconName)), fallback_(std::move(fallback)) {}

void DesktopNotifier::Notify(const QString& title, const QString& text, bool offerHangUp) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    fallback_(title, text);
    return;
  }
  if (!listening_) {
    // The service sends these to the program that made the notification.
    bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                SLOT(ActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                SLOT(NotificationClosed(uint, uint)));
    listening_ = true;
  }
  QStringList actions;
  if (offerHangUp) actions << kHangUpAction << QStringLiteral("Verbindung trennen");
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
  call << QStringLiteral("Tarifuhr") << 0u << iconName_ << title << text << actions << QVariantMap() << -1;
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, title, text, offerHangUp] {
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
      fallback_(title, text);
      return;
    }
    if (offerHangUp) withHangUp_.insert(reply.value());
  });
}

void DesktopNotifier::ActionInvoked(uint id, const QString& action) {
  if (action == kHangUpAction && withHangUp_.remove(id)) emit HangUpRequested();
}

void DesktopNotifier::NotificationClosed(uint id, uint) { withHangUp_.remove(id); }

}  // namespace tarifuhr
