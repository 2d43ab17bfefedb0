// SPDX-License-Identifier: MIT
#pragma once
// One running program per program directory: two would count every second
// twice and overwrite each other's files.

#include <string>

namespace tarifuhr {

class InstanceLock {
 public:
  // Locks `dir` itself and the lock file "tarifuhr.lock" in it; check
  // Acquired().
  explicit InstanceLock(const std::string& dir);
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  bool Acquired() const { return fd_ >= 0; }
  // Why the lock file could not be opened (errno); 0 when it could, and
  // another instance holds the lock.
  int Error() const { return error_; }

 private:
  int fd_ = -1;
  int dirFd_ = -1;
  int error_ = 0;
};

}  // namespace tarifuhr
