// SPDX-License-Identifier: MIT
// Arbitrary user list files: parsing, listing, reading and erasing never
// crash, writing back keeps every section that was not erased, and no file
// key names a data file outside the program directory.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "accounting/UserFiles.h"
#include "platform/Codepage.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarifuhr;
  const std::string text = Cp1252ToUtf8(std::string(reinterpret_cast<const char*>(data), size));
  IniFile ini = IniFile::Parse(text);
  const auto sections = ini.Sections();
  for (const auto& s : sections) {
    const std::string file = UserFiles::DataFileIn("/programm", ini.ReadString(s, "file", "error"));
    if (file.empty()) continue;
    const std::string name = BaseName(file);
    if (DirName(file) != "/programm" || !UserFiles::IsUsableFileName(name) ||
        name.find('/') != std::string::npos)
      std::abort();
  }
  const IniFile reparsed = IniFile::Parse(ini.ToText());
  if (reparsed.Sections() != sections) std::abort();
  // What is written back is judged as the original was.
  if (reparsed.HasUnreadableLines() != ini.HasUnreadableLines()) std::abort();
  if (!sections.empty()) {
    // Exactly that name goes; one that differs in case stays.
    ini.EraseSection(sections.front());
    for (const auto& s : ini.Sections())
      if (s == sections.front()) std::abort();
    if (IniFile::Parse(ini.ToText()).Sections().size() != sections.size() - 1) std::abort();
  }
  return 0;
}
