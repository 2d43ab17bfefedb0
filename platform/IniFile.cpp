// SPDX-License-Identifier: MIT
#include "platform/IniFile.h"

#include <cerrno>

#include "platform/Codepage.h"
#include "platform/Files.h"

namespace tarifuhr {
namespace {

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  const auto e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

}  // namespace

IniFile::Line IniFile::ParseLine(const std::string& text) {
  const std::string t = Trim(text);
  if (!t.empty() && t.front() == '[') {
    const auto close = t.rfind(']');
    if (close != std::string::npos && close > 0) return {Kind::Section, text, t.substr(1, close - 1), {}};
  }
  const auto eq = t.find('=');
  if (eq != std::string::npos && eq > 0 && t.front() != ';')
    return {Kind::Key, text, Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
  return {Kind::Other, text, {}, {}};
}

IniFile IniFile::Parse(const std::string& text) {
  IniFile ini;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    ini.lines_.push_back(ParseLine(text.substr(start, end - start)));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return ini;
}

bool IniFile::HasUnreadableLines() const {
  if (unreadable_) return true;
  for (const Line& l : lines_) {
    if (l.kind != Kind::Other) continue;
    const std::string t = Trim(l.raw);
    if (!t.empty() && t.front() != ';' && t.front() != '#') return true;
  }
  return false;
}

IniFile IniFile::Load(const std::string& path) {
  const auto bytes = ReadWholeFile(path, kMaxFileBytes);
  if (bytes) return Parse(Cp1252ToUtf8(*bytes));
  IniFile empty;
  // There, but no file to read (too large, a FIFO): not one to write over.
  empty.unreadable_ = errno != ENOENT;
  return empty;
}

std::string IniFile::ToText() const {
  std::string out;
  for (const Line& l : lines_) {
    switch (l.kind) {
      case Kind::Section: out += "[" + l.name + "]"; break;
      case Kind::Key: out += l.name + "=" + l.value; break;
      case Kind::Other: out += l.raw; break;
    }
    out += "\r\n";
  }
  return out;
}

void IniFile::Save(const std::string& path) const { WriteFileAtomically(path, Utf8ToCp1252(ToText())); }

bool IniFile::HasExactSection(const std::string& section) const {
  for (const Line& l : lines_)
    if (l.kind == Kind::Section && l.name == section) return true;
  return false;
}

bool IniFile::Matches(const std::string& name, const std::string& section, bool exact) const {
  return exact ? name == section : FoldCaseCp1252(name) == FoldCaseCp1252(section);
}

long IniFile::FindSection(const std::string& section) const {
  // The exact name first: "erika" and "Erika" are two users. Without it,
  // as the platform's profile functions do, regardless of case (lists
  // edited by hand).
  const bool exact = HasExactSection(section);
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == Kind::Section && Matches(lines_[i].name, section, exact))
      return static_cast<long>(i);
  return -1;
}

size_t IniFile::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
  return i;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
  const long s = FindSection(section);
  if (s < 0) return defaultValue;
  const std::string folded = FoldCaseCp1252(key);
  for (size_t i = s + 1; i < SectionEnd(s); ++i)
    if (lines_[i].kind == Kind::Key && FoldCaseCp1252(lines_[i].name) == folded) return lines_[i].value;
  return defaultValue;
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  const long s = FindSection(section);
  if (s < 0) {
    lines_.push_back({Kind::Section, {}, section, {}});
    lines_.push_back({Kind::Key, {}, key, value});
    return;
  }
  const std::string folded = FoldCaseCp1252(key);
  const size_t end = SectionEnd(s);
  size_t insertAt = s + 1;
  for (size_t i = s + 1; i < end; ++i) {
    if (lines_[i].kind == Kind::Key && FoldCaseCp1252(lines_[i].name) == folded) {
      lines_[i].value = value;
      return;
    }
    if (lines_[i].kind == Kind::Key) insertAt = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<long>(insertAt), Line{Kind::Key, {}, key, value});
}

bool IniFile::SectionExists(const std::string& section) const { return FindSection(section) >= 0; }

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> out;
  for (const Line& l : lines_) {
    if (l.kind != Kind::Section) continue;
    bool dup = false;
    for (const auto& s : out) dup = dup || s == l.name;
    if (!dup) out.push_back(l.name);
  }
  return out;
}

void IniFile::EraseSection(const std::string& section) {
  const bool exact = HasExactSection(section);
  for (size_t i = 0; i < lines_.size();) {
    if (lines_[i].kind == Kind::Section && Matches(lines_[i].name, section, exact))
      lines_.erase(lines_.begin() + static_cast<long>(i), lines_.begin() + static_cast<long>(SectionEnd(i)));
    else
      ++i;
  }
}

void IniFile::AppendLine(const std::string& line) { lines_.push_back(ParseLine(line)); }

}  // namespace tarifuhr
