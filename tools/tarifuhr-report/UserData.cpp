// SPDX-License-Identifier: MIT
#include "UserData.h"

#include <cerrno>
#include <stdexcept>

#include "accounting/UserFiles.h"
#include "platform/Codepage.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

namespace tarifuhr::report {

std::string TitleOf(const std::string& section) {
  const size_t open = section.rfind(" (");
  if (open == std::string::npos || section.back() != ')') return section;
  return section.substr(0, open);
}

std::string FindSection(const std::vector<std::string>& sections, const std::string& user) {
  for (const std::string& s : sections)
    if (s == user) return s;
  std::vector<std::string> titled;
  for (const std::string& s : sections)
    if (TitleOf(s) == user) titled.push_back(s);
  if (titled.size() == 1) return titled.front();
  if (titled.empty())
    throw std::runtime_error("Der Benutzer „" + user + "“ steht nicht in der Benutzerliste.");
  std::string names;
  for (const std::string& s : titled) names += (names.empty() ? "„" : ", „") + s + "“";
  throw std::runtime_error("Den Titel „" + user + "“ tragen mehrere Benutzer: " + names +
                           ". Bitte den ganzen Namen angeben.");
}

UserData ReadUserData(const std::string& programDir, const std::string& user) {
  const SystemClock clock;
  const UserFiles files(programDir, clock);
  // IniFile::Load takes a missing list for an empty one; here it is a fault.
  const auto list = ReadWholeFile(files.UserListPath(), IniFile::kMaxFileBytes);
  if (!list) throw FileError("gelesen", files.UserListPath(), errno);

  UserData data;
  data.section = FindSection(IniFile::Parse(Cp1252ToUtf8(*list)).Sections(), user);
  data.title = TitleOf(data.section);
  data.path = files.DataFileOf(data.section);
  if (data.path.empty())
    throw std::runtime_error("Für den Benutzer „" + data.section +
                             "“ ist in der Benutzerliste keine Datei eingetragen.");
  const auto bytes = ReadWholeFile(data.path, kMaxUserDataBytes);
  if (!bytes) throw FileError("gelesen", data.path, errno);
  if (DecodeUserData(*bytes, data.tariffs, data.totals) != kLoadOk)
    throw std::runtime_error("Die Benutzerdatei „" + data.path +
                             "“ ist beschädigt; sie wird nicht ausgegeben.");
  return data;
}

}  // namespace tarifuhr::report
