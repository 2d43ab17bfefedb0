// SPDX-License-Identifier: MIT
#pragma once
// The shell's "open" action: a file, a web address or a "mailto:" link,
// handed to the desktop's handler. The result is not looked at by callers.

#include <string>

namespace tarifuhr {

class Shell {
 public:
  virtual ~Shell() = default;
  // False when the handler could not be started.
  virtual bool Open(const std::string& target) = 0;
};

// Starts xdg-open detached; never waits for it.
class XdgOpenShell final : public Shell {
 public:
  bool Open(const std::string& target) override;
};

}  // namespace tarifuhr
