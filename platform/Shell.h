// SPDX-License-Identifier: MIT
#pragma once
// The shell's "open" action: a file, a web address or a "mailto:" link,
// handed to the desktop's handler; and a mail handed to its mail program.

#include <string>

namespace tarifuhr {

class Shell {
 public:
  virtual ~Shell() = default;
  // False when the handler could not be started.
  virtual bool Open(const std::string& target) = 0;
  // Hands a mail to the desktop's mail program and waits until it has taken
  // it; false when that failed.
  virtual bool ComposeMail(const std::string& to, const std::string& subject, const std::string& body) = 0;
};

// Starts xdg-open detached; never waits for it.
// Composes mail with xdg-email.
class XdgOpenShell final : public Shell {
 public:
  bool Open(const std::string& target) override;
  bool ComposeMail(const std::string& to, const std::string& subject, const std::string& body) override;
};

}  // namespace tarifuhr
