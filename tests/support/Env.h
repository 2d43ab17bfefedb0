// SPDX-License-Identifier: MIT
#pragma once
// An environment of the test's own, for functions that take an EnvLookup.

#include <map>
#include <optional>
#include <string>

#include "platform/Environment.h"

namespace tarifuhr {

inline EnvLookup Env(std::map<std::string, std::string> vars) {
  return [vars](const std::string& name) -> std::optional<std::string> {
    const auto it = vars.find(name);
    if (it == vars.end()) return std::nullopt;
    return it->second;
  };
}

}  // namespace tarifuhr
