// SPDX-License-Identifier: MIT
#pragma once
// Where temporary files go: $TMPDIR when it names a directory, else /tmp;
// always with a trailing '/'.

#include <string>

#include "platform/Environment.h"

namespace tarifuhr {

std::string TempDirectory(const EnvLookup& env);

}  // namespace tarifuhr
