// SPDX-License-Identifier: MIT
#pragma once
// Where the program keeps its files, from the environment and the
// executable's location.

#include <functional>
#include <optional>
#include <string>

namespace tarifuhr {

// Looks up an environment variable; tests pass their own.
using EnvLookup = std::function<std::optional<std::string>(const std::string&)>;
EnvLookup ProcessEnvironment();

// Full path of the running executable ("" when unknown).
std::string ExecutablePath();

// TARIFUHR_HOME when set; else the executable's directory when writable and
// not an installed program's (one with ../share/tarifuhr beside it); else
// $XDG_DATA_HOME/tarifuhr (default ~/.local/share/tarifuhr). No trailing
// separator.
std::string ProgramDirectory(const EnvLookup& env, const std::string& executablePath);

// $XDG_CONFIG_HOME, default ~/.config.
std::string ConfigHome(const EnvLookup& env);

// Creates a directory and its parents; false when that fails.
bool MakeDirectories(const std::string& path);

}  // namespace tarifuhr
