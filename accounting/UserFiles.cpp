// SPDX-License-Identifier: MIT
#include "accounting/UserFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "accounting/ByteLayout.h"
#include "accounting/TariffLimits.h"
#include "platform/Codepage.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

namespace tarifuhr {
namespace {

constexpr const char* kNoFile = "error";
// The data files hold dial-in passwords.
constexpr unsigned kDataFileMode = 0600;

}  // namespace

UserFiles::UserFiles(std::string programDir, const Clock& clock)
    : programDir_(std::move(programDir)), clock_(clock) {}

std::string UserFiles::UserListPath() const { return JoinPath(programDir_, "userlist.ini"); }

std::string UserFiles::FileKeyOf(const std::string& section) const {
  return IniFile::Load(UserListPath()).ReadString(section, "file", kNoFile);
}

bool UserFiles::IsUsableFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return false;
  }
  return true;
}

std::string UserFiles::DataFileIn(const std::string& programDir, const std::string& key) {
  // Always the file of that name in the program directory: a key's folder
  // (a moved program directory, the old program's Windows path, or one
  // that points elsewhere) is never written to.
  const std::string name = BaseName(key);
  return IsUsableFileName(name) ? JoinPath(programDir, name) : std::string();
}

std::string UserFiles::DataFileOf(const std::string& section) const {
  const std::string key = FileKeyOf(section);
  return key == kNoFile ? std::string() : DataFileIn(programDir_, key);
}

std::string EncodeUserData(const std::string& userTitle, const std::vector<TariffRecord>& tariffs,
                           const TotalsRecord& totals) {
  std::string out;
  out.reserve(kFileHeaderSize + kTotalsRecordSize + tariffs.size() * kTariffRecordSize);
  const auto header =
      EncodeHeader({CutToShortString(userTitle, 20), static_cast<int32_t>(tariffs.size()) - 1, 3});
  out.append(reinterpret_cast<const char*>(header.data()), header.size());
  const auto tot = EncodeTotals(totals);
  out.append(reinterpret_cast<const char*>(tot.data()), tot.size());
  for (const TariffRecord& t : tariffs) {
    const auto rec = EncodeTariff(t);
    out.append(reinterpret_cast<const char*>(rec.data()), rec.size());
  }
  return out;
}

void UserFiles::SaveUserData(const std::string& section, const std::vector<TariffRecord>& tariffs,
                             const TotalsRecord& totals) const {
  const std::string path = DataFileOf(section);
  if (path.empty()) return;
  if (notKeptYet_.count(path)) {
    try {
      KeepAside(path, "Die Benutzerdatei");
    } catch (const FileError& e) {
      throw FileError("gespeichert", path, e.Errno());  // and is not written over
    }
    notKeptYet_.erase(path);
  }
  WriteFileAtomically(path, EncodeUserData(section, tariffs, totals), kDataFileMode);
}

int DecodeUserData(const std::string& bytes, std::vector<TariffRecord>& tariffs, TotalsRecord& totals) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  if (bytes.size() < kFileHeaderSize + kTotalsRecordSize) return kLoadReadError;
  const FileHeader header = DecodeHeader(data);
  if (header.Version != 2 && header.Version != 3) {
    // Records of a layout we don't know would be read as garbage.
    totals = {};
    return kLoadReadError;
  }
  totals = DecodeTotals(data + kFileHeaderSize);
  // A number no figure can have (NaN, infinite, out of its range) is read
  // as 0 and makes the file a damaged one.
  bool possible = ClearImpossibleValues(totals);
  if (header.LastIndex < -1) return kLoadReadError;
  const size_t recordSize = header.Version == 2 ? kTariffRecordV2Size : kTariffRecordSize;
  // Never trust LastIndex for sizes: read what is there, up to the count.
  const int64_t wanted = static_cast<int64_t>(header.LastIndex) + 1;
  size_t offset = kFileHeaderSize + kTotalsRecordSize;
  for (int64_t i = 0; i < wanted; ++i) {
    const size_t left = bytes.size() - offset;
    if (left == 0) return kLoadReadError;
    std::array<uint8_t, kTariffRecordSize> buf{};
    const size_t n = left < recordSize ? left : recordSize;
    std::memcpy(buf.data(), data + offset, n);
    tariffs.push_back(header.Version == 2 ? DecodeTariffV2(buf.data()) : DecodeTariff(buf.data()));
    possible = ClearImpossibleValues(tariffs.back()) && possible;
    if (n < recordSize) return kLoadReadError;
    offset += recordSize;
  }
  return offset == bytes.size() && possible ? kLoadOk : kLoadReadError;
}

int UserFiles::LoadUserData(const std::string& section, std::vector<TariffRecord>& tariffs,
                            TotalsRecord& totals, std::string* notice) const {
  tariffs.clear();
  const std::string path = DataFileOf(section);
  if (path.empty()) return kLoadOk;
  // A file that cannot be opened keeps its user in the list: it may be on
  // a drive that is not there right now.
  const auto bytes = ReadWholeFile(path, kMaxUserDataBytes);
  if (!bytes) {
    // One that is there but can't be read (too large, no regular file) is
    // left alone: never written over by what little was loaded.
    if (errno != ENOENT) notKeptYet_.insert(path);
    return kLoadCannotOpen;
  }
  const int code = DecodeUserData(*bytes, tariffs, totals);
  if (code == kLoadReadError) {
    std::string said;
    try {
      said = KeepAside(path, "Die Benutzerdatei");
      notKeptYet_.erase(path);
    } catch (const FileError& e) {
      notKeptYet_.insert(path);
      said = "Die Benutzerdatei „" + path +
             "“ ist beschädigt und wurde nicht vollständig gelesen. Sie wird nicht "
             "überschrieben, solange keine Kopie von ihr angelegt werden kann. " +
             e.what();
    }
    if (notice) *notice = said;
  }
  return code;
}

std::string UserFiles::KeepAside(const std::string& path, const std::string& what) const {
  errno = ENOENT;
  const auto copy = KeepDamagedCopy(path, std::max(kMaxUserDataBytes, IniFile::kMaxFileBytes));
  if (!copy) throw FileError("kopiert", path, errno);
  return what + " „" + path +
         "“ ist beschädigt und wurde nicht vollständig "
         "gelesen. Das Original bleibt als „" +
         *copy + "“ erhalten.";
}

std::string UserFiles::SaveUserList(const IniFile& list) const {
  std::string notice;
  if (list.HasUnreadableLines()) notice = KeepAside(UserListPath(), "Die Benutzerliste");
  list.Save(UserListPath());
  return notice;
}

UserFiles::UserState UserFiles::StateOf(const std::string& section) const {
  if (!FileExists(UserListPath())) {
    // Missing reads as empty; anything else that can't be read is a fault.
    struct stat st {};
    if (::stat(UserListPath().c_str(), &st) == 0 || errno != ENOENT) return UserState::ListUnreadable;
    return UserState::NotListed;
  }
  if (!ReadWholeFile(UserListPath(), IniFile::kMaxFileBytes)) return UserState::ListUnreadable;
  if (!IniFile::Load(UserListPath()).SectionExists(section)) return UserState::NotListed;
  const std::string key = FileKeyOf(section);
  return key == kNoFile || IsUsableFileName(BaseName(key)) ? UserState::Listed : UserState::UnusableFileName;
}

std::string UserFiles::CheckUserName(const std::string& name) {
  if (name == "." || name == "..")
    return "Der Name „" + name + "“ kann nicht als Dateiname verwendet werden.";
  for (char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\')
      return "Der Benutzername darf weder „/“ noch „\\“ "
             "enthalten.";
    if (b < 0x20 || b == 0x7F) return "Der Benutzername darf keine Steuerzeichen enthalten.";
  }
  return {};
}

CreateUserResult UserFiles::CreateUser(const std::string& requested) const {
  // The name as the files will hold it (Windows-1252), so that the section,
  // the key and the file on disk all agree.
  const std::string name = Cp1252ToUtf8(Utf8ToCp1252(requested));
  if (std::string why = CheckUserName(name); !why.empty()) return {kCreateUnsafeName, {}, why, {}};
  // The user list is read as the old program's was, without regard to
  // case: "erika" beside "Erika" would be the same user to it.
  for (const std::string& section : ListUsers()) {
    const std::string title = section.substr(0, section.rfind(" ("));
    if (title != name && FoldCaseCp1252(title) == FoldCaseCp1252(name))
      return {kCreateUnsafeName,
              {},
              "Den Benutzer „" + title +
                  "“ gibt es schon. Namen, die sich nur in Groß- und Kleinschreibung unterscheiden, "
                  "sind nicht möglich.",
              {}};
  }

  std::string shortName = name + ".tfd";
  if (FileExists(JoinPath(programDir_, shortName))) {
    shortName.clear();
    for (int i = 0; i <= 999; ++i) {
      std::string candidate = name + std::to_string(i) + ".tfd";
      if (!FileExists(JoinPath(programDir_, candidate))) {
        shortName = std::move(candidate);
        break;
      }
    }
    if (shortName.empty())
      return {
          kCreateNoFreeName, {}, "Für den Benutzer „" + name + "“ wurde kein freier Dateiname gefunden.", {}};
  }
  const std::string path = JoinPath(programDir_, shortName);
  TotalsRecord totals;
  totals.LastOnlineDay = Today(clock_);
  WriteFileAtomically(path, EncodeUserData(name, {}, totals), kDataFileMode);

  const std::string section = name + " (" + shortName + ")";
  IniFile list = IniFile::Load(UserListPath());
  list.AppendLine("[" + section + "]");
  list.AppendLine("file=" + path);
  return {kCreateOk, section, {}, SaveUserList(list)};
}

std::vector<std::string> UserFiles::ListUsers() const { return IniFile::Load(UserListPath()).Sections(); }

std::string UserFiles::RemoveUser(const std::string& section) const {
  IniFile list = IniFile::Load(UserListPath());
  list.EraseSection(section);
  return SaveUserList(list);
}

void RemoveTariff(std::vector<TariffRecord>& tariffs, int index) {
  if (index < 0 || static_cast<size_t>(index) >= tariffs.size()) return;
  tariffs.erase(tariffs.begin() + index);
}

}  // namespace tarifuhr
