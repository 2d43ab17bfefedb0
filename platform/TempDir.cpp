// SPDX-License-Identifier: MIT
#include "platform/TempDir.h"

#include "platform/Files.h"

namespace tarifuhr {

std::string TempDirectory(const EnvLookup& env) {
  std::string dir = "/tmp";
  if (const auto tmp = env("TMPDIR"); tmp && !tmp->empty() && DirectoryExists(*tmp)) dir = *tmp;
  if (dir.back() != '/') dir += '/';
  return dir;
}

}  // namespace tarifuhr
