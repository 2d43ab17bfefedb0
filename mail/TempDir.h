// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace tarifuhr {

// The system's temporary directory, with a trailing '/'.
std::string TempDir();

}  // namespace tarifuhr
