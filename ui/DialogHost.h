// SPDX-License-Identifier: MIT
#pragma once
// What the dialogs may ask of the main window, so that none of them needs
// the window itself.

#include <string>

namespace tarifuhr {

class DialogHost {
 public:
  // The once-a-second tick; see TickPause.
  virtual void PauseTick() = 0;
  virtual void ResumeTick() = 0;
  // The line selected in the tariff overview, -1 for none.
  virtual int SelectedTariff() const = 0;
  virtual void SelectTariff(int index) = 0;
  // Tells the user without waiting for an answer.
  virtual void ShowError(const std::string& message) = 0;

 protected:
  ~DialogHost() = default;
};

// Stops the tick while a dialog changes the tariff or user list under it,
// and starts it again however the change ends.
class TickPause {
 public:
  explicit TickPause(DialogHost& host) : host_(host) { host_.PauseTick(); }
  ~TickPause() { host_.ResumeTick(); }
  TickPause(const TickPause&) = delete;
  TickPause& operator=(const TickPause&) = delete;

 private:
  DialogHost& host_;
};

}  // namespace tarifuhr
