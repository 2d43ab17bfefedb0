// SPDX-License-Identifier: MIT
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

#include "platform/Shell.h"

extern char** environ;

namespace tarifuhr {

bool XdgOpenShell::Open(const std::string& target) {
  // Double fork through a shell-free spawn: the handler outlives nothing of
  // ours and leaves no zombie behind.
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::setsid();
    pid_t grandchild = 0;
    char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(target.c_str()), nullptr};
    const int rc = ::posix_spawnp(&grandchild, "xdg-open", nullptr, nullptr, argv, environ);
    ::_exit(rc == 0 ? 0 : 127);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool XdgOpenShell::ComposeMail(const std::string& to, const std::string& subject, const std::string& body) {
  char* argv[] = {const_cast<char*>("xdg-email"),
                  const_cast<char*>("--subject"),
                  const_cast<char*>(subject.c_str()),
                  const_cast<char*>("--body"),
                  const_cast<char*>(body.c_str()),
                  const_cast<char*>(to.c_str()),
                  nullptr};
  pid_t child = 0;
  if (::posix_spawnp(&child, "xdg-email", nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace tarifuhr
