// SPDX-License-Identifier: MIT
#pragma once
// The user list file ("userlist.ini") and the user data files (".tfd").

#include <set>
#include <string>
#include <vector>

#include "accounting/TariffRecord.h"

namespace tarifuhr {

// A user data file of some 48 000 tariffs; a larger one is not one.
inline constexpr size_t kMaxUserDataBytes = size_t{16} << 20;

// Results of LoadUserData.
inline constexpr int kLoadOk = 0;
inline constexpr int kLoadCannotOpen = 1;
inline constexpr int kLoadReadError = 2;

// Results of CreateUser.
inline constexpr int kCreateOk = 0;
inline constexpr int kCreateNoFreeName = 999;
inline constexpr int kCreateUnsafeName = 998;

struct CreateUserResult {
  int code = kCreateOk;
  std::string section;  // the new user's section name
  std::string message;  // German, for the dialog, when code is not 0
  std::string notice;   // German: a damaged user list was kept aside
};

class UserFiles {
 public:
  UserFiles(std::string programDir, const Clock& clock);

  const std::string& ProgramDir() const { return programDir_; }
  std::string UserListPath() const;

  // Writes the tariffs and totals to the data file of `section`; nothing
  // when the section is unknown. Atomic: throws FileError and keeps the
  // old file when anything fails, also when a damaged file could not be
  // kept aside first.
  void SaveUserData(const std::string& section, const std::vector<TariffRecord>& tariffs,
                    const TotalsRecord& totals) const;
  // Empties `tariffs` and loads the data file of `section`: kLoadOk (also
  // when there is nothing to load), kLoadCannotOpen or kLoadReadError.
  // `totals` keeps its contents unless the file has a totals record.
  // A file that can't be read completely is kept aside before anything
  // writes over it (see KeepDamagedCopy); `notice` then tells the user so.
  int LoadUserData(const std::string& section, std::vector<TariffRecord>& tariffs, TotalsRecord& totals,
                   std::string* notice = nullptr) const;
  CreateUserResult CreateUser(const std::string& name) const;
  std::vector<std::string> ListUsers() const;
  // The German notice when a damaged user list was kept aside, else "".
  std::string RemoveUser(const std::string& section) const;
  // UnusableFileName: listed, but its key names no file the program can
  // use ("", ".", "..", control characters); the user is not loaded.
  enum class UserState { Listed, NotListed, ListUnreadable, UnusableFileName };
  UserState StateOf(const std::string& section) const;

  // The data file of a section: the file named by the last component of
  // its "file" key, in the program directory. "" when the section or its
  // key is missing or the name can't be used.
  std::string DataFileOf(const std::string& section) const;
  // The section's "file" key as written.
  std::string FileKeyOf(const std::string& section) const;
  // The data file a "file" key names in `programDir`; "" when it names none.
  static std::string DataFileIn(const std::string& programDir, const std::string& key);
  static bool IsUsableFileName(const std::string& name);

  // Why a user name cannot be used, in German; "" when it can.
  static std::string CheckUserName(const std::string& name);

 private:
  // Keeps a damaged file aside; the notice, or throws FileError.
  std::string KeepAside(const std::string& path, const std::string& what) const;
  // Writes the user list; a list with lines that are neither sections nor
  // keys is kept aside first. The notice, if any.
  std::string SaveUserList(const class IniFile& list) const;

  std::string programDir_;
  const Clock& clock_;
  // Damaged data files whose copy could not be made yet: never written
  // over until it is.
  mutable std::set<std::string> notKeptYet_;
};

// Removes the tariff at `index`; later records move one place forward.
void RemoveTariff(std::vector<TariffRecord>& tariffs, int index);

// Serialized user data file (header, totals, records) as SaveUserData writes it.
std::string EncodeUserData(const std::string& userTitle, const std::vector<TariffRecord>& tariffs,
                           const TotalsRecord& totals);

// Parses a user data file image. `tariffs` is appended to; a record cut off
// by the end of the data is appended with the bytes that were there.
// kLoadReadError for anything but a whole file: too short, an unknown
// version (refused: no records, totals zero), a record count below zero,
// fewer or more bytes than the records promised, a number that no figure
// can have (read as 0; see TariffLimits).
int DecodeUserData(const std::string& bytes, std::vector<TariffRecord>& tariffs, TotalsRecord& totals);

}  // namespace tarifuhr
