// SPDX-License-Identifier: MIT
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace tarifuhr
