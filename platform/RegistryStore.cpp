// SPDX-License-Identifier: MIT
#include <unistd.h>

#include <cerrno>

#include "platform/Codepage.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/ProgramIdentity.h"
#include "platform/RegFileFormat.h"
#include "platform/Registry.h"

namespace tarifuhr {
namespace {

// Settings of a few values; an autostart entry of a few lines.
constexpr size_t kMaxRegistryBytes = size_t{1} << 20;
constexpr size_t kMaxAutostartBytes = size_t{64} << 10;

// No file yet is an empty registry; one that is there but can't be read
// is left alone: neither read as empty nor written over.
RegDocument LoadDocument(const std::string& path) {
  const auto bytes = ReadWholeFile(path, kMaxRegistryBytes);
  if (!bytes && errno != ENOENT)
    throw RegistryError("Die Einstellungsdatei „" + path +
                        "“ kann nicht gelesen werden: " + ErrnoText(errno) +
                        ". Die Einstellungen gelten, als fehlten sie, und werden nicht gespeichert.");
  return bytes ? ParseRegText(Cp1252ToUtf8(*bytes)) : RegDocument{};
}

}  // namespace

void RegistryStore::SaveDocument(const RegDocument& doc) {
  const std::string& path = regFile_;
  if (!MakeDirectories(DirName(path)))
    throw RegistryError("Der Ordner der Einstellungen „" + DirName(path) + "“ konnte nicht angelegt werden.");
  try {
    if (doc.unreadLines > 0) {
      // What could not be read would be lost with the rewrite.
      const auto copy = KeepDamagedCopy(path, kMaxRegistryBytes);
      if (!copy) throw FileError("kopiert", path, ENOENT);
      if (OnDamaged)
        OnDamaged("Die Einstellungsdatei „" + path +
                  "“ enthält Zeilen, die nicht gelesen werden konnten. Das Original bleibt als "
                  "„" +
                  *copy + "“ erhalten.");
    }
    // It may hold the error report's mail password.
    WriteFileAtomically(path, Utf8ToCp1252(FormatRegText(doc)), 0600);
  } catch (const FileError& e) {
    throw RegistryError(e.what());
  }
}

namespace {

[[noreturn]] void ThrowReadError(const std::string& path, const std::string& name, bool missing,
                                 const char* expected) {
  if (missing) throw RegistryError("Der Wert „" + name + "“ fehlt in „" + path + "“.");
  throw RegistryError("Der Wert „" + name + "“ in „" + path + "“ hat den falschen Typ: erwartet wird " +
                      expected + ". Er gilt als nicht gesetzt.");
}

// Exec's quoting: the argument is quoted with `"` `` ` `` `$` `\` escaped by
// a backslash, then the whole value gets the entry format's own escaping of
// backslashes.
std::string QuoteExec(const std::string& path) {
  std::string arg = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
    arg += c;
  }
  arg += '"';
  std::string out;
  for (char c : arg) {
    if (c == '\\') out += '\\';
    out += c;
  }
  return out;
}

std::string UnquoteExec(const std::string& value) {
  std::string arg;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    arg += value[i];
  }
  if (arg.empty() || arg[0] != '"') return arg;
  std::string out;
  for (size_t i = 1; i < arg.size() && arg[i] != '"'; ++i) {
    if (arg[i] == '\\' && i + 1 < arg.size()) ++i;
    out += arg[i];
  }
  return out;
}

}  // namespace

std::string AutostartEntryText(const std::string& path) {
  return "[Desktop Entry]\nType=Application\nName=Tarifuhr\nComment=Online-Zeit und "
         "Kosten der Wählverbindungen\nExec=" +
         QuoteExec(path) + "\nIcon=" + kApplicationId + "\nX-GNOME-Autostart-enabled=true\n";
}

std::string AutostartEntryPath(const std::string& text) {
  const auto pos = text.find("\nExec=");
  if (pos == std::string::npos) return {};
  const auto start = pos + 6;
  const auto end = text.find('\n', start);
  return UnquoteExec(text.substr(start, end == std::string::npos ? end : end - start));
}

RegistryStore::RegistryStore(std::string regFile, std::string autostartFile)
    : regFile_(std::move(regFile)), autostartFile_(std::move(autostartFile)) {}

RegistryStore RegistryStore::ForConfigHome(const std::string& configHome) {
  return RegistryStore(JoinPath(configHome, "tarifuhr/registry.reg"),
                       JoinPath(configHome, std::string("autostart/") + kApplicationId + ".desktop"));
}

bool RegistryStore::IsAutostart(const std::string& key, const std::string& name) const {
  return EqualsIgnoreCase(key, kRunKey) && EqualsIgnoreCase(name, kAutostartValue);
}

bool RegistryStore::KeyExists(const std::string& key) {
  return LoadDocument(regFile_).FindKey(key) != nullptr;
}

void RegistryStore::CreateKey(const std::string& key) {
  RegDocument doc = LoadDocument(regFile_);
  if (doc.FindKey(key)) return;
  doc.GetOrCreateKey(key);
  SaveDocument(doc);
}

bool RegistryStore::ValueExists(const std::string& key, const std::string& name) {
  if (IsAutostart(key, name)) return FileExists(autostartFile_);
  RegDocument doc = LoadDocument(regFile_);
  RegKey* k = doc.FindKey(key);
  return k && RegDocument::FindValue(*k, name);
}

std::string RegistryStore::ReadString(const std::string& key, const std::string& name) {
  if (IsAutostart(key, name)) {
    const auto text = ReadWholeFile(autostartFile_, kMaxAutostartBytes);
    return text ? AutostartEntryPath(*text) : std::string();
  }
  RegDocument doc = LoadDocument(regFile_);
  RegKey* k = doc.FindKey(key);
  RegValue* v = k ? RegDocument::FindValue(*k, name) : nullptr;
  if (!v) return {};
  if (v->type != RegValue::Type::String) ThrowReadError(regFile_, name, false, "eine Zeichenfolge");
  return v->text;
}

int32_t RegistryStore::ReadInteger(const std::string& key, const std::string& name) {
  RegDocument doc = LoadDocument(regFile_);
  RegKey* k = doc.FindKey(key);
  RegValue* v = k ? RegDocument::FindValue(*k, name) : nullptr;
  if (!v || v->type != RegValue::Type::Dword) ThrowReadError(regFile_, name, !v, "eine Zahl (dword)");
  return static_cast<int32_t>(v->dword);
}

void RegistryStore::WriteString(const std::string& key, const std::string& name, const std::string& value) {
  if (IsAutostart(key, name)) {
    if (!MakeDirectories(DirName(autostartFile_)))
      throw RegistryError("Der Autostart-Ordner konnte nicht angelegt werden.");
    try {
      WriteFileAtomically(autostartFile_, AutostartEntryText(value));
    } catch (const FileError& e) {
      throw RegistryError(e.what());
    }
    return;
  }
  RegDocument doc = LoadDocument(regFile_);
  RegKey& k = doc.GetOrCreateKey(key);
  RegValue* v = RegDocument::FindValue(k, name);
  if (!v) {
    k.values.push_back({name, RegValue::Type::String, {}, 0});
    v = &k.values.back();
  }
  v->type = RegValue::Type::String;
  v->text = value;
  SaveDocument(doc);
}

void RegistryStore::WriteInteger(const std::string& key, const std::string& name, int32_t value) {
  RegDocument doc = LoadDocument(regFile_);
  RegKey& k = doc.GetOrCreateKey(key);
  RegValue* v = RegDocument::FindValue(k, name);
  if (!v) {
    k.values.push_back({name, RegValue::Type::Dword, {}, 0});
    v = &k.values.back();
  }
  v->type = RegValue::Type::Dword;
  v->dword = static_cast<uint32_t>(value);
  SaveDocument(doc);
}

bool RegistryStore::DeleteValue(const std::string& key, const std::string& name) {
  if (IsAutostart(key, name)) {
    if (::unlink(autostartFile_.c_str()) == 0) return true;
    if (errno == ENOENT) return false;
    throw RegistryError("Der Autostart-Eintrag konnte nicht entfernt werden: " + ErrnoText(errno) + ".");
  }
  RegDocument doc = LoadDocument(regFile_);
  RegKey* k = doc.FindKey(key);
  if (!k) return false;
  for (auto it = k->values.begin(); it != k->values.end(); ++it) {
    if (EqualsIgnoreCase(it->name, name)) {
      k->values.erase(it);
      SaveDocument(doc);
      return true;
    }
  }
  return false;
}

}  // namespace tarifuhr
