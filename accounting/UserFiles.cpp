// SPDX-License-Identifier: MIT
#include "accounting/UserFiles.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "accounting/ByteLayout.h"
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

std::string UserFiles::DataFileOf(const std::string& section) const {
  const std::string key = IniFile::Load(UserListPath()).ReadString(section, "file", kNoFile);
  if (key == kNoFile) return {};
  if (FileExists(key)) return key;
  // The program directory may have moved, or the path is a Windows one:
  // the file of that name in the program directory stands in for it.
  const std::string local = JoinPath(programDir_, BaseName(key));
  if (FileExists(local)) return local;
  if (!key.empty() && key.front() == '/' && DirectoryExists(DirName(key))) return key;
  return local;
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
    KeepAside(path, "Die Benutzerdatei");
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
    if (n < recordSize) return kLoadReadError;
    offset += recordSize;
  }
  return offset == bytes.size() ? kLoadOk : kLoadReadError;
}

int UserFiles::LoadUserData(const std::string& section, std::vector<TariffRecord>& tariffs,
                            TotalsRecord& totals, std::string* notice) const {
  tariffs.clear();
  const std::string path = DataFileOf(section);
  if (path.empty()) return kLoadOk;
  // A file that cannot be opened keeps its user in the list: it may be on
  // a drive that is not there right now.
  const auto bytes = ReadWholeFile(path);
  if (!bytes) return kLoadCannotOpen;
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
  const auto copy = KeepDamagedCopy(path);
  if (!copy) throw FileError("kopiert", path, ENOENT);
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
  if (!ReadWholeFile(UserListPath())) return UserState::ListUnreadable;
  return IniFile::Load(UserListPath()).SectionExists(section) ? UserState::Listed : UserState::NotListed;
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
