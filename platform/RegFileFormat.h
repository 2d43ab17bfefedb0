// SPDX-License-Identifier: MIT
#pragma once
// The REGEDIT4 text form of registry keys and values.

#include <cstdint>
#include <string>
#include <vector>

namespace tarifuhr {

struct RegValue {
  enum class Type { String, Dword, Other };
  std::string name;  // "" for the default value, written as @
  Type type = Type::String;
  std::string text;  // String: the value; Other: the raw text after '='
  uint32_t dword = 0;
};

struct RegKey {
  std::string path;
  std::vector<RegValue> values;
};

struct RegDocument {
  std::vector<RegKey> keys;
  // Lines of the text that were neither the header, a comment, a key nor a
  // value: written back, the document would lose them.
  int unreadLines = 0;

  RegKey* FindKey(const std::string& path);
  RegKey& GetOrCreateKey(const std::string& path);
  static RegValue* FindValue(RegKey& key, const std::string& name);
};

// Parses REGEDIT4 (or "Windows Registry Editor Version 5.00") text in
// UTF-8; lines it does not understand are dropped.
RegDocument ParseRegText(const std::string& utf8Text);
std::string FormatRegText(const RegDocument& doc);

}  // namespace tarifuhr
