// SPDX-License-Identifier: MIT
#include "platform/RegFileFormat.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Codepage.h"

namespace tarifuhr {
namespace {

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// Reads a quoted string starting at s[pos] == '"'; pos ends after the
// closing quote. False when it is not closed.
bool ReadQuoted(const std::string& s, size_t& pos, std::string& out) {
  out.clear();
  for (++pos; pos < s.size(); ++pos) {
    if (s[pos] == '\\' && pos + 1 < s.size()) {
      out += s[++pos];
    } else if (s[pos] == '"') {
      ++pos;
      return true;
    } else {
      out += s[pos];
    }
  }
  return false;
}

bool ParseValueLine(const std::string& line, RegValue& v) {
  size_t pos = 0;
  if (line[0] == '@') {
    v.name.clear();
    pos = 1;
  } else if (line[0] == '"') {
    if (!ReadQuoted(line, pos, v.name)) return false;
  } else {
    return false;
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  const std::string rest = line.substr(pos + 1);
  if (!rest.empty() && rest[0] == '"') {
    size_t p = 0;
    v.type = RegValue::Type::String;
    return ReadQuoted(rest, p, v.text);
  }
  if (rest.rfind("dword:", 0) == 0 && rest.size() == 14) {
    char* end = nullptr;
    const unsigned long n = std::strtoul(rest.c_str() + 6, &end, 16);
    if (*end != '\0') return false;
    v.type = RegValue::Type::Dword;
    v.dword = static_cast<uint32_t>(n);
    return true;
  }
  v.type = RegValue::Type::Other;
  v.text = rest;
  return true;
}

}  // namespace

RegKey* RegDocument::FindKey(const std::string& path) {
  for (RegKey& k : keys)
    if (EqualsIgnoreCase(k.path, path)) return &k;
  return nullptr;
}

RegKey& RegDocument::GetOrCreateKey(const std::string& path) {
  if (RegKey* k = FindKey(path)) return *k;
  keys.push_back({path, {}});
  return keys.back();
}

RegValue* RegDocument::FindValue(RegKey& key, const std::string& name) {
  for (RegValue& v : key.values)
    if (EqualsIgnoreCase(v.name, name)) return &v;
  return nullptr;
}

RegDocument ParseRegText(const std::string& text) {
  RegDocument doc;
  RegKey* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line == "REGEDIT4" || line == "Windows Registry Editor Version 5.00") continue;
    if (line[0] == '[' && line.back() == ']') {
      current = &doc.GetOrCreateKey(line.substr(1, line.size() - 2));
      continue;
    }
    RegValue v;
    if (!current || !ParseValueLine(line, v)) {
      ++doc.unreadLines;
      continue;
    }
    if (RegValue* old = RegDocument::FindValue(*current, v.name))
      *old = v;
    else
      current->values.push_back(v);
  }
  return doc;
}

std::string FormatRegText(const RegDocument& doc) {
  std::string out = "REGEDIT4\r\n";
  for (const RegKey& k : doc.keys) {
    out += "\r\n[" + k.path + "]\r\n";
    for (const RegValue& v : k.values) {
      out += v.name.empty() ? std::string("@") : "\"" + Escape(v.name) + "\"";
      out += '=';
      switch (v.type) {
        case RegValue::Type::String: out += "\"" + Escape(v.text) + "\""; break;
        case RegValue::Type::Dword: {
          char buf[16];
          std::snprintf(buf, sizeof buf, "dword:%08x", v.dword);
          out += buf;
          break;
        }
        case RegValue::Type::Other: out += v.text; break;
      }
      out += "\r\n";
    }
  }
  out += "\r\n";
  return out;
}

}  // namespace tarifuhr
