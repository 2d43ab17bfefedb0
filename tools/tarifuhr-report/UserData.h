// SPDX-License-Identifier: MIT
#pragma once
// A user's tariffs and totals, read without writing anything: the program's
// loader keeps a damaged file aside, which a report must not do.

#include <string>
#include <vector>

#include "accounting/TariffRecord.h"

namespace tarifuhr::report {

struct UserData {
  std::string section;  // "Erika (Erika.tfd)"
  std::string title;    // "Erika"
  std::string path;
  TotalsRecord totals;
  std::vector<TariffRecord> tariffs;
};

// The title of a user list section "Title (File.tfd)".
std::string TitleOf(const std::string& section);

// The section for `user`, a section name or a title, from the list's
// sections. Throws std::runtime_error (German) for an unknown user and a
// title several users share.
std::string FindSection(const std::vector<std::string>& sections, const std::string& user);

// Throws FileError or std::runtime_error (German) when the user list or the
// user's file can't be read or the file is damaged.
UserData ReadUserData(const std::string& programDir, const std::string& user);

}  // namespace tarifuhr::report
