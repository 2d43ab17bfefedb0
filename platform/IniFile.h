// SPDX-License-Identifier: MIT
#pragma once
// An INI file with the semantics of the platform's profile functions: key
// names compared without regard to case, section names too unless one has
// the exact name, file order kept, lines that are neither sections nor
// keys kept as they are.

#include <string>
#include <vector>

namespace tarifuhr {

class IniFile {
 public:
  // Text in memory is UTF-8; the file holds Windows-1252 with CR LF.
  static IniFile Parse(const std::string& utf8Text);
  // A missing or unreadable file reads as empty.
  static IniFile Load(const std::string& path);
  // What Load reads at most: a list of users, not a database.
  static constexpr size_t kMaxFileBytes = size_t{1} << 20;
  std::string ToText() const;
  // Atomic replacement; throws FileError.
  void Save(const std::string& path) const;

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  bool SectionExists(const std::string& section) const;
  // Section names in file order, each once.
  std::vector<std::string> Sections() const;
  // Removes every section of that name (as FindSection matches it) with all
  // its lines.
  void EraseSection(const std::string& section);
  // Appends a raw line at the end of the file.
  void AppendLine(const std::string& line);
  // Lines that are neither sections, keys, comments nor blank, or a file
  // that was there but could not be read: the file is not what the program
  // wrote.
  bool HasUnreadableLines() const;

 private:
  enum class Kind { Section, Key, Other };
  struct Line {
    Kind kind;
    std::string raw;    // the line as read, for Other
    std::string name;   // section or key name
    std::string value;  // key value
  };
  static Line ParseLine(const std::string& text);
  // Index of the first header of `section`, or -1.
  long FindSection(const std::string& section) const;
  bool HasExactSection(const std::string& section) const;
  bool Matches(const std::string& name, const std::string& section, bool exact) const;
  size_t SectionEnd(size_t header) const;

  std::vector<Line> lines_;
  bool unreadable_ = false;
};

}  // namespace tarifuhr
