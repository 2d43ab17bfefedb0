// SPDX-License-Identifier: MIT
#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/Files.h"

namespace tarifuhr {

InstanceLock::InstanceLock(const std::string& dir) {
  // The lock file tells whether the directory can be written, and keeps
  // older versions out. The lock that counts is on the directory itself:
  // a lock file can be deleted from under a running program.
  const std::string path = JoinPath(dir, "tarifuhr.lock");
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
  if (fd < 0) {
    error_ = errno;
    return;
  }
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) {
    error_ = errno;
    ::close(fd);
    return;
  }
  if (::flock(dirFd, LOCK_EX | LOCK_NB) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(dirFd);
    ::close(fd);
    return;
  }
  fd_ = fd;
  dirFd_ = dirFd;
}

InstanceLock::~InstanceLock() {
  // Closing releases the locks.
  if (fd_ >= 0) ::close(fd_);
  if (dirFd_ >= 0) ::close(dirFd_);
}

}  // namespace tarifuhr
