// SPDX-License-Identifier: MIT
#pragma once
// The name and version of the system we run on, as its os-release file
// gives them ("Debian GNU/Linux 12 (bookworm)"), for the error report.

#include <string>
#include <vector>

namespace tarifuhr {

// PRETTY_NAME of the first of `files` that can be read, else its NAME and
// VERSION; empty when none says.
std::string OperatingSystemName(const std::vector<std::string>& files);
// The same from /etc/os-release, else /usr/lib/os-release.
std::string OperatingSystemName();

}  // namespace tarifuhr
