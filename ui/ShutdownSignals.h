// SPDX-License-Identifier: MIT
#pragma once
// SIGTERM, SIGINT and SIGHUP end the program: the open connection is logged
// and the user's data saved, once, without asking anyone. The handler only
// writes to a pipe; the window's thread does the rest.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace tarifuhr {

class ShutdownSignals : public QObject {
  Q_OBJECT
 public:
  explicit ShutdownSignals(QObject* parent = nullptr);
  ~ShutdownSignals() override;

 signals:
  // One of the signals came, on the window's thread.
  void Arrived();

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tarifuhr
