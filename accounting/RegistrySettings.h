// SPDX-License-Identifier: MIT
#pragma once
// The program's settings in the registry, read once at start.

#include <string>
#include <vector>

#include "platform/Registry.h"

namespace tarifuhr {

// The registry values read at start.
struct RegistrySettings {
  bool firstStart = false;
  std::string currentUser;
  int left = 0;
  int top = 0;
  // False when the registry could not be written at all.
  bool writable = true;
  // Budget warnings ("warnungen"): on unless switched off.
  bool warningsOn = true;
  // What could not be read or written, in German, each once.
  std::vector<std::string> problems;
};

RegistrySettings ReadRegistrySettings(Registry& registry, const std::string& programDir);

}  // namespace tarifuhr
