// SPDX-License-Identifier: MIT
// Arbitrary settings files: the program's values are read when they have
// their type, said and taken as missing when they have another, and
// nothing else is taken from them.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "accounting/AccountingCore.h"
#include "platform/Codepage.h"
#include "platform/Files.h"
#include "platform/RegFileFormat.h"

namespace {

// A folder of its own, in memory where there is one.
const std::string& ConfigHome() {
  static const std::string dir = [] {
    const std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string d = base + "/settings-fuzz-" + std::to_string(::getpid());
    std::filesystem::create_directories(d + "/tarifuhr");
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarifuhr;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // A fresh folder: no copies of damaged files from the inputs before.
  std::filesystem::remove_all(ConfigHome() + "/tarifuhr");
  std::filesystem::create_directories(ConfigHome() + "/tarifuhr");
  WriteFileAtomically(ConfigHome() + "/tarifuhr/registry.reg", text);
  RegDocument doc = ParseRegText(Cp1252ToUtf8(text));
  RegistryStore store = RegistryStore::ForConfigHome(ConfigHome());
  const RegistrySettings s = ReadRegistrySettings(store, "/programm");

  RegKey* key = doc.FindKey(kTarifuhrKey);
  const auto value = [&](const char* name) { return key ? RegDocument::FindValue(*key, name) : nullptr; };
  const auto said = [&](const char* name) {
    for (const std::string& p : s.problems)
      if (p.find(std::string("„") + name + "“") != std::string::npos) return true;
    return false;
  };
  const RegValue* user = value("currentuser");
  const bool userIsText = user && user->type == RegValue::Type::String;
  if (s.currentUser != (userIsText ? user->text : std::string())) std::abort();
  if (user && !userIsText && !said("currentuser")) std::abort();
  for (const auto& [name, got] : {std::pair{"left", s.left}, std::pair{"top", s.top}}) {
    const RegValue* v = value(name);
    const bool isNumber = v && v->type == RegValue::Type::Dword;
    if (got != (isNumber ? static_cast<int32_t>(v->dword) : 0)) std::abort();
    if (v && !isNumber && !said(name)) std::abort();
  }
  return 0;
}
