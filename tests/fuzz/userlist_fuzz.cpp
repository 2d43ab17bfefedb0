// SPDX-License-Identifier: MIT
// Arbitrary user list files: parsing, listing, reading and erasing never
// crash, and writing back keeps every section that was not erased.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Codepage.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarifuhr;
  const std::string text = Cp1252ToUtf8(std::string(reinterpret_cast<const char*>(data), size));
  IniFile ini = IniFile::Parse(text);
  const auto sections = ini.Sections();
  for (const auto& s : sections) ini.ReadString(s, "file", "error");
  const IniFile reparsed = IniFile::Parse(ini.ToText());
  if (reparsed.Sections() != sections) std::abort();
  // What is written back is judged as the original was.
  if (reparsed.HasUnreadableLines() != ini.HasUnreadableLines()) std::abort();
  if (!sections.empty()) {
    ini.EraseSection(sections.front());
    if (ini.SectionExists(sections.front())) std::abort();
    if (IniFile::Parse(ini.ToText()).Sections().size() != sections.size() - 1) std::abort();
  }
  return 0;
}
