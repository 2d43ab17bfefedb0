// SPDX-License-Identifier: MIT
#pragma once
// The command-line tools' argument parser (CLI11) speaks English; its help
// and its errors are given in German here.

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

namespace tarifuhr::tools {

inline constexpr int kExitError = 1;

// German headings and the help flag.
void GermanHelp(CLI::App& app);

// -v/--version: "TOOL (Tarifuhr) VERSION", the program's version.
void VersionFlag(CLI::App& app, const std::string& tool);

// What the parser found wrong, said in German with the names it reports.
std::string GermanParseError(const CLI::ParseError& e);

// Parses the arguments. When that ends the run (help shown, or an error
// said in German on stderr), the exit code; nothing when the tool goes on.
std::optional<int> ParseInGerman(CLI::App& app, int argc, char** argv, const std::string& tool);

}  // namespace tarifuhr::tools
