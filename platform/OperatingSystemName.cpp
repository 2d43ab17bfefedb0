// SPDX-License-Identifier: MIT
#include "platform/OperatingSystemName.h"

#include <map>
#include <optional>
#include <sstream>

#include "platform/Files.h"

namespace tarifuhr {
namespace {

constexpr size_t kMaxOsReleaseBytes = 64 * 1024;

// A value as the shell would read it: quoted with " (with \ escapes) or ',
// or bare.
std::string Unquote(const std::string& raw) {
  if (raw.empty() || (raw[0] != '"' && raw[0] != '\'')) return raw;
  const char quote = raw[0];
  std::string out;
  for (size_t i = 1; i < raw.size() && raw[i] != quote; ++i) {
    if (quote == '"' && raw[i] == '\\' && i + 1 < raw.size()) ++i;
    out += raw[i];
  }
  return out;
}

std::map<std::string, std::string> Assignments(const std::string& text) {
  std::map<std::string, std::string> values;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (line.empty() || line[0] == '#' || eq == std::string::npos) continue;
    values[line.substr(0, eq)] = Unquote(line.substr(eq + 1));
  }
  return values;
}

}  // namespace

std::string OperatingSystemName(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    // /etc/os-release is commonly a link to the second file, which
    // ReadWholeFile does not follow: then the second one is read.
    const std::optional<std::string> text = ReadWholeFile(file, kMaxOsReleaseBytes);
    if (!text) continue;
    auto values = Assignments(*text);
    if (!values["PRETTY_NAME"].empty()) return values["PRETTY_NAME"];
    std::string name = values["NAME"];
    const std::string& version = values["VERSION"];
    if (!version.empty()) name += name.empty() ? version : " " + version;
    return name;
  }
  return {};
}

std::string OperatingSystemName() { return OperatingSystemName({"/etc/os-release", "/usr/lib/os-release"}); }

}  // namespace tarifuhr
