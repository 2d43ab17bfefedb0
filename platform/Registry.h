// SPDX-License-Identifier: MIT
#pragma once
// The registry as the program uses it: keys named by their full path
// ("HKEY_LOCAL_MACHINE\Software\Tarifuhr"), typed values, names compared
// without regard to case.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace tarifuhr {

class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kTarifuhrKey = "HKEY_LOCAL_MACHINE\\Software\\Tarifuhr";
inline constexpr const char* kRunKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kAutostartValue = "Tarifuhr";
// Budget warnings: 0 = off; missing = on.
inline constexpr const char* kWarningsValue = "warnungen";

class Registry {
 public:
  virtual ~Registry() = default;
  virtual bool KeyExists(const std::string& key) = 0;
  // Throws RegistryError when the key cannot be created.
  virtual void CreateKey(const std::string& key) = 0;
  virtual bool ValueExists(const std::string& key, const std::string& name) = 0;
  // A missing value reads as ""; a value of another type throws.
  virtual std::string ReadString(const std::string& key, const std::string& name) = 0;
  // A missing value or one of another type throws.
  virtual int32_t ReadInteger(const std::string& key, const std::string& name) = 0;
  // Writes create the key when missing and throw RegistryError on failure.
  virtual void WriteString(const std::string& key, const std::string& name, const std::string& value) = 0;
  virtual void WriteInteger(const std::string& key, const std::string& name, int32_t value) = 0;
  // False when there was no such value.
  virtual bool DeleteValue(const std::string& key, const std::string& name) = 0;
};

// The registry kept in one REGEDIT4 text file; every change rewrites the
// file atomically. The autostart value lives in an XDG autostart entry.
class RegistryStore final : public Registry {
 public:
  RegistryStore(std::string regFile, std::string autostartFile);
  // $XDG_CONFIG_HOME/tarifuhr/registry.reg, and the autostart entry under
  // .../autostart named like the program's desktop entry.
  static RegistryStore ForConfigHome(const std::string& configHome);

  bool KeyExists(const std::string& key) override;
  void CreateKey(const std::string& key) override;
  bool ValueExists(const std::string& key, const std::string& name) override;
  std::string ReadString(const std::string& key, const std::string& name) override;
  int32_t ReadInteger(const std::string& key, const std::string& name) override;
  void WriteString(const std::string& key, const std::string& name, const std::string& value) override;
  void WriteInteger(const std::string& key, const std::string& name, int32_t value) override;
  bool DeleteValue(const std::string& key, const std::string& name) override;

  const std::string& FilePath() const { return regFile_; }

  // Told (in German) when a file with lines it could not read was kept
  // aside before being written over.
  std::function<void(const std::string&)> OnDamaged;

 private:
  void SaveDocument(const struct RegDocument& doc);
  bool IsAutostart(const std::string& key, const std::string& name) const;
  std::string regFile_;
  std::string autostartFile_;
};

// The text of an XDG autostart entry that runs `path`, and the path back.
std::string AutostartEntryText(const std::string& path);
std::string AutostartEntryPath(const std::string& entryText);

}  // namespace tarifuhr
