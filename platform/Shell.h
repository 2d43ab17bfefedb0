// SPDX-License-Identifier: MIT
#pragma once
// The shell's "open" action: a file, a web address or a "mailto:" link,
// handed to the desktop's handler; and a mail handed to its mail program.

#include <memory>
#include <string>

namespace tarifuhr {

// A program that was handed something and left running: asked, without
// waiting, whether it took it.
class HandOver {
 public:
  enum class State { Pending, Taken, Failed };
  virtual ~HandOver() = default;
  virtual State Poll() = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // False when the handler could not be started.
  virtual bool Open(const std::string& target) = 0;
  // Starts the desktop's mail program with a mail and returns at once. The
  // hand-over fails when the program can't be started or ends with an error
  // within a few seconds; one still running then has taken it. Nothing when
  // no process could be made at all.
  virtual std::unique_ptr<HandOver> ComposeMail(const std::string& to, const std::string& subject,
                                                const std::string& body) = 0;
};

// Starts xdg-open and xdg-email detached; never waits for them.
class XdgOpenShell final : public Shell {
 public:
  bool Open(const std::string& target) override;
  std::unique_ptr<HandOver> ComposeMail(const std::string& to, const std::string& subject,
                                        const std::string& body) override;
};

}  // namespace tarifuhr
