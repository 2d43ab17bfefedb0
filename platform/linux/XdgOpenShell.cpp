// SPDX-License-Identifier: MIT
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <cerrno>
#include <vector>

#include "platform/Shell.h"

extern char** environ;

namespace tarifuhr {
namespace {

constexpr int kCannotStart = 127;
// How long a mail program has to fail before it counts as having taken the mail.
constexpr int kMailGraceSeconds = 3;

// Starts `argv` through a watcher process of its own session: the watcher
// waits up to `graceSeconds` for the program and exits with its status, or
// with 0 while it still runs. The program outlives nothing of ours and
// leaves no zombie; we only ever wait for the watcher, which ends soon.
// Between fork and exit the watcher calls only what is safe in a child of a
// threaded process.
pid_t StartWatched(std::vector<std::string> args, int graceSeconds) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t watcher = ::fork();
  if (watcher != 0) return watcher;  // -1 when no process could be made
  ::setsid();
  pid_t program = 0;
  if (::posix_spawnp(&program, argv[0], nullptr, nullptr, argv.data(), environ) != 0) ::_exit(kCannotStart);
  timespec now{}, end{};
  ::clock_gettime(CLOCK_MONOTONIC, &end);
  end.tv_sec += graceSeconds;
  for (;;) {
    int status = 0;
    if (::waitpid(program, &status, WNOHANG) == program)
      ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : kCannotStart);
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    if (now.tv_sec > end.tv_sec || (now.tv_sec == end.tv_sec && now.tv_nsec >= end.tv_nsec)) ::_exit(0);
    const timespec step{0, 50'000'000};
    ::nanosleep(&step, nullptr);
  }
}

class WatchedHandOver final : public HandOver {
 public:
  explicit WatchedHandOver(pid_t watcher) : watcher_(watcher) {}
  ~WatchedHandOver() override {
    // Given up before the watcher ended (the program closes): the program
    // itself is left running.
    if (state_ != State::Pending) return;
    ::kill(watcher_, SIGKILL);
    while (::waitpid(watcher_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  State Poll() override {
    if (state_ != State::Pending) return state_;
    int status = 0;
    const pid_t r = ::waitpid(watcher_, &status, WNOHANG);
    if (r == 0 || (r < 0 && errno == EINTR)) return state_;
    state_ = r == watcher_ && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? State::Taken : State::Failed;
    return state_;
  }

 private:
  pid_t watcher_;
  State state_ = State::Pending;
};

}  // namespace

bool XdgOpenShell::Open(const std::string& target) {
  // The watcher ends right after the start, so this wait is short.
  const pid_t watcher = StartWatched({"xdg-open", target}, 0);
  if (watcher < 0) return false;
  WatchedHandOver handOver(watcher);
  HandOver::State state = HandOver::State::Pending;
  while ((state = handOver.Poll()) == HandOver::State::Pending) {
    const timespec step{0, 1'000'000};
    ::nanosleep(&step, nullptr);
  }
  return state == HandOver::State::Taken;
}

std::unique_ptr<HandOver> XdgOpenShell::ComposeMail(const std::string& to, const std::string& subject,
                                                    const std::string& body) {
  const pid_t watcher =
      StartWatched({"xdg-email", "--subject", subject, "--body", body, to}, kMailGraceSeconds);
  if (watcher < 0) return nullptr;
  return std::make_unique<WatchedHandOver>(watcher);
}

}  // namespace tarifuhr
