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

}  // namespace

DesktopNotifier::DesktopNotifier(QString iconName, Fallback fallback, QObject* parent)
    : QObject(parent), iconName_(std::move(iconName)), fallback_(std::move(fallback)) {}

void DesktopNotifier::Notify(const QString& title, const QString& text) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    fallback_(title, text);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  call << QStringLiteral("Tarifuhr") << 0u << iconName_ << title << text << QStringList() << QVariantMap()
       << -1;
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerTimeoutMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, title, text] {
    watcher->deleteLater();
    if (watcher->isError()) fallback_(title, text);
  });
}

}  // namespace tarifuhr
