// SPDX-License-Identifier: MIT
#include "accounting/RegistrySettings.h"

#include <algorithm>
#include <functional>

namespace tarifuhr {

RegistrySettings ReadRegistrySettings(Registry& reg, const std::string& programDir) {
  RegistrySettings s;
  // Each value by itself: one that can't be read (of another type, or the
  // file unreadable) is said and counts as missing; the others keep theirs.
  const auto note = [&s](const RegistryError& e) {
    if (std::find(s.problems.begin(), s.problems.end(), e.what()) == s.problems.end())
      s.problems.push_back(e.what());
  };
  const auto write = [&](const std::function<void()>& change) {
    try {
      change();
    } catch (const RegistryError& e) {
      s.writable = false;
      note(e);
    }
  };
  write([&] { reg.CreateKey(kTarifuhrKey); });
  try {
    s.firstStart = !reg.ValueExists(kTarifuhrKey, "first");
  } catch (const RegistryError& e) {
    note(e);
  }
  if (s.firstStart) write([&] { reg.WriteInteger(kTarifuhrKey, "first", 1); });
  try {
    s.currentUser = reg.ReadString(kTarifuhrKey, "currentuser");
  } catch (const RegistryError& e) {
    note(e);
  }
  // A position that is missing (the very first start) is written as 0;
  // "path" then waits for the next start.
  bool positionRead = true;
  for (auto [name, edge] : {std::pair{"left", &s.left}, std::pair{"top", &s.top}}) {
    try {
      if (reg.ValueExists(kTarifuhrKey, name)) {
        *edge = reg.ReadInteger(kTarifuhrKey, name);
        continue;
      }
    } catch (const RegistryError& e) {
      note(e);
      positionRead = false;
      continue;
    }
    positionRead = false;
    write([&reg, name = name] { reg.WriteInteger(kTarifuhrKey, name, 0); });
  }
  if (positionRead) write([&] { reg.WriteString(kTarifuhrKey, "path", programDir); });
  try {
    s.warningsOn =
        !reg.ValueExists(kTarifuhrKey, kWarningsValue) || reg.ReadInteger(kTarifuhrKey, kWarningsValue) != 0;
  } catch (const RegistryError& e) {
    note(e);
  }
  return s;
}

}  // namespace tarifuhr
