// SPDX-License-Identifier: MIT
#include "mail/TempDir.h"

#include "platform/TempDir.h"

namespace tarifuhr {

std::string TempDir() { return TempDirectory(ProcessEnvironment()); }

}  // namespace tarifuhr
