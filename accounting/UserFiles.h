#pragma once
// The user list file ("userlist.ini") and the user data files (".tfd").

#include <string>
#include <vector>

#include "accounting/TariffRecord.h"

namespace tarifuhr {

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
};

class UserFiles {
 public:
  UserFiles(std::string programDir, const Clock& clock);

  const std::string& ProgramDir() const { return programDir_; }
  std::string UserListPath() const;

  // Writes the tariffs and totals to the data file of `section`; nothing
  // when the section is unknown. Atomic: throws FileError and keeps the
  // old file when anything fails.
  void SaveUserData(const std::string& section, const std::vector<TariffRecord>& tariffs,
                    const TotalsRecord& totals) const;
  // Empties `tariffs` and loads the data file of `section`: kLoadOk (also
  // when there is nothing to load), kLoadCannotOpen or kLoadReadError.
  // `totals` keeps its contents unless the file has a totals record.
  int LoadUserData(const std::string& section, std::vector<TariffRecord>& tariffs,
                   TotalsRecord& totals) const;
  CreateUserResult CreateUser(const std::string& name) const;
  std::vector<std::string> ListUsers() const;
  void RemoveUser(const std::string& section) const;

  // The data file of a section, "" when the section or its key is missing.
  std::string DataFileOf(const std::string& section) const;

  // Why a user name cannot be used, in German; "" when it can.
  static std::string CheckUserName(const std::string& name);

 private:
  std::string programDir_;
  const Clock& clock_;
};

// Removes the tariff at `index`; later records move one place forward.
void RemoveTariff(std::vector<TariffRecord>& tariffs, int index);

// Serialized user data file (header, totals, records) as SaveUserData writes it.
std::string EncodeUserData(const std::string& userTitle, const std::vector<TariffRecord>& tariffs,
                           const TotalsRecord& totals);

// Parses a user data file image. `tariffs` is appended to; a record cut off
// by the end of the data is appended with the bytes that were there.
int DecodeUserData(const std::string& bytes, std::vector<TariffRecord>& tariffs,
                   TotalsRecord& totals);

}  // namespace tarifuhr
