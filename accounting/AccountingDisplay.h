// SPDX-License-Identifier: MIT
#pragma once
// What the accounting core says to the main window: the figures as a
// snapshot, and what the user must be told. The window implements it;
// tests record the calls. The core never asks the window anything.

#include <string>

#include "accounting/AccountingSnapshot.h"

namespace tarifuhr {

class AccountingDisplay {
 public:
  virtual ~AccountingDisplay() = default;

  // After each counted second and each change; `snapshot.changed` says
  // which parts are new.
  virtual void Show(const AccountingSnapshot& snapshot) = 0;
  virtual void ShowFirstStartDialog() = 0;
  // A budget warning, as a desktop notification.
  virtual void ShowWarning(const std::string& /*title*/, const std::string& /*text*/) {}
  // A failure the user must know about (German), shown once.
  virtual void ShowError(const std::string& message) = 0;
};

}  // namespace tarifuhr
